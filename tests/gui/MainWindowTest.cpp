#include <QtDBus>
#include <QtWidgets>
#include <gtest/gtest.h>
#include <mutex>

#include "gui/AboutDialog.h"
#include "gui/Desktop.h"
#include "gui/Pictures.h"
#include "gui/config/MainWindowSide.h"
#include "platform/Backend.h"
#include "tests/gui/GuiWorld.h"
#include "tests/link/Loopback.h"

namespace qz::test {
namespace {

using Texts = std::vector<std::string>;

// What the user sees: entries logged after the first `logged`, pages opened, screens, the window.
std::string Outcome(const GuiWorld& w, size_t logged) {
    std::string seen;
    const Texts events = w.Events();
    for (size_t i = logged; i < events.size(); ++i)
        seen += events[i] + " ";
    for (const std::string& page : w.world.system.opened)
        seen += page + " ";
    for (const QDialog* screen : w.window->findChildren<QDialog*>())
        if (screen->isVisible()) seen += screen->objectName().toStdString() + " ";
    const QWidget& window = *w.window;
    const bool centred = window.frameGeometry().center() == window.screen()->geometry().center();
    seen += !window.isVisible() ? "hidden " : window.isMinimized() ? "minimised " : centred ? "centred " : "";
    if (window.windowFlags().testFlag(Qt::WindowStaysOnTopHint)) seen += "on top ";
    if (w.window->EndedWith()) seen += "ended " + std::to_string(*w.window->EndedWith());
    return seen;
}

// A label's text, colours and weight.
std::string Look(const GuiWorld& w, const char* name) {
    const QLabel& label = w.Find<QLabel>(name);
    return (label.text() + " " + label.palette().color(QPalette::WindowText).name() + " on " +
            label.palette().color(QPalette::Window).name() + (label.font().bold() ? " bold" : ""))
        .toStdString();
}

// The popup items and the buttons a user could choose now, in their order.
Texts Choosable(const GuiWorld& w) {
    Texts choosable;
    for (const QAction* item : w.window->PopupMenu().actions())
        if (item->isVisible() && item->isEnabled() && !item->isSeparator())
            choosable.push_back(item->objectName().toStdString());
    for (const char* button : {"reset", "test", "configure", "about", "update", "exit"})
        if (w.Find(button).isEnabled()) choosable.push_back(button);
    return choosable;
}

// The monitor's key whose picture the tray shows ("Start" shares the one of "Activate").
std::string TrayKey(GuiWorld& w) {
    const QImage picture = w.tray.Icon().icon().pixmap(32, 32).toImage();
    for (const char* key : {"Activate", "Activity", "Shutdown"})
        if (picture == TrayPicture(key).pixmap(picture.size()).toImage().convertToFormat(picture.format()))
            return key;
    return "none";
}

// quenzel_screenshots sets QZ_PICTURES to the folder where the README's pictures of these scenes go.
void Picture(const QPixmap& picture, const char* file) {
    const QString folder = qEnvironmentVariable("QZ_PICTURES");
    EXPECT_TRUE(folder.isEmpty() || picture.save(folder + "/" + file)) << file;
}

TEST(MainWindow, ButtonsAndPopupItemsDriveTheProgramsHandlers) {
    const std::tuple<const char*, const char*, std::string> rows[] = {
        {"test", "menuTest", "*Enter/Test *Start/Initialise "},
        {"reset", "menuReset", "Reset/Run Start/Initialise "},
        {"about", "menuAbout", "AboutScreen "},
        {"configure", "menuConfigure", "ConfigScreen "},
        {"update", "menuUpdate", "https://www.quenzel.example/software/misc/update.htm?ID=15&Ver=1.6 "},
        {"logo", nullptr, "https://www.quenzel.example/index.htm "},
        {"exit", "menuExit", "Exit/Run hidden ended 0"},
    };
    for (const auto& [button, item, outcome] : rows) {
        for (const char* control : {button, item}) {
            if (!control) continue;
            SCOPED_TRACE(control);
            GuiWorld w;
            w.world.processes.names = {"worker.exe"};
            w.Start(IniFile());
            w.Seconds(3);
            w.window->move(0, 0);
            const size_t logged = w.Events().size();
            control == button ? w.Click(control) : w.Find<QAction>(control).trigger();
            w.Seconds(w.window->EndedWith() ? 2 : 0); // nothing runs after the end
            EXPECT_EQ(w.tray.Icon().isVisible(), !w.window->EndedWith());
            EXPECT_EQ(Outcome(w, logged), outcome);
        }
    }
}

// Also the scenes of the README's pictures; a screen pauses the main controls and closes itself.
TEST(MainWindow, LabelsTrayMenuAndNoticeFollowTheMonitorsState) {
    const QPalette system = QApplication::palette();
    const std::string face = " on " + system.color(QPalette::Button).name().toStdString();
    const std::string text = " " + system.color(QPalette::ButtonText).name().toStdString() + face;
    GuiWorld w;
    QStringList balloons;
    w.tray.SetBalloonSink([&](const QString& title, const QString& notice) { balloons << title << notice; });
    w.world.processes.names = {"worker.exe"};
    w.Start(IniFile(), "-InhibitShutdown"); // which makes every delay 6 seconds
    EXPECT_EQ(TrayKey(w) + " " + w.tray.Icon().toolTip().toStdString(), "Activate Quenzel");
    emit w.tray.Icon().activated(QSystemTrayIcon::Context); // a right click on the icon opens the popup
    EXPECT_TRUE(w.window->PopupMenu().isVisible());
    w.Seconds(3);
    EXPECT_EQ(Look(w, "title") + "|" + Look(w, "counter") + "|" + Look(w, "statusLine") + "|" + TrayKey(w),
              "Shutdown if there is no activity for 6s" + text + "|Activity #006600" + face + "|P1 .. .." +
                  text + "|Activity");
    Picture(w.window->grab(), "main-run.png");
    w.IntoCountdown();
    w.Seconds(2);
    EXPECT_EQ(Look(w, "counter") + "|" + TrayKey(w),
              "The Computer Will Shutdown In 4s #ffffff on #ff8000 bold|Shutdown");
    EXPECT_EQ(balloons.join("|").toStdString(), "Quenzel|The computer will shut down at 10:30:06 (in 6 s). "
                                                "Click Cancel or use the tray menu to stop it.");
    EXPECT_EQ(Choosable(w), (Texts{"menuCancel", "reset"}));
    EXPECT_EQ(w.Find<QPushButton>("reset").text() + w.Find<QPushButton>("reset").toolTip(),
              "&CancelCancel Quenzel Shutdown");
    Picture(w.window->grab(), "main-countdown.png");
    const size_t logged = w.Events().size();
    w.Find<QAction>("menuCancel").trigger();
    EXPECT_EQ(Outcome(w, logged) + TrayKey(w), "Cancel/Shutdown Start/Initialise centred Activate");
    const Texts all = Choosable(w);
    w.Click("about"); // which pauses the main controls until it closes
    w.window->Run([&] { w.window->Logic().link.RemoteReset(); }); // gives the popup back meanwhile
    w.Find<QAction>("menuAbout").trigger(); // brings the open screen forward instead of a second one
    EXPECT_EQ(Outcome(w, w.Events().size()), "AboutScreen centred ");
    const QLabel& notice = *w.window->About()->findChild<QLabel*>("closeNotice");
    EXPECT_TRUE(QTest::qWaitFor([&] { return notice.text() == "About will close in 4 sec"; }, 3000));
    Picture(w.window->About()->grab(), "about.png");
    EXPECT_TRUE(QTest::qWaitFor([&] { return w.window->findChildren<QDialog*>().isEmpty(); }, 10000));
    EXPECT_EQ(Choosable(w), all);
    w.window->close();
    EXPECT_EQ(Outcome(w, w.Events().size() - 1), "Exit/Initialise hidden ended 0");

    GuiWorld unconfigured;
    unconfigured.Start(IniFile().Set("Proc1", ""), "-InhibitShutdown");
    EXPECT_EQ(Look(unconfigured, "title"), "Click Configure To Set Up Quenzel #ff8000" + face + " bold");
    Picture(unconfigured.window->grab(), "main-unconfigured.png");
}

// Another window of the desktop, active over the program's.
struct Cover : QWidget {
    Cover() {
        resize(900, 600);
        show();
        activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(this));
    }
};

// The tray's host may end and another start at any time: the window hides into the tray only while
// there is one, else it minimises; a choice against StartMin holds until a minimise or restore.
TEST(MainWindow, MinimiseRestoreTrayClicksAndCloseFollowTheUsersChoiceTheTrayAndThePermission) {
    GuiWorld w;
    w.world.system.admin = false;
    w.Start(IniFile().Set("StartMin", 2).Set("UserExit", 2).Set("RunOnTop", 2)); // Exit: administrators only
    QEvent activate(QEvent::WindowActivate); // as the window system sends it: on top from now on
    QApplication::sendEvent(w.window.get(), &activate);
    EXPECT_FALSE(w.window->windowFlags().testFlag(Qt::WindowCloseButtonHint));
    const std::pair<const char*, std::string> rows[] = {
        {"click", "hidden on top -"},
        {"double click", "centred on top x"},
        {"covered, double click", "centred on top x"}, // brings the open window forward again
        {"menuReset", "centred on top x"},             // a Reset keeps that choice
        {"menuMinimise", "hidden on top -"},
        {"tray gone", "centred on top x"},
        {"menuMinimise", "minimised on top -"},
        {"tray back", "hidden on top -"},
        {"double click", "centred on top x"},
        {"close", "centred on top x"},
        {"system minimise", "hidden on top -"},
        {"menuRestore", "centred on top x"},
    };
    std::string seen, expected;
    for (const auto& [action, window] : rows) {
        const std::string_view act = action;
        std::optional<Cover> cover;
        if (act.starts_with("covered")) cover.emplace();
        if (act.starts_with("tray")) w.trayAvailable = act == "tray back";
        if (act.starts_with("tray")) w.Seconds(1);
        if (act == "click") emit w.tray.Icon().activated(QSystemTrayIcon::Trigger);
        if (act.ends_with("double click")) emit w.tray.Icon().activated(QSystemTrayIcon::DoubleClick);
        EXPECT_TRUE(!cover || QTest::qWaitForWindowActive(w.window.get())) << action;
        if (act == "system minimise") w.window->setWindowState(Qt::WindowMinimized);
        if (act.starts_with("menu")) w.Find<QAction>(action).trigger();
        if (act == "close") w.window->close();
        QTest::qWait(0);
        seen += Outcome(w, w.Events().size()) + (w.p.rt.windowOverride ? "x, " : "-, ");
        expected += window + ", ";
    }
    EXPECT_EQ(seen, expected);
}

// Stands in for the desktop's notification service; it may be called on the bus's own thread.
struct Notifications final : QDBusVirtualObject {
    bool handleMessage(const QDBusMessage& message, const QDBusConnection&) override {
        const std::lock_guard lock(mutex);
        calls << QVariantList{message.member()} + message.arguments();
        return true;
    }
    QString introspect(const QString&) const override { return {}; }
    std::mutex mutex;
    QList<QVariantList> calls;
};

// The countdown on a desktop without a tray, while the user works in another window: its notice goes
// to the notification service once (on a bus of the test's own, QZ_PRIVATE_BUS); the box at its end
// belongs to the window, which stays on top, and opens in front of it with the focus.
TEST(Boxes, WithoutATrayTheNoticeGoesToTheBusOnceAndTheEndBoxOpensInFrontOfTheTopMostWindow) {
    const bool bus = qEnvironmentVariableIsSet("QZ_PRIVATE_BUS");
    Notifications fake;
    if (bus) {
        QDBusConnection service =
            QDBusConnection::connectToBus(QDBusConnection::SessionBus, "notify-service");
        ASSERT_TRUE(service.registerVirtualObject("/org/freedesktop/Notifications", &fake));
        ASSERT_TRUE(service.registerService("org.freedesktop.Notifications"));
        ASSERT_TRUE(QDBusConnection::connectToBus(QDBusConnection::SessionBus, "notify-app").isConnected());
    }
    GuiWorld w;
    w.host.onDesktop = true;
    w.trayAvailable = false;
    w.tray.SetNotificationBus("notify-app");
    w.Start(IniFile().Set("RunOnTop", 2), "-InhibitShutdown");
    w.IntoCountdown();
    const Cover cover;
    std::string seen;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        seen = box->windowTitle().toStdString();
        if (box->parentWidget() == w.window.get()) seen += " of the window";
        if (box->windowFlags().testFlag(Qt::WindowStaysOnTopHint)) seen += " on top";
        if (QTest::qWaitForWindowActive(box)) seen += " focused";
        const QRect shown = w.window->frameGeometry().united(box->frameGeometry()).adjusted(-40, -40, 40, 40);
        Picture(box->screen()->grabWindow(0, shown.x(), shown.y(), shown.width(), shown.height()),
                "countdown-end.png");
        box->button(QMessageBox::Ok)->click();
    });
    w.Seconds(7);
    EXPECT_EQ(seen, "Quenzel Simulate Shutdown of the window on top focused");
    if (!bus) return;
    QTest::qWait(200); // time for a second notice that must not come
    const std::lock_guard lock(fake.mutex);
    ASSERT_EQ(fake.calls.size(), 1);
    QVariantList args = fake.calls.front();
    args.removeAt(
        7); // the hints; the call, application, a new one, icon, title, text, no actions, the time-out
    EXPECT_EQ(args,
              (QVariantList{"Notify", "Quenzel", 0u, "quenzel", "Quenzel",
                            "The computer will shut down at 10:30:06 (in 6 s). Click Cancel to stop it.",
                            QStringList(), -1}));
}

