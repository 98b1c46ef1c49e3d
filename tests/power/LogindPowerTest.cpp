#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/Backend.h"
#include "power/PowerControl.h"
#include "power/ShutdownTypes.h"
#include "tests/power/PrivateBus.h"
#include "tests/support/Fakes.h"
#include "tests/support/TempDir.h"

namespace qz::test {
namespace {

const std::string kRefused =
    "-2147219922: Can't enable shutdown: You do not have the privileges to shutdown this system. [";
const std::string kFailed = "-2147219925: ";
const std::string kPlayer = "Blocked by Player (PID 4242): Playing a film";
const std::string kHarmless = "sleep|Updater|Installing|delay|78;idle:handle-lid-switch|Desk|Busy|block|79";
const std::string kBlocking = "ListInhibitors=sleep:shutdown|Player|Playing a film|block|4242;"
                              "shutdown|Backup|Copying files|block|77;" +
                              kHarmless;

// The logind backend under the program's power control, against a fake logind on a dbus-daemon
// of our own. The system bus address names a dead socket before anything starts, and each call
// is made only while it names the private bus.
TEST(LogindBackend, EachActionReachesItsMethodOnlyWhenLogindAllowsAndNothingBlocksIt) {
    TempDir dir;
    const std::string dead = "unix:path=" + (dir.path() / "no-bus").string();
    ASSERT_EQ(setenv("DBUS_SYSTEM_BUS_ADDRESS", dead.c_str(), 1), 0);
    PrivateBus bus(dir.path());
    ASSERT_TRUE(bus.address().starts_with("unix:path=" + (dir.path() / "bus").string() + ","));
    FakeLogind logind(bus, dir.path());
    FakeWorld world(dir.path());
    std::unique_ptr<PowerApi> backend = MakePowerApi();
    Program program(Services{world.host, world.clock, world.files, world.processes, *backend, world.socket,
                             world.resolver, world.guard, world.system});
    struct Row {
        int type;
        bool forced;
        std::string calls, raised, option = ""; // option "none": no logind on the bus
    } rows[] = {
        {1, false, "CanPowerOff, ListInhibitors, PowerOff false", ""},
        {3, false, "CanPowerOff, ListInhibitors, PowerOff false", ""},
        {1, true, "CanPowerOff, PowerOff false", ""},
        {3, true, "CanPowerOff, PowerOff false", ""},
        {2, false, "CanReboot, ListInhibitors, Reboot false", ""},
        {6, false, "CanSuspend, ListInhibitors, Suspend false", ""},
        {1, true, "CanPowerOff", kRefused + "logind does not allow this user to power off (CanPowerOff: no)]",
         "CanPowerOff=no"},
        {6, false, "CanSuspend",
         kRefused + "logind asks for authentication to suspend, which this program cannot give (CanSuspend: "
                    "challenge)]",
         "CanSuspend=challenge"},
        {1, false, "", kRefused + "The name org.freedesktop.login1 was not provided by any .service files]",
         "none"},
        {1, false, "CanPowerOff, ListInhibitors",
         kFailed + "ShutdownSystem failed: " + kPlayer + "; Blocked by Backup (PID 77): Copying files",
         kBlocking},
        {2, false, "CanReboot, ListInhibitors",
         kFailed + "ShutdownSystem failed: " + kPlayer + "; Blocked by Backup (PID 77): Copying files",
         kBlocking},
        {6, false, "CanSuspend, ListInhibitors", kFailed + "StandbySystem failed: " + kPlayer, kBlocking},
        {2, true, "CanReboot, Reboot false", "", kBlocking},
        {2, false, "CanReboot, ListInhibitors, Reboot false", "", "ListInhibitors=" + kHarmless},
        {5, false, "CanHibernate, ListInhibitors, Hibernate false",
         kFailed + "HibernateSystem failed: Refused by the fake logind",
         "Hibernate=org.freedesktop.DBus.Error.AccessDenied"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE("row " + std::to_string(&row - rows));
        logind.Stop();
        ASSERT_TRUE(row.option == "none" ||
                    logind.Start(std::vector<std::string>(!row.option.empty(), row.option)));
        ASSERT_EQ(setenv("DBUS_SYSTEM_BUS_ADDRESS", bus.address().c_str(), 1), 0);
        std::string raised;
        try {
            // As the countdown does it for each type.
            const ShutdownTypeInfo& type = InfoOf(static_cast<ShutdownType>(row.type - 1));
            if (row.type == 5) HibernateSystem(program);
            if (row.type == 6) StandbySystem(program);
            if (row.type < 4) ShutdownSystem(program, row.forced ? type.forcedFlags : type.normalFlags);
        } catch (const PowerError& e) {
            raised = std::to_string(e.number) + ": " + e.what();
        }
        setenv("DBUS_SYSTEM_BUS_ADDRESS", dead.c_str(), 1);
        std::string calls;
        for (const std::string& call : logind.TakeCalls())
            calls += (calls.empty() ? "" : ", ") + call;
        EXPECT_EQ(calls, row.calls);
        EXPECT_EQ(raised, row.raised);
    }
}

} // namespace
} // namespace qz::test
