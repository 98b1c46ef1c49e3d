#include <gtest/gtest.h>

#include "power/PowerControl.h"
#include "tests/support/Fakes.h"
#include "tests/support/TempDir.h"

namespace qz::test {
namespace {

TEST(PowerControl, RefusesFlagsOutsideTheRangeAndRaisesAPrivilegeFailureBeforeDoingAnything) {
    TempDir dir;
    FakeWorld w(dir.path());
    w.program.rt.exeName = "Quenzel";
    auto raised = [&](int flags) -> std::string {
        try {
            ShutdownSystem(w.program, flags);
        } catch (const PowerError& e) {
            return std::to_string(e.number) + " " + e.source + ": " + e.what();
        }
        return "";
    };
    EXPECT_EQ(raised(-1), "-2147219921 Quenzel.mShutDown: Invalid parameter to ShutdownSystem: -1");
    EXPECT_EQ(raised(32), "-2147219921 Quenzel.mShutDown: Invalid parameter to ShutdownSystem: 32");
    w.power.privilege = {PowerApi::PrivilegeStep::LookupFailed, "Not held.\r\n"};
    EXPECT_EQ(raised(31),
              "-2147219924 Quenzel.mShutDown: Can't enable shutdown: Can't find the SE_SHUTDOWN_NAME "
              "privilege value. [Not held.\r\n]");
    w.power.privilege = {PowerApi::PrivilegeStep::NoProcess, ""};
    EXPECT_EQ(raised(0), "-2147219923 Quenzel.mShutDown: Can't enable shutdown: Can't determine the current "
                         "process. []");
    // A request to go down and come back up goes down.
    EXPECT_EQ(w.power.privilegeActions,
              (std::vector<PowerAction>{PowerAction::PowerOff, PowerAction::EndSession}));
    EXPECT_TRUE(w.power.exitCalls.empty());
}

} // namespace
} // namespace qz::test