TEST(DesktopStart, SecondCopyShowsOnlyTheAlreadyRunningWindow) {
    GuiWorld w;
    w.dir.Write("Data/Quenzel.ini", IniFile().Text());
    w.world.guard.otherHolds = true;
    const Desktop second = StartDesktop(w.p, w.tray);
    ASSERT_EQ(second.main, nullptr);
    const AlreadyRunningWindow& window = *second.multiInst;
    EXPECT_TRUE(window.isVisible() && window.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_EQ(window.findChild<QLabel*>("message")->text(),
              "Quenzel is already running.\nOnly one instance can be\nrunning at a time.");
    QTest::mouseClick(window.findChild<QPushButton*>("exit"), Qt::LeftButton);
    EXPECT_EQ(window.EndedWith(), 1);
}

TEST(LinkEvents, CommandsArriveThroughTheEventLoopAfterAReloadToo) {
    auto socket = MakeUdpSocket(), sender = MakeUdpSocket();
    ASSERT_TRUE(sender->Bind(FreeUdpPort()));
    GuiWorld w(socket.get());
    AppSide side(w.p, w.window->Logic(), *w.window);
    for (const int port : {FreeUdpPort(), FreeUdpPort()}) {
        w.dir.Write("Data/Quenzel.ini",
                    IniFile().Set("CMain", 2).Set("IPAdd", "127.1.1.1").Set("Port1", port).Text());
        w.p.rt.boundPort ? w.window->Run([&] { side.ResetProgram(); }) : w.window->Load();
        ASSERT_TRUE(sender->SendTo("127.0.0.1", port, "<QZT000>"));
        EXPECT_TRUE(
            QTest::qWaitFor([&] { return w.window->windowTitle() == "Quenzel Slave - Test Mode"; }, 5000));
    }
}

} // namespace
} // namespace qz::test
