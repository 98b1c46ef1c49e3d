#include "gui/QtHost.h"

#include <QApplication>
#include <QGridLayout>
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

// The window manager cuts a title that is wider than its box: room for the title in a bold face
// beside the title bar's icon and three buttons.
void MakeRoomForTitle(QMessageBox& box) {
    QFont font = box.font();
    font.setBold(true);
    const QFontMetrics metrics(font);
    const int width = metrics.horizontalAdvance(box.windowTitle()) + 4 * (metrics.height() + 8) + 16;
    if (auto* grid = qobject_cast<QGridLayout*>(box.layout()))
        grid->addItem(new QSpacerItem(width, 0, QSizePolicy::Fixed, QSizePolicy::Minimum), grid->rowCount(),
                      0, 1, grid->columnCount());
}

bool StaysOnTop(const QWidget* window) {
    return window && window->window()->windowFlags().testFlag(Qt::WindowStaysOnTopHint);
}

} // namespace

Answer QtHost::ShowMessage(MsgIcon icon, MsgButtons buttons, const std::string& title,
                           const std::string& text) {
    const ButtonSet set = BoxButtons(buttons);
    QString lines = FromViewText(text);
    lines.replace("\r\n", "\n");
    // The active window is none when the countdown's end comes while the user works elsewhere; a
    // box without its owner would open behind the owner that stays on top, hiding and blocking.
    QWidget* active = QApplication::activeWindow();
    QMessageBox box(BoxIcon(icon), FromViewText(title), lines, set.buttons, owner_ ? owner_.data() : active);
    box.setEscapeButton(set.onClose);
    MakeRoomForTitle(box);
    box.setWindowModality(Qt::ApplicationModal);
    // Set last, or the set-up above loses it.
    box.setWindowFlag(Qt::WindowStaysOnTopHint, StaysOnTop(owner_) || StaysOnTop(active));
    box.show();
    box.raise();
    box.activateWindow();
    return AnswerOf(box.exec());
}

void OwnBoxes(Host& host, QWidget* window) {
    if (auto* desktop = dynamic_cast<QtHost*>(&host)) desktop->SetOwner(window);
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
