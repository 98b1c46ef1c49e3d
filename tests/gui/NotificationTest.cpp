#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVirtualObject>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>
#include <gtest/gtest.h>
#include <mutex>

#include "tests/gui/GuiWorld.h"

namespace qz::test {
namespace {

void StartIntoCountdown(GuiWorld& w) {
    w.Start(IniFile().Set("ShutTime", 10).Set("StartDelay", 1));
    w.IntoCountdown();
    ASSERT_EQ(w.p.monitor.phase, MonitorPhase::Shutdown);
}

TEST(Notification, TheCountdownsNoticeGoesToTheTrayBalloonOnce) {
    GuiWorld w(true);
    QStringList balloons;
    w.tray.SetBalloonSink([&](const QString& title, const QString& text) { balloons << title << text; });
    StartIntoCountdown(w);
    w.Seconds(3);
    EXPECT_EQ(balloons, (QStringList{"Quenzel", "The computer will shut down at 10:30:10 (in 10 s). Click "
                                                "Cancel or use the tray menu to stop it."}));
}

// A session bus of the test's own, so that nothing reaches the user's desktop.
class PrivateBus {
  public:
    PrivateBus() {
        daemon_.start("dbus-daemon", {"--session", "--nofork", "--print-address=1"});
        if (daemon_.waitForStarted(10000) && daemon_.waitForReadyRead(10000))
            address_ = QString::fromUtf8(daemon_.readLine()).trimmed();
    }
    ~PrivateBus() {
        for (const char* name : {"notify-app", "notify-service"})
            QDBusConnection::disconnectFromBus(name);
        daemon_.terminate();
        if (!daemon_.waitForFinished(5000)) daemon_.kill();
    }
    QDBusConnection Connect(const char* name) const { return QDBusConnection::connectToBus(address_, name); }

  private:
    QProcess daemon_;
    QString address_;
};

// Stands in for the desktop's notification service; it may be called on the bus's own thread.
class FakeNotifications final : public QDBusVirtualObject {
  public:
    bool handleMessage(const QDBusMessage& message, const QDBusConnection& bus) override {
        if (message.interface() != "org.freedesktop.Notifications" || message.member() != "Notify")
            return false;
        bus.send(message.createReply(QVariantList{7u}));
        const std::lock_guard lock(mutex_);
        calls_ << message.arguments();
        return true;
    }
    QString introspect(const QString&) const override { return {}; }
    QList<QVariantList> Calls() const {
        const std::lock_guard lock(mutex_);
        return calls_;
    }

  private:
    mutable std::mutex mutex_;
    QList<QVariantList> calls_;
};

TEST(Notification, WithoutATrayTheDesktopsNotificationServiceReceivesTheNotice) {
    if (QStandardPaths::findExecutable("dbus-daemon").isEmpty())
        GTEST_SKIP() << "dbus-daemon is not installed";
    PrivateBus bus;
    QDBusConnection service = bus.Connect("notify-service");
    FakeNotifications fake;
    ASSERT_TRUE(service.registerVirtualObject("/org/freedesktop/Notifications", &fake));
    ASSERT_TRUE(service.registerService("org.freedesktop.Notifications"));
    ASSERT_TRUE(bus.Connect("notify-app").isConnected());

    GuiWorld w(false);
    w.tray.SetNotificationBus("notify-app");
    StartIntoCountdown(w);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !fake.Calls().isEmpty(); }, 10000));
    QTest::qWait(200); // time for a second call that must not come
    ASSERT_EQ(fake.Calls().size(), 1);
    const QVariantList args = fake.Calls().front();
    ASSERT_EQ(args.size(), 8);
    // application, a new notification, icon, title, text, no actions, the service's own time-out
    EXPECT_EQ((QVariantList{args[0], args[1], args[2], args[3], args[4], args[5], args[7]}),
              (QVariantList{"Quenzel", 0u, "quenzel", "Quenzel",
                            "The computer will shut down at 10:30:10 (in 10 s). Click Cancel to stop it.",
                            QStringList(), -1}));
}

} // namespace
} // namespace qz::test
