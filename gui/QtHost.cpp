#include "gui/QtHost.h"

#include <QApplication>
#include <QMessageBox>
#include <cstdio>
#include <cstdlib>

#include "gui/Tray.h"
#include "gui/config/ViewWidgets.h"

namespace qz {
namespace {

QMessageBox::Icon BoxIcon(MsgIcon icon) {
    switch (icon) {
    case MsgIcon::Critical:
        return QMessageBox::Critical;
    case MsgIcon::Exclamation:
        return QMessageBox::Warning;
    case MsgIcon::Information:
        return QMessageBox::Information;
    case MsgIcon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

struct ButtonSet {
    QMessageBox::StandardButtons buttons;
    QMessageBox::StandardButton onClose; // what closing the box answers
};

ButtonSet BoxButtons(MsgButtons buttons) {
    switch (buttons) {
    case MsgButtons::YesNo:
        return {QMessageBox::Yes | QMessageBox::No, QMessageBox::No};
    case MsgButtons::YesNoCancel:
        return {QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Cancel};
    case MsgButtons::Ok:
        break;
    }
    return {QMessageBox::Ok, QMessageBox::Ok};
}

Answer AnswerOf(int button) {
    switch (button) {
    case QMessageBox::Yes:
        return Answer::Yes;
    case QMessageBox::No:
        return Answer::No;
    case QMessageBox::Cancel:
        return Answer::Cancel;
    default:
        return Answer::Ok;
    }
}

} // namespace

Answer QtHost::ShowMessage(MsgIcon icon, MsgButtons buttons, const std::string& title,
                           const std::string& text) {
    const ButtonSet set = BoxButtons(buttons);
    QString lines = FromViewText(text);
    lines.replace("\r\n", "\n");
    QMessageBox box(BoxIcon(icon), FromViewText(title), lines, set.buttons, QApplication::activeWindow());
    box.setEscapeButton(set.onClose);
    return AnswerOf(box.exec());
}

void QtHost::RemoveTrayIcon() {
    if (tray_) tray_->Remove();
}

void QtHost::EndProgram(int status) {
    RemoveTrayIcon();
    // Nothing may run after this: no pending event, no destructor of a window that is mid-event.
    std::fflush(nullptr);
    std::_Exit(status);
}

} // namespace qz
