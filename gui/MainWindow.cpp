#include "gui/MainWindow.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QCursor>
#include <QDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QSocketNotifier>
#include <QTimer>

#include "gui/AboutDialog.h"
#include "gui/Pictures.h"
#include "gui/QtHost.h"
#include "gui/Tray.h"
#include "gui/config/ConfigDialog.h"
#include "gui/config/LogoPicture.h"
#include "gui/config/ViewWidgets.h"
#include "screens/WebLauncher.h"

namespace qz {
MainWindow::MainWindow(Program& p, Tray& tray)
    : p_(p), tray_(tray), app_(p, *this), gate_([this] { Render(); }, [this](int) { Ended(); }) {
    setObjectName("mainWindow");
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    setWindowIcon(WindowIcon());
    OwnBoxes(p_.svc.host, this);
    app_.window.view.trayAvailable = tray_.Available();
    BuildControls();
    BuildPopupMenu();

    timer_ = new QTimer(this);
    timer_->setObjectName("mainTimer");
    timer_->setInterval(500);
    connect(timer_, &QTimer::timeout, this, [this] { Tick(); });

    connect(&tray_.Icon(), &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason why) {
        if (why == QSystemTrayIcon::DoubleClick) Run([this] { app_.window.OnTrayDoubleClick(); });
        if (why == QSystemTrayIcon::Context) Run([this] { app_.window.OnTrayRightClick(); });
    });
}

MainWindow::~MainWindow() = default;

void MainWindow::BuildControls() {
    auto label = [this](const char* name, LabelView MainView::*part) {
        auto* widget = new QLabel(this);
        widget->setObjectName(name);
        widget->setMargin(2);
        renderers_.push_back([this, widget, part] { Show(*widget, app_.window.view.*part); });
        return widget;
    };
    auto button = [this](const char* name, ButtonView MainView::*part, void (MainWindowModel::*handler)()) {
        auto* widget = new QPushButton(this);
        widget->setObjectName(name);
        connect(widget, &QPushButton::clicked, this,
                [this, handler] { Run([&] { (app_.window.*handler)(); }); });
        renderers_.push_back([this, widget, part] { Show(*widget, app_.window.view.*part); });
        return widget;
    };

    auto* logo = new LogoPicture([this] { Run([this] { app_.window.OnLogo(); }); }, this);
    logo->setObjectName("logo");
    QLabel* title = label("title", &MainView::title);
    title->setWordWrap(true);
    // Room for the longest status sentence on two lines, so the window never changes its size.
    title->setFixedHeight(title->fontMetrics().lineSpacing() * 2 + 6);
    QLabel* counter = label("counter", &MainView::counter);
    QLabel* statusLine = label("statusLine", &MainView::statusLine);
    statusLine->setAlignment(Qt::AlignCenter);
    statusLine->setFixedWidth(statusLine->fontMetrics().horizontalAdvance("P1 P2 P3  .") + 12);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(button("reset", &MainView::reset, &MainWindowModel::OnReset));
    buttons->addWidget(button("test", &MainView::test, &MainWindowModel::OnTest));
    buttons->addWidget(button("configure", &MainView::configure, &MainWindowModel::OnConfigure));
    buttons->addWidget(button("about", &MainView::about, &MainWindowModel::OnAbout));
    buttons->addWidget(button("update", &MainView::update, &MainWindowModel::OnUpdate));
    buttons->addWidget(button("exit", &MainView::exit, &MainWindowModel::OnExit));

    auto* grid = new QGridLayout(this);
    grid->addWidget(logo, 0, 0, 2, 1, Qt::AlignTop);
    grid->addWidget(title, 0, 1, 1, 2);
    grid->addWidget(counter, 1, 1);
    grid->addWidget(statusLine, 1, 2);
    grid->addLayout(buttons, 2, 0, 1, 3);
    grid->setColumnStretch(1, 1);
    grid->setColumnMinimumWidth(
        1,
        title->fontMetrics().horizontalAdvance("Shutdown if there is no activity for 3600s or at 22:30") + 8);
    grid->setSizeConstraint(QLayout::SetFixedSize);
}

