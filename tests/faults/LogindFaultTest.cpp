#include <gtest/gtest.h>

#include <signal.h>
#include <sys/auxv.h>
#include <sys/types.h>
#include <sys/wait.h>

#include <cstdlib>
#include <optional>

#include "platform/Backend.h"
#include "tests/faults/MonitorWith.h"
#include "tests/power/PrivateBus.h"

namespace qz::test {
namespace {

using Events = std::vector<std::string>;

constexpr const char* kBusVariable = "DBUS_SYSTEM_BUS_ADDRESS";

// A fake logind on a dbus-daemon of our own, with the system bus address pointing at it for as
// long as it lives and at a socket that does not exist afterwards. Nothing here ever reaches the
// real system bus: the address is set to a dead one before anything else happens.
class PrivateLogind {
  public:
    PrivateLogind() {
        const std::string dead = "unix:path=" + (dir.path() / "no-bus").string();
        if (setenv(kBusVariable, dead.c_str(), 1) != 0) return;
        bus.emplace(dir.path());
        if (bus->address().empty()) return;
        logind.emplace(*bus, dir.path());
        if (!logind->Start({})) return;
        setenv(kBusVariable, bus->address().c_str(), 1);
    }
    ~PrivateLogind() { setenv(kBusVariable, ("unix:path=" + (dir.path() / "no-bus").string()).c_str(), 1); }

    // True only when the system bus address in force names this daemon's socket in our folder, and
    // sd-bus will heed it (it ignores the variable in a set-user-ID process).
    bool InForce() const {
        if (getauxval(AT_SECURE) != 0) return false;
        const char* address = std::getenv(kBusVariable);
        const std::string ours = "unix:path=" + (dir.path() / "bus").string() + ",";
        return bus && logind && address != nullptr && address == bus->address() &&
               bus->address().rfind(ours, 0) == 0;
    }
    // Ends the dbus-daemon with the signal and returns once it has gone: SIGTERM lets it remove
    // its socket, SIGKILL leaves the socket behind with nobody listening.
    bool EndDaemon(int signal) const {
        const pid_t daemon = bus->OwnerOf("org.freedesktop.DBus");
        if (daemon <= 0 || kill(daemon, signal) != 0) return false;
        // Waits without reaping: the bus's own handle on its child does that.
        siginfo_t info{};
        return waitid(P_PID, static_cast<id_t>(daemon), &info, WEXITED | WNOWAIT) == 0;
    }

    TempDir dir;
    std::optional<PrivateBus> bus;
    std::optional<FakeLogind> logind;
};

const std::string kPowerOffRefused =
    "Unable to Power Off the computer.\r\nError Number: 0x8004062E (-2147219922)\r\n"
    "Error description: Can't enable shutdown: You do not have the privileges to shutdown this system. [";

TEST(LogindBusGoesAway, DuringTheCountdownTheFailureIsShownAndLoggedAndMonitoringStartsOver) {
    const struct {
        const char* name;
        int signal; // 0: the bus stays
        const char* systemText;
    } rows[] = {
        {"the bus stays", 0, ""},
        {"the daemon stopped", SIGTERM, "No such file or directory"},
        {"the daemon killed", SIGKILL, "Connection refused"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        PrivateLogind logind;
        ASSERT_TRUE(logind.InForce()) << "the system bus address is not our private bus";
        MonitorWith m(nullptr, MakePowerApi());
        m.Start(IniFile().Set("StartDelay", 2).Set("ProcDelay", 5).Set("ShutTime", 4).Set("ShutType", 1));
        ASSERT_TRUE(m.RunIntoCountdown());
        const size_t before = m.Events().size() - 1;
        m.Seconds(2);
        EXPECT_EQ(m.main.view.Counter.text, "The Computer Will Power Off In 2s");
        if (row.signal != 0) {
            ASSERT_TRUE(logind.EndDaemon(row.signal));
        }
        ASSERT_TRUE(logind.InForce());

        const std::optional<int> ended = m.Seconds(2);
        if (row.signal == 0) {
            EXPECT_EQ(ended, 0);
            EXPECT_EQ(logind.logind->TakeCalls(),
                      (std::vector<std::string>{"CanPowerOff", "ListInhibitors", "PowerOff false"}));
            EXPECT_TRUE(m.host.messages.empty());
            EXPECT_EQ(m.EventsSince(before),
                      (Events{"Enter/Power Off", "Start/Power Off", "Close/Power Off"}));
            continue;
        }
        EXPECT_EQ(ended, std::nullopt);
        EXPECT_TRUE(logind.logind->TakeCalls().empty());
        ASSERT_EQ(m.host.messages.size(), 1u);
        const ShownMessage& box = m.host.messages[0];
        EXPECT_EQ(box.icon, MsgIcon::Exclamation);
        EXPECT_EQ(box.buttons, MsgButtons::Ok);
        EXPECT_EQ(box.title, "Quenzel Shutdown Error");
        EXPECT_EQ(box.text, kPowerOffRefused + row.systemText + "]\r\nMonitoring starts again.");
        EXPECT_EQ(m.EventsSince(before),
                  (Events{"Enter/Power Off", "Start/Power Off", "PowerFail/Power Off", "Start/Initialise"}));
        EXPECT_EQ(m.program.rt.MonState, 0);
        EXPECT_EQ(m.main.view.Counter.text, "Program Activation In 2s");
        EXPECT_EQ(m.main.view.Reset.caption, "&Reset");
        EXPECT_EQ(m.host.trayRemovals, 0);
        // It goes on watching: the activation countdown runs down.
        EXPECT_EQ(m.Seconds(1), std::nullopt);
        EXPECT_EQ(m.main.view.Counter.text, "Program Activation In 1s");
    }
}

} // namespace
} // namespace qz::test
