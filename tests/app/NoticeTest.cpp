#include <gtest/gtest.h>

#include "tests/app/Harness.h"

namespace qz::test {
namespace {

// Idle seconds until the countdown has begun.
void IntoCountdown(Monitor& m) {
    for (int second = 0; second < 30 && m.p.monitor.phase != MonitorPhase::Shutdown; ++second)
        m.Seconds(1);
    ASSERT_EQ(m.p.monitor.phase, MonitorPhase::Shutdown);
}

void StartIntoCountdown(Monitor& m, const IniFile& ini) {
    m.Start(IniFile(ini).Set("StartDelay", 1).Set("IPAdd", "127.1.2.3")); // "Monitor" needs a peer
    IntoCountdown(m);
}

TEST(CountdownNotice, SaysWhatHappensWhenAndHowToStopItOncePerCountdown) {
    struct Row {
        int type, shutTime;
        LocalTime now;
        bool tray;
        std::string notice;
    };
    // clang-format off
    const Row rows[] = {
        {1, 60, {2026, 12, 5, 22, 30, 0}, true,
         "The computer will power off at 22:31:00 (in 60 s). Click Cancel or use the tray menu to stop it."},
        {2, 10, {2026, 12, 5, 8, 5, 55}, true,
         "The computer will reboot at 08:06:05 (in 10 s). Click Cancel or use the tray menu to stop it."},
        {3, 600, {2026, 12, 5, 23, 59, 30}, true,
         "The computer will shut down at 00:09:30 (in 600 s). Click Cancel or use the tray menu to stop it."},
        {4, 3, {2026, 12, 5, 12, 0, 0}, false, "Quenzel will close at 12:00:03 (in 3 s). Click Cancel to stop it."},
        {5, 45, {2026, 12, 5, 23, 59, 59}, false,
         "The computer will hibernate at 00:00:44 (in 45 s). Click Cancel to stop it."},
        {6, 2, {2026, 12, 5, 0, 0, 0}, true,
         "The computer will stand by at 00:00:02 (in 2 s). Click Cancel or use the tray menu to stop it."},
    };
    // clang-format on
    for (const Row& r : rows) {
        SCOPED_TRACE(r.notice);
        Monitor m;
        m.app.window.view.trayAvailable = r.tray;
        m.world.clock.now = r.now;
        StartIntoCountdown(m, IniFile().Set("ShutType", r.type).Set("ShutTime", r.shutTime));
        EXPECT_EQ(m.app.window.view.notice, r.notice);
        EXPECT_EQ(m.app.window.view.noticeSerial, 1u);
        m.Seconds(1);
        EXPECT_EQ(m.app.window.view.noticeSerial, 1u); // the following seconds say nothing new
    }
}

TEST(CountdownNotice, ATestRunSaysNothingAndTheNextCountdownSaysItAgain) {
    Monitor m;
    StartIntoCountdown(m, IniFile());
    m.app.window.OnReset(); // Cancel
    m.app.window.OnTest();
    for (int second = 0; second < 30 && m.host.messages.empty(); ++second)
        m.Seconds(1);
    ASSERT_EQ(m.host.messages.size(), 1u); // the test run has ended in its message
    EXPECT_EQ(m.app.window.view.noticeSerial, 1u);
    IntoCountdown(m);
    EXPECT_EQ(m.app.window.view.noticeSerial, 2u);
}

} // namespace
} // namespace qz::test
