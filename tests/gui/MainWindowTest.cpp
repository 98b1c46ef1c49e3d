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
    if (!window.isVisible())
        seen += "hidden ";
    else if (window.isMinimized())
        seen += "minimised ";
    else if (window.frameGeometry().center() == window.screen()->geometry().center())
        seen += "centred ";
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

// The monitor's key whose tray picture this is ("Start" shares the one of "Activate").
std::string KeyOf(const QImage& picture) {
    for (const char* key : {"Activate", "Activity", "NoActivity", "Shutdown"})
        if (!picture.isNull() &&
            picture == TrayPicture(key).pixmap(picture.size()).toImage().convertToFormat(picture.format()))
            return key;
    return "none";
}

// quenzel_screenshots sets QZ_PICTURES to the folder where the README's pictures of these scenes go.
void Picture(const QPixmap& picture, const char* file) {
    const QString folder = qEnvironmentVariable("QZ_PICTURES");
    EXPECT_TRUE(folder.isEmpty() || picture.save(folder + "/" + file)) << file;
}
void Picture(QWidget& window, const char* file) {
    if (qEnvironmentVariableIsSet("QZ_PICTURES")) Picture(window.grab(), file);
}

TEST(MainWindow, ButtonsAndPopupItemsDriveTheProgramsHandlers) {
    const std::tuple<const char*, const char*, std::string> rows[] = {
        {"test", "menuTest", "*Enter/Test *Start/Initialise "},
        {"reset", "menuReset", "Reset/Run Start/Initialise "},
        {"about", "menuAbout", "AboutScreen "},
        {"configure", "menuConfigure", "ConfigScreen "},
        {"update", "menuUpdate", "https://www.quenzel.example/software/misc/update.htm?ID=15&Ver=1.6 "},
        {"logo", nullptr, "https://www.quenzel.example/index.htm "},
        {nullptr, "menuMinimise", "hidden "},
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

TEST(MainWindow, LabelsTrayMenuAndNoticeFollowTheMonitorsState) {
    const QPalette system = QApplication::palette();
    const std::string face = " on " + system.color(QPalette::Button).name().toStdString();
    const std::string text = " " + system.color(QPalette::ButtonText).name().toStdString() + face;
    const auto tray = [](GuiWorld& w) { return KeyOf(w.tray.Icon().icon().pixmap(32, 32).toImage()); };
    GuiWorld w;
    QStringList balloons;
    w.tray.SetBalloonSink([&](const QString& title, const QString& notice) { balloons << title << notice; });
    w.world.processes.names = {"worker.exe"};
    w.Start(IniFile(), "-InhibitShutdown"); // which makes every delay 6 seconds
    EXPECT_EQ(Look(w, "counter"), "Program Activation In 2s #0000ff" + face);
    EXPECT_EQ(tray(w) + " " + w.tray.Icon().toolTip().toStdString(), "Activate Quenzel");
    emit w.tray.Icon().activated(QSystemTrayIcon::Context); // a right click on the icon opens the popup
    EXPECT_TRUE(w.window->PopupMenu().isVisible());
    w.Seconds(3);
    EXPECT_EQ(Look(w, "title") + "|" + Look(w, "counter") + "|" + Look(w, "statusLine") + "|" + tray(w),
              "Shutdown if there is no activity for 6s" + text + "|Activity #006600" + face + "|P1 .. .." +
                  text + "|Activity");
    Picture(*w.window, "main-run.png");
    w.IntoCountdown();
    w.Seconds(2);
    EXPECT_EQ(Look(w, "counter"), "The Computer Will Shutdown In 4s #ffffff on #ff8000 bold");
    EXPECT_EQ(balloons.join("|").toStdString(), "Quenzel|The computer will shut down at 10:30:06 (in 6 s). "
                                                "Click Cancel or use the tray menu to stop it.");
    EXPECT_EQ(tray(w), "Shutdown");
    EXPECT_EQ(Choosable(w), (Texts{"menuCancel", "reset"}));
    EXPECT_EQ(w.Find<QPushButton>("reset").text() + w.Find<QPushButton>("reset").toolTip(),
              "&CancelCancel Quenzel Shutdown");
    Picture(*w.window, "main-countdown.png");
    const size_t logged = w.Events().size();
    w.Find<QAction>("menuCancel").trigger();
    EXPECT_EQ(Outcome(w, logged) + tray(w), "Cancel/Shutdown Start/Initialise centred Activate");
    w.Click("about");
    w.window->About()->OnSecond();
    EXPECT_EQ(w.window->About()->findChild<QLabel*>("closeNotice")->text(), "About will close in 4 sec");
    Picture(*w.window->About(), "about.png");

    GuiWorld unconfigured;
    unconfigured.Start(IniFile().Set("Proc1", ""), "-InhibitShutdown");
    EXPECT_EQ(Look(unconfigured, "title"), "Click Configure To Set Up Quenzel #ff8000" + face + " bold");
    Picture(*unconfigured.window, "main-unconfigured.png");
    EXPECT_EQ(KeyOf(WindowIcon().pixmap(32, 32).toImage()), "NoActivity");
}

TEST(MainWindow, AScreenPausesTheMainControlsComesForwardOnceAndClosesItself) {
    GuiWorld w;
    w.Start(IniFile(), "-InhibitShutdown");
    const Texts all = Choosable(w);
    w.Click("about");
    EXPECT_EQ(Choosable(w), (Texts{"menuMinimise", "menuUpdate", "menuExit", "update", "exit"}));
    w.window->Run([&] { w.window->Logic().link.RemoteReset(); }); // gives the popup back meanwhile
    w.Find<QAction>("menuAbout").trigger();
    QTest::qWait(2500); // under "-InhibitShutdown" the screen closes itself after 4 seconds
    EXPECT_EQ(Outcome(w, w.Events().size()), "AboutScreen centred ");
    EXPECT_TRUE(QTest::qWaitFor([&] { return w.window->findChildren<QDialog*>().isEmpty(); }, 10000));
    EXPECT_EQ(Choosable(w), all);
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
TEST(MainWindow, MinimiseRestoreAndTrayClicksFollowTheUsersChoiceAndTheTray) {
    GuiWorld w;
    w.Start(IniFile().Set("StartMin", 2)); // in the tray
    const auto item = [&w](const char* name) { return [&w, name] { w.Find<QAction>(name).trigger(); }; };
    const auto click = [&w](QSystemTrayIcon::ActivationReason how) {
        return [&w, how] { emit w.tray.Icon().activated(how); };
    };
    const auto forward = [&w] { // the double click brings the open window forward again
        const Cover cover;
        emit w.tray.Icon().activated(QSystemTrayIcon::DoubleClick);
        EXPECT_TRUE(QTest::qWaitForWindowActive(w.window.get()));
    };
    const auto tick = [&w] { w.Seconds(1); };
    const auto systemMinimise = [&w] {
        w.window->setWindowState(Qt::WindowMinimized);
        QTest::qWait(0);
    };
    const std::tuple<bool, std::function<void()>, std::string> rows[] = {
        {true, click(QSystemTrayIcon::Trigger), "hidden -"},
        {true, click(QSystemTrayIcon::DoubleClick), "centred x"},
        {true, forward, "centred x"},
        {true, item("menuReset"), "centred x"}, // a Reset keeps that choice
        {true, item("menuMinimise"), "hidden -"},
        {true, item("menuReset"), "hidden -"},
        {false, tick, "centred x"},
        {false, item("menuMinimise"), "minimised -"},
        {false, tick, "minimised -"},
        {true, tick, "hidden -"},
        {true, click(QSystemTrayIcon::DoubleClick), "centred x"},
        {true, systemMinimise, "hidden -"},
        {true, item("menuRestore"), "centred x"},
    };
    std::string seen, expected;
    for (const auto& [trayAvailable, action, window] : rows) {
        w.trayAvailable = trayAvailable;
        action();
        seen += Outcome(w, w.Events().size()) + (w.p.rt.WindowOverride ? "x, " : "-, ");
        expected += window + ", ";
    }
    EXPECT_EQ(seen, expected);
}

TEST(MainWindow, CloseFollowsTheExitPermissionAndActivationRunOnTop) {
    for (const bool permitted : {true, false}) {
        GuiWorld w;
        w.world.system.admin = false;
        w.Start(IniFile().Set("UserExit", permitted ? 1 : 2).Set("RunOnTop", permitted ? 2 : 1));
        QEvent activate(QEvent::WindowActivate);
        QApplication::sendEvent(w.window.get(), &activate);
        EXPECT_EQ(w.window->windowFlags().testFlag(Qt::WindowCloseButtonHint), permitted);
        const size_t logged = w.Events().size();
        w.window->close();
        EXPECT_EQ(Outcome(w, logged), permitted ? "Exit/Initialise hidden on top ended 0" : "centred ");
    }
}

// Under a window manager (QZ_DESKTOP): whether it stacks the box above the window, waiting for it a
// while. Empty without one.
std::string Stacking(const QWidget& box, const QWidget& window) {
    if (!qEnvironmentVariableIsSet("QZ_DESKTOP")) return "";
    const auto above = [&] {
        QProcess xprop; // "_NET_CLIENT_LIST_STACKING(WINDOW): window id # 0x400007, 0x600003", bottom first
        xprop.start("xprop", {"-root", "_NET_CLIENT_LIST_STACKING"});
        xprop.waitForFinished(5000);
        QList<WId> stack;
        for (const QString& id : QString::fromUtf8(xprop.readAll()).section('#', 1).split(','))
            stack << id.trimmed().toULong(nullptr, 16);
        // The window's own handle: setting its flags may have given it another native window.
        const WId boxId = box.windowHandle()->winId(), windowId = window.windowHandle()->winId();
        return stack.contains(windowId) && stack.indexOf(boxId) > stack.indexOf(windowId);
    };
    return QTest::qWaitFor(above, 3000) ? " above" : " below";
}

// The box at the end of the countdown, while the user works in another window: it belongs to the
// window, which stays on top, and opens in front of it with the focus.
TEST(Boxes, TheCountdownsEndBoxOpensInFrontOfTheTopMostWindow) {
    for (const auto& [option, refused, picture] :
         {std::tuple{"-InhibitShutdown", false, "countdown-end.png"}, std::tuple{"", true, ""}}) {
        SCOPED_TRACE(option);
        GuiWorld w;
        w.host.onDesktop = true;
        w.world.power.exitAccepted = !refused;
        w.Start(IniFile().Set("ShutTime", 6).Set("RunOnTop", 2), option);
        w.IntoCountdown();
        const Cover cover;
        std::string seen;
        QTimer::singleShot(0, [&, file = picture] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            ASSERT_NE(box, nullptr);
            seen = box->windowTitle().toStdString();
            if (box->parentWidget() == w.window.get()) seen += " of the window";
            if (box->windowFlags().testFlag(Qt::WindowStaysOnTopHint)) seen += " on top";
            if (QTest::qWaitForWindowActive(box)) seen += " focused";
            seen += Stacking(*box, *w.window);
            if (*file && qEnvironmentVariableIsSet("QZ_DESKTOP")) {
                const QRect shown =
                    w.window->frameGeometry().united(box->frameGeometry()).adjusted(-40, -40, 40, 40);
                Picture(box->screen()->grabWindow(0, shown.x(), shown.y(), shown.width(), shown.height()),
                        file);
            }
            box->button(QMessageBox::Ok)->click();
        });
        w.Seconds(7);
        const std::string onTheDesktop = qEnvironmentVariableIsSet("QZ_DESKTOP") ? " above" : "";
        EXPECT_EQ(seen, (refused ? "Quenzel Shutdown Error" : "Quenzel Simulate Shutdown") +
                            std::string(" of the window on top focused") + onTheDesktop);
    }
}

TEST(DesktopStart, SecondCopyShowsOnlyTheAlreadyRunningWindow) {
    GuiWorld w;
    w.dir.Write("Data/Quenzel.ini", IniFile().Text());
    w.world.guard.otherHolds = true;
    const Desktop second = StartDesktop(w.p, w.tray);
    ASSERT_EQ(second.main, nullptr);
    const AlreadyRunningWindow& window = *second.multiInst;
    EXPECT_TRUE(window.isVisible() && window.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_FALSE(w.tray.Icon().isVisible() || w.window->isVisible());
    EXPECT_EQ(window.findChild<QLabel*>("message")->text(),
              "Quenzel is already running.\nOnly one instance can be\nrunning at a time.");
    QTest::mouseClick(window.findChild<QPushButton*>("exit"), Qt::LeftButton);
    EXPECT_EQ(window.EndedWith(), 1);
}

// A slave's commands arrive through the socket's notifier, also after a reload bound another port.
TEST(LinkEvents, CommandsArriveThroughTheEventLoopAfterAReloadToo) {
    auto socket = MakeUdpSocket(), sender = MakeUdpSocket();
    ASSERT_TRUE(sender->Bind(FreeUdpPort()));
    GuiWorld w(true, socket.get());
    AppSide side(w.p, w.window->Logic(), *w.window);
    for (const int port : {FreeUdpPort(), FreeUdpPort()}) {
        w.dir.Write("Data/Quenzel.ini",
                    IniFile().Set("CMain", 2).Set("IPAdd", "127.1.1.1").Set("Port1", port).Text());
        w.p.rt.BoundPort ? w.window->Run([&] { side.ResetProgram(); }) : w.window->Load();
        ASSERT_EQ(w.p.rt.BoundPort, port);
        EXPECT_EQ(w.window->windowTitle(), "Quenzel Slave");
        ASSERT_TRUE(sender->SendTo("127.0.0.1", port, "<QZT000>"));
        EXPECT_TRUE(
            QTest::qWaitFor([&] { return w.window->windowTitle() == "Quenzel Slave - Test Mode"; }, 5000));
    }
}

// The desktop's notification-area host: answers as the watcher, notes the item that registers.
class Watcher : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierWatcher")
    Q_PROPERTY(bool IsStatusNotifierHostRegistered READ HostRegistered)
  public:
    bool HostRegistered() const { return true; }
    QString item;
  public slots:
    void RegisterStatusNotifierItem(const QString&, const QDBusMessage& call) {
        QMetaObject::invokeMethod(qApp, [this, caller = call.service()] { item = caller; });
    }
};

// The key of the first picture a(iiay) the item shows; the window serving it runs its events meanwhile.
std::string Shown(const QString& item) {
    QDBusMessage get =
        QDBusMessage::createMethodCall(item, "/StatusNotifierItem", "org.freedesktop.DBus.Properties", "Get");
    get << QString("org.kde.StatusNotifierItem") << QString("IconPixmap");
    const QDBusReply<QDBusVariant> reply = QDBusConnection::sessionBus().call(get, QDBus::BlockWithGui, 5000);
    const QDBusArgument pictures = reply.value().variant().value<QDBusArgument>();
    int width = 0, height = 0;
    QByteArray bytes; // 32-bit ARGB in network byte order
    pictures.beginArray();
    if (!pictures.atEnd()) {
        pictures.beginStructure();
        pictures >> width >> height >> bytes;
        pictures.endStructure();
    }
    QImage image(width, height, QImage::Format_ARGB32);
    if (bytes.size() != image.sizeInBytes()) return "none";
    qFromBigEndian<quint32>(bytes.constData(), qsizetype(width) * height, image.bits());
    return KeyOf(image);
}

// dbus-run-session gives these a session bus of their own: nothing reaches the user's desktop.
TEST(TrayOnARealHost, IconRegistersFollowsTheMonitorsStateAndTheHostsComingAndGoing) {
    if (!qEnvironmentVariableIsSet("QZ_PRIVATE_BUS")) GTEST_SKIP() << "run through ctest";
    QThread host; // answers the tray's questions while the window waits for them
    Watcher watcher;
    watcher.moveToThread(&host);
    host.start();
    const auto stop = qScopeGuard([&host] {
        host.quit();
        host.wait();
    });
    QDBusConnection bus = QDBusConnection::connectToBus(QDBusConnection::SessionBus, "watcher");
    ASSERT_TRUE(bus.registerObject("/StatusNotifierWatcher", &watcher,
                                   QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllProperties));
    ASSERT_TRUE(bus.registerService("org.kde.StatusNotifierWatcher"));

    GuiWorld w;
    w.desktopTray = true;
    w.world.processes.names = {"worker.exe"};
    w.Start(IniFile());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !watcher.item.isEmpty(); }, 30000)) << "never registered";
    EXPECT_EQ(Shown(watcher.item), "Activate");
    w.Seconds(3);
    EXPECT_EQ(Shown(watcher.item), "Activity");

    // The host ends while the window is in the tray, and another starts while it is minimised.
    std::string seen;
    for (const auto& step : std::initializer_list<std::function<bool()>>{
             [&] { return QMetaObject::invokeMethod(&w.Find<QAction>("menuMinimise"), "trigger"); },
             [&] { return bus.unregisterService("org.kde.StatusNotifierWatcher") && (w.Seconds(1), true); },
             [&] { return QMetaObject::invokeMethod(&w.Find<QAction>("menuMinimise"), "trigger"); },
             [&] { return (watcher.item.clear(), bus.registerService("org.kde.StatusNotifierWatcher")); },
             [&] { return (w.Seconds(1), true); }})
        seen += !step() ? "failed " : w.window->isVisible() ? "shown " : "hidden ";
    EXPECT_EQ(seen, "hidden shown shown shown hidden ");
    EXPECT_TRUE(QTest::qWaitFor([&] { return !watcher.item.isEmpty(); }, 10000)) << "never docked again";
    w.IntoCountdown();
    EXPECT_EQ(Shown(watcher.item), "Shutdown");
}

