#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <memory>
#include <optional>

#include "platform/Backend.h"
#include "power/PowerControl.h"
#include "tests/power/PrivateBus.h"
#include "tests/support/Fakes.h"
#include "tests/support/TempDir.h"

namespace qz {
namespace {

using Calls = std::vector<std::string>;

constexpr const char* kBusVariable = "DBUS_SYSTEM_BUS_ADDRESS";

// Drives the logind backend through the program's power control, against a fake logind on a bus of
// our own. Every test refuses to run unless the system bus address names that private bus.
class LogindBackend : public ::testing::Test {
  protected:
    void SetUp() override {
        // Never leave the address to chance, even for a moment.
        ASSERT_EQ(setenv(kBusVariable, deadAddress.c_str(), 1), 0);
        ASSERT_FALSE(bus.address().empty()) << "the private dbus-daemon did not start";
        ASSERT_EQ(setenv(kBusVariable, bus.address().c_str(), 1), 0);
        ASSERT_TRUE(PointsAtPrivateBus()) << "the system bus address is not the private bus";
        backend = MakePowerApi();
        program.emplace(Services{world.host, world.clock, world.files, world.processes, *backend,
                                 world.socket, world.resolver, world.guard, world.system});
    }
    void TearDown() override { setenv(kBusVariable, deadAddress.c_str(), 1); }

    bool PointsAtPrivateBus() const {
        const char* address = std::getenv(kBusVariable);
        const std::string ours = "unix:path=" + (dir.path() / "bus").string() + ",";
        return address && address == bus.address() && bus.address().rfind(ours, 0) == 0;
    }

    void StartLogind(const std::vector<std::string>& options = {}) {
        logind.Stop();
        ASSERT_TRUE(logind.Start(options)) << "the fake logind did not take its name";
    }

    // Runs the call and hands back the error it raised; fails the test when it raised none.
    std::optional<PowerError> Raised(const std::function<void()>& call) {
        try {
            call();
        } catch (const PowerError& e) {
            return e;
        }
        ADD_FAILURE() << "no error raised";
        return std::nullopt;
    }

    void ExpectError(const std::function<void()>& call, int32_t number, const std::string& description) {
        auto e = Raised(call);
        if (!e) return;
        EXPECT_EQ(e->number, number);
        EXPECT_EQ(e->source, "quenzel.mShutDown");
        EXPECT_EQ(std::string(e->what()), description);
    }

    std::function<void()> Shutdown(int flags) {
        return [this, flags] { ShutdownSystem(*program, flags); };
    }
    std::function<void()> Hibernate() {
        return [this] { HibernateSystem(*program); };
    }
    std::function<void()> Standby() {
        return [this] { StandbySystem(*program); };
    }