void MainWindow::BuildPopupMenu() {
    menu_ = new QMenu(this);
    menu_->setObjectName("popupMenu");
    menu_->setTitle("Quenzel");
    auto item = [this](const char* name, MenuItemView MainView::*part, void (MainWindowModel::*handler)()) {
        QAction* action = menu_->addAction(QString());
        action->setObjectName(name);
        connect(action, &QAction::triggered, this,
                [this, handler] { Run([&] { (app_.window.*handler)(); }); });
        renderers_.push_back([this, action, part] {
            const MenuItemView& view = app_.window.view.*part;
            action->setText(FromViewText(view.caption));
            action->setVisible(view.visible);
            action->setEnabled(view.enabled);
        });
    };
    auto line = [this](const char* name) { menu_->addSeparator()->setObjectName(name); };
    item("menuAbout", &MainView::menuAbout, &MainWindowModel::OnMenuAbout);
    line("menuLine1");
    item("menuCancel", &MainView::menuCancel, &MainWindowModel::OnMenuCancel);
    item("menuConfigure", &MainView::menuConfigure, &MainWindowModel::OnMenuConfigure);
    item("menuMinimise", &MainView::menuMinimise, &MainWindowModel::OnMenuMinimise);
    item("menuReset", &MainView::menuReset, &MainWindowModel::OnMenuReset);
    item("menuRestore", &MainView::menuRestore, &MainWindowModel::OnMenuRestore);
    item("menuTest", &MainView::menuTest, &MainWindowModel::OnMenuTest);
    item("menuUpdate", &MainView::menuUpdate, &MainWindowModel::OnMenuUpdate);
    line("menuLine2");
    item("menuExit", &MainView::menuExit, &MainWindowModel::OnMenuExit);
}

void MainWindow::Load() {
    Run([this] { app_.Load(); });
    Centre();
}

void MainWindow::Run(const EventGate::Handler& handler) {
    gate_.Run(handler);
}

// Qt tells nobody when a tray comes or goes; asking is cheap.
void MainWindow::Tick() {
    const bool trayAvailable = tray_.Available();
    Run([this, trayAvailable] {
        app_.window.SetTrayAvailable(trayAvailable);
        app_.OnTimer();
    });
}

void MainWindow::DataArrival() {
    Run([this] { app_.link.OnDatagram(); });
}

void MainWindow::RenderControls() {
    for (const auto& render : renderers_)
        render();
}

void MainWindow::Render() {
    const MainView& v = app_.window.view;
    RenderControls();
    setWindowTitle(FromViewText(v.caption));
    tray_.Show(v.trayKey, v.trayTip);
    if (v.noticeSerial != noticed_) {
        noticed_ = v.noticeSerial;
        tray_.Notify(p_.rt.appTitle, v.notice);
    }
    RenderWindow();
    if (v.popupRequests != poppedUp_) {
        poppedUp_ = v.popupRequests;
        menu_->popup(QCursor::pos());
    }
    FollowTimer();
    FollowSocket();
    if (about_) {
        about_->Render();
        if (!about_->Screen().view.open) {
            about_->deleteLater();
            about_ = nullptr;
        }
    }
}

void MainWindow::RenderWindow() {
    const MainView& v = app_.window.view;
    rendering_ = true;
    const Qt::WindowFlags current = windowFlags();
    // Without the close command the title bar has no close box. Qt adds flags of its own, so only
    // these two are compared; setting the flags hides the window, which is shown again below.
    if (current.testFlag(Qt::WindowCloseButtonHint) != v.closeAllowed ||
        current.testFlag(Qt::WindowStaysOnTopHint) != v.topMost) {
        Qt::WindowFlags flags = current;
        flags.setFlag(Qt::WindowCloseButtonHint, v.closeAllowed);
        flags.setFlag(Qt::WindowStaysOnTopHint, v.topMost);
        setWindowFlags(flags);
    }

    if (v.hidden) {
        hide();
    } else if (v.state == WindowState::Minimised) {
        if (!isVisible() || !isMinimized()) showMinimized();
    } else if (!isVisible() || isMinimized()) {
        showNormal();
    }
    if (v.centreRequests != centred_) {
        centred_ = v.centreRequests;
        Centre();
    }
    if (v.foregroundRequests != broughtForward_) {
        broughtForward_ = v.foregroundRequests;
        SetForeground();
    }
    rendering_ = false;
}