// Stands in for the desktop's notification service; it may be called on the bus's own thread.
struct Notifications final : QDBusVirtualObject {
    bool handleMessage(const QDBusMessage& message, const QDBusConnection& bus) override {
        if (message.member() != "Notify") return false;
        bus.send(message.createReply(QVariantList{7u}));
        const std::lock_guard lock(mutex);
        calls << message.arguments();
        return true;
    }
    QString introspect(const QString&) const override { return {}; }
    std::mutex mutex;
    QList<QVariantList> calls;
};

TEST(TrayOnARealHost, WithoutATrayTheNotificationServiceReceivesTheNoticeOnce) {
    if (!qEnvironmentVariableIsSet("QZ_PRIVATE_BUS")) GTEST_SKIP() << "run through ctest";
    Notifications fake;
    QDBusConnection service = QDBusConnection::connectToBus(QDBusConnection::SessionBus, "notify-service");
    ASSERT_TRUE(service.registerVirtualObject("/org/freedesktop/Notifications", &fake));
    ASSERT_TRUE(service.registerService("org.freedesktop.Notifications"));
    ASSERT_TRUE(QDBusConnection::connectToBus(QDBusConnection::SessionBus, "notify-app").isConnected());
    GuiWorld w(false);
    w.tray.SetNotificationBus("notify-app");
    w.Start(IniFile().Set("ShutTime", 10).Set("StartDelay", 1));
    w.IntoCountdown();
    w.Seconds(2);
    QTest::qWait(200); // time for a second call that must not come
    const std::lock_guard lock(fake.mutex);
    ASSERT_EQ(fake.calls.size(), 1);
    QVariantList args = fake.calls.front();
    args.removeAt(
        6); // application, a new one, icon, title, text, no actions, (hints), the service's time-out
    EXPECT_EQ(args, (QVariantList{"Quenzel", 0u, "quenzel", "Quenzel",
                                  "The computer will shut down at 10:30:10 (in 10 s). Click "
                                  "Cancel to stop it.",
                                  QStringList(), -1}));
}

} // namespace
} // namespace qz::test

#include "MainWindowTest.moc"