    test::TempDir dir;
    const std::string deadAddress = "unix:path=" + (dir.path() / "no-bus").string();
    test::PrivateBus bus{dir.path()};
    test::FakeLogind logind{bus, dir.path()};
    test::FakeWorld world{dir.path()};
    std::unique_ptr<PowerApi> backend;
    std::optional<Program> program;
};

const std::string kNoPrivileges =
    "Can't enable shutdown: You do not have the privileges to shutdown this system. [";

TEST_F(LogindBackend, EachActionReachesItsMethodNeverInteractive) {
    StartLogind();
    const Calls powerOff{"CanPowerOff", "ListInhibitors", "PowerOff false"};
    const Calls reboot{"CanReboot", "ListInhibitors", "Reboot false"};
    const Calls endSession{"GetSessionByPID 0", "GetSessionByPID 0",
                           "Terminate /org/freedesktop/login1/session/_31"};
    struct Row {
        const char* what;
        std::function<void()> call;
        Calls calls;
    };
    const Row rows[] = {
        {"power off", Shutdown(8), powerOff},
        {"shutdown", Shutdown(1), powerOff},
        {"forced power off", Shutdown(12), {"CanPowerOff", "PowerOff false"}},
        {"forced shutdown", Shutdown(5), {"CanPowerOff", "PowerOff false"}},
        {"reboot", Shutdown(2), reboot},
        {"forced reboot", Shutdown(6), {"CanReboot", "Reboot false"}},
        {"log off", Shutdown(0), endSession},
        {"forced log off", Shutdown(4), endSession},
        {"hibernate", Hibernate(), {"CanHibernate", "ListInhibitors", "Hibernate false"}},
        {"standby", Standby(), {"CanSuspend", "ListInhibitors", "Suspend false"}},
    };
    for (const Row& r : rows) {
        r.call();
        EXPECT_EQ(logind.TakeCalls(), r.calls) << r.what;
    }
}

TEST_F(LogindBackend, AnythingButYesFromLogindRefusesThePrivilegeAndNothingIsDone) {
    struct Row {
        const char* answer;
        std::function<void()> call;
        const char* asked;
        const char* systemText;
    };
    const Row rows[] = {
        {"CanPowerOff=no", Shutdown(12), "CanPowerOff",
         "logind does not allow this user to power off (CanPowerOff: no)"},
        {"CanReboot=challenge", Shutdown(2), "CanReboot",
         "logind asks for authentication to reboot, which this program cannot give (CanReboot: challenge)"},
        {"CanHibernate=na", Hibernate(), "CanHibernate", "This system cannot hibernate (CanHibernate: na)"},
        {"CanSuspend=challenge", Standby(), "CanSuspend",
         "logind asks for authentication to suspend, which this program cannot give (CanSuspend: challenge)"},
        {"CanPowerOff=", Shutdown(1), "CanPowerOff",
         "logind gave no permission to power off (CanPowerOff: )"},
    };
    for (const Row& r : rows) {
        StartLogind({"--answer", r.answer});
        ExpectError(r.call, kErrNoPrivileges, kNoPrivileges + r.systemText + "]");
        EXPECT_EQ(logind.TakeCalls(), Calls{r.asked}) << r.answer;
    }
}

TEST_F(LogindBackend, UnreachableLogindRefusesThePrivilege) {
    const std::function<void()> calls[] = {Shutdown(8), Shutdown(0), Hibernate()};
    // A bus without logind on it.
    for (const auto& call : calls)
        ExpectError(call, kErrNoPrivileges,
                    kNoPrivileges +
                        "The name org.freedesktop.login1 was not provided by any .service files]");
    // No bus at all.
    ASSERT_EQ(setenv(kBusVariable, deadAddress.c_str(), 1), 0);
    for (const auto& call : calls)
        ExpectError(call, kErrNoPrivileges, kNoPrivileges + "No such file or directory]");
}

TEST_F(LogindBackend, EndingTheSessionNeedsASessionOfOurOwn) {
    StartLogind({"--no-session"});
    ExpectError(
        Shutdown(0), kErrNoProcess,
        "Can't enable shutdown: Can't determine the current process. [PID 0 does not belong to any known "
        "session]");
    EXPECT_EQ(logind.TakeCalls(), Calls{"GetSessionByPID 0"});
}

TEST_F(LogindBackend, BlockInhibitorsStopNormalActionsOfTheirKindOnly) {
    StartLogind({"--inhibitor", "sleep:shutdown|Player|Playing a film|block|1000|4242", "--inhibitor",
                 "shutdown|Backup|Copying files|block|0|77", "--inhibitor",
                 "sleep|Updater|Installing|delay|0|78", "--inhibitor",
                 "idle:handle-lid-switch|Desk|Busy|block|0|79"});
    const std::string both =
        "Blocked by Player (PID 4242): Playing a film; Blocked by Backup (PID 77): Copying files";
    const std::string player = "Blocked by Player (PID 4242): Playing a film";
    ExpectError(Shutdown(8), kErrShutdownFailed, "ShutdownSystem failed: " + both);
    EXPECT_EQ(logind.TakeCalls(), (Calls{"CanPowerOff", "ListInhibitors"}));
    ExpectError(Shutdown(2), kErrShutdownFailed, "ShutdownSystem failed: " + both);
    EXPECT_EQ(logind.TakeCalls(), (Calls{"CanReboot", "ListInhibitors"}));
    ExpectError(Hibernate(), kErrShutdownFailed, "HibernateSystem failed: " + player);
    EXPECT_EQ(logind.TakeCalls(), (Calls{"CanHibernate", "ListInhibitors"}));
    ExpectError(Standby(), kErrShutdownFailed, "StandbySystem failed: " + player);
    EXPECT_EQ(logind.TakeCalls(), (Calls{"CanSuspend", "ListInhibitors"}));

    // Forced goes ahead over them.
    EXPECT_TRUE(ShutdownSystem(*program, 12));
    EXPECT_TRUE(ShutdownSystem(*program, 6));
    EXPECT_EQ(logind.TakeCalls(), (Calls{"CanPowerOff", "PowerOff false", "CanReboot", "Reboot false"}));

    // Delay and other kinds block nothing.
    StartLogind({"--inhibitor", "sleep|Updater|Installing|delay|0|78", "--inhibitor",
                 "idle:handle-lid-switch|Desk|Busy|block|0|79", "--inhibitor",
                 "shutdown|Quick|Saving|delay|0|80"});
    EXPECT_TRUE(ShutdownSystem(*program, 8));
    EXPECT_TRUE(StandbySystem(*program));
    EXPECT_EQ(logind.TakeCalls(), (Calls{"CanPowerOff", "ListInhibitors", "PowerOff false", "CanSuspend",
                                         "ListInhibitors", "Suspend false"}));
}

TEST_F(LogindBackend, ActionRefusedByLogindIsRaisedWithItsMessage) {
    StartLogind({"--refuse", "Reboot", "--refuse", "Suspend", "--refuse", "Terminate"});
    const std::string denied = "Access denied by the fake logind";
    ExpectError(Shutdown(6), kErrShutdownFailed, "ShutdownSystem failed: " + denied);
    ExpectError(Shutdown(4), kErrShutdownFailed, "ShutdownSystem failed: " + denied);
    ExpectError(Standby(), kErrShutdownFailed, "StandbySystem failed: " + denied);
    EXPECT_EQ(logind.TakeCalls(), (Calls{"CanReboot", "Reboot false", "GetSessionByPID 0",
                                         "GetSessionByPID 0", "Terminate /org/freedesktop/login1/session/_31",
                                         "CanSuspend", "ListInhibitors", "Suspend false"}));
}

} // namespace
} // namespace qz
