#include "gui/AlreadyRunningWindow.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>

#include "gui/Pictures.h"
#include "gui/QtHost.h"
#include "gui/config/LogoPicture.h"
#include "gui/config/ViewWidgets.h"
#include "screens/WebLauncher.h"

namespace qz {

AlreadyRunningWindow::AlreadyRunningWindow(Program& p)
    : p_(p), logic_(p, *this), gate_([this] { Render(); }, [this](int) { hide(); }) {
    setObjectName("alreadyRunning");
    setWindowIcon(WindowIcon());
    OwnBoxes(p_.svc.host, this);
    auto* image = new QLabel(this);
    image->setObjectName("warningIcon");
    image->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxWarning).pixmap(32, 32));
    message_ = new QLabel(this);
    message_->setObjectName("message");
    auto* logo = new LogoPicture([this] { gate_.Run([this] { logic_.OnLogo(); }); }, this);
    logo->setObjectName("logo");
    exit_ = new QPushButton(this);
    exit_->setObjectName("exit");
    exit_->setDefault(true);
    connect(exit_, &QPushButton::clicked, this, [this] { gate_.Run([this] { logic_.OnExit(); }); });

    auto* grid = new QGridLayout(this);
    grid->addWidget(image, 0, 0, Qt::AlignTop);
    grid->addWidget(message_, 0, 1);
    grid->addWidget(logo, 0, 2, Qt::AlignTop);
    grid->addWidget(exit_, 1, 0, 1, 3, Qt::AlignHCenter);
    grid->setHorizontalSpacing(16);
    grid->setSizeConstraint(QLayout::SetFixedSize);
}

void AlreadyRunningWindow::Load() {
    gate_.Run([this] { logic_.Load(); });
    show();
    gate_.Run([this] { logic_.OnActivated(); });
}

void AlreadyRunningWindow::Render() {
    const AlreadyRunningView& v = logic_.view;
    setWindowTitle(FromViewText(v.caption));
    QString text = FromViewText(v.message);
    text.replace("\r\n", "\n");
    message_->setText(text);
    Show(*exit_, v.exit);
    if (windowFlags().testFlag(Qt::WindowStaysOnTopHint) != v.topMost) {
        const bool shown = isVisible();
        setWindowFlag(Qt::WindowStaysOnTopHint, v.topMost); // hides a shown window
        if (shown) show();
    }
}

bool AlreadyRunningWindow::event(QEvent* event) {
    if (event->type() == QEvent::WindowActivate) gate_.Run([this] { logic_.OnActivated(); });
    return QWidget::event(event);
}

// This window is all that is left of the program: closing it ends the program as its button does.
void AlreadyRunningWindow::closeEvent(QCloseEvent* event) {
    event->ignore();
    gate_.Run([this] { logic_.OnExit(); });
}

void AlreadyRunningWindow::OpenWebPage(const std::string& page) {
    qz::OpenWebPage(p_, page);
}

} // namespace qz