void MainWindow::Centre() {
    const QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    if (!screen) return;
    QRect frame = frameGeometry();
    frame.moveCenter(screen->geometry().center());
    move(frame.topLeft());
    // Before the window manager has framed the window its frame is unknown: centre once more
    // when it is known, or the window sits off by half the title bar.
    centreWhenFramed_ = frame.size() == size();
}

void MainWindow::FollowTimer() {
    if (p_.rt.timerOn && !timer_->isActive()) timer_->start();
    if (!p_.rt.timerOn && timer_->isActive()) timer_->stop();
}

// A reload of the settings may have closed the socket or bound a new one, possibly under the old
// descriptor's number; a notifier that saw its descriptor closed meanwhile has switched itself off.
void MainWindow::FollowSocket() {
    const std::intptr_t handle = p_.svc.socket.NativeHandle();
    const int port = p_.rt.boundPort;
    if (handle == watchedSocket_ && port == watchedPort_ &&
        (handle < 0 || (notifier_ && notifier_->isEnabled())))
        return;
    notifier_.reset();
    watchedSocket_ = handle;
    watchedPort_ = port;
    if (handle < 0) return;
    notifier_ = std::make_unique<QSocketNotifier>(static_cast<qintptr>(handle), QSocketNotifier::Read);
    connect(notifier_.get(), &QSocketNotifier::activated, this, [this] { DataArrival(); });
}

// A screen that is open already comes forward instead of a second one: a reset meanwhile (from the
// main station, say) gives the popup items back while the screen is still open.
void MainWindow::ShowAbout() {
    if (about_) {
        about_->raise();
        return;
    }
    about_ = new AboutDialog(
        p_, app_.window, [this](const EventGate::Handler& handler) { Run(handler); }, this);
    about_->Screen().Load();
    about_->Render();
    about_->show();
}

void MainWindow::UnloadAbout() {
    if (about_) about_->Screen().Close();
}

void MainWindow::ShowConfig() {
    if (config_) {
        config_->raise();
        return;
    }
    config_ = OpenConfigDialog(p_, app_, *this, this);
    // The screen has given the main window its controls back, and may have reset the program.
    connect(config_, &QDialog::finished, this, [this] { Run([] {}); });
}

void MainWindow::UnloadConfig() {
    if (config_) config_->close();
}

void MainWindow::SetForeground() {
    if (!isVisible()) return;
    raise();
    activateWindow();
}

void MainWindow::OpenWebPage(const std::string& page) {
    qz::OpenWebPage(p_, page);
}

bool MainWindow::event(QEvent* event) {
    if (event->type() == QEvent::WindowActivate) Run([this] { app_.window.OnActivated(); });
    // The window manager frames a window before it shows it: the first paint with the frame known
    // centres the window on it.
    if (event->type() == QEvent::Paint && centreWhenFramed_ && frameGeometry().contains(geometry()) &&
        frameGeometry() != geometry())
        QMetaObject::invokeMethod(
            this, [this] { Centre(); }, Qt::QueuedConnection);
    return QWidget::event(event);
}

void MainWindow::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    // The window system's own minimise and restore; the window's own changes are the view's already.
    if (event->type() == QEvent::WindowStateChange && !rendering_)
        QMetaObject::invokeMethod(
            this, [this] { WindowStateChanged(); }, Qt::QueuedConnection);
}

void MainWindow::WindowStateChanged() {
    const WindowState now = isMinimized() ? WindowState::Minimised : WindowState::Normal;
    if (now == app_.window.view.state) return;
    Run([this, now] {
        app_.window.view.state = now;
        app_.window.OnResized();
    });
}

void MainWindow::closeEvent(QCloseEvent* event) {
    event->ignore();
    if (EndedWith() || !app_.window.view.closeAllowed) return;
    Run([this] { app_.window.Close(); });
}

// The host handed control back after the end of the program: close down as if the process ended.
void MainWindow::Ended() {
    timer_->stop();
    notifier_.reset();
    tray_.Remove();
    if (about_) about_->hide();
    if (config_) config_->hide();
    hide();
}

} // namespace qz
