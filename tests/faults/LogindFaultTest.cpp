#include <gtest/gtest.h>

#include <signal.h>
#include <sys/auxv.h>
#include <sys/wait.h>

#include <optional>

#include "platform/Backend.h"
#include "tests/app/Harness.h"
#include "tests/power/PrivateBus.h"

namespace qz::test {
namespace {

constexpr const char* kBusVariable = "DBUS_SYSTEM_BUS_ADDRESS";

// A fake logind on a dbus-daemon of our own. The system bus address is set to a dead socket before
// anything else happens and again afterwards, so nothing ever reaches the real system bus.
class PrivateLogind {
  public:
    PrivateLogind() {
        SetDead();
        bus.emplace(dir.path());
        if (bus->address().empty()) return;
        logind.emplace(*bus, dir.path());
        if (logind->Start({})) setenv(kBusVariable, bus->address().c_str(), 1);
    }
    ~PrivateLogind() { SetDead(); }

    // True only when the address in force names this daemon's socket in our folder, and sd-bus
    // heeds it (it ignores the variable in a set-user-ID process).
    bool InForce() const {
        const char* address = std::getenv(kBusVariable);
        const std::string ours = "unix:path=" + (dir.path() / "bus").string() + ",";
        return getauxval(AT_SECURE) == 0 && bus && logind && address != nullptr &&
               address == bus->address() && bus->address().rfind(ours, 0) == 0;
    }
    // SIGTERM lets the daemon remove its socket, SIGKILL leaves it with nobody listening.
    bool EndDaemon(int signal) const {
        const pid_t daemon = bus->OwnerOf("org.freedesktop.DBus");
        siginfo_t info{};
        return daemon > 0 && kill(daemon, signal) == 0 &&
               waitid(P_PID, static_cast<id_t>(daemon), &info, WEXITED | WNOWAIT) == 0;
    }

    TempDir dir;
    std::optional<PrivateBus> bus;
    std::optional<FakeLogind> logind;

  private:
    void SetDead() const {
        setenv(kBusVariable, ("unix:path=" + (dir.path() / "no-bus").string()).c_str(), 1);
    }
};

TEST(LogindBusGoesAway, DuringTheCountdownTheFailureIsShownAndMonitoringStartsOver) {
    const struct {
        int signal;
        const char* systemText;
    } rows[] = {{SIGTERM, "No such file or directory"}, {SIGKILL, "Connection refused"}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.systemText);
        PrivateLogind logind;
        ASSERT_TRUE(logind.InForce()) << "the system bus address is not our private bus";
        Monitor m(nullptr, MakePowerApi());
        m.Start(IniFile().Set("StartDelay", 2).Set("ProcDelay", 5).Set("ShutTime", 4).Set("ShutType", 1));
        ASSERT_EQ(m.Seconds(9), -1);
        const size_t before = m.EventsSince().size();
        EXPECT_EQ(m.app.window.view.counter.text, "The Computer Will Power Off In 2s");
        ASSERT_TRUE(logind.EndDaemon(row.signal) && logind.InForce());

        EXPECT_EQ(m.Seconds(2), -1);
        EXPECT_TRUE(logind.logind->TakeCalls().empty());
        ASSERT_EQ(m.host.messages.size(), 1u);
        EXPECT_EQ(m.host.messages[0].title, "Quenzel Shutdown Error");
        EXPECT_EQ(m.host.messages[0].text,
                  std::string("Unable to Power Off the computer.\r\nError Number: 0x8004062E "
                              "(-2147219922)\r\nError description: Can't enable shutdown: You "
                              "do not have the privileges to shutdown this system. [") +
                      row.systemText + "]\r\nMonitoring starts again.");
        EXPECT_EQ(m.EventsSince(before),
                  (std::vector<std::string>{"Start/Power Off", "PowerFail/Power Off", "Start/Initialise"}));
        EXPECT_EQ(m.program.monitor.phase, MonitorPhase::Initialise);
        EXPECT_EQ(m.app.window.view.counter.text, "Program Activation In 2s");
    }
}

} // namespace
} // namespace qz::test
