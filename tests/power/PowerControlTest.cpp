#include <gtest/gtest.h>

#include <climits>
#include <functional>

#include "power/PowerControl.h"
#include "tests/support/Fakes.h"
#include "tests/support/TempDir.h"

namespace qz {
namespace {

using Step = PowerApi::PrivilegeStep;

class PowerControl : public ::testing::Test {
  protected:
    test::TempDir dir;
    test::FakeWorld world{dir.path()};
    Program& p = world.program;
    test::FakePower& power = world.power;

    // Runs the call and hands back the error it raised; fails the test when it raised none.
    PowerError Raised(const std::function<void()>& call) {
        try {
            call();
        } catch (const PowerError& e) {
            return e;
        }
        ADD_FAILURE() << "no error raised";
        return PowerError(0, "", "");
    }
};

TEST_F(PowerControl, FlagsOutsideTheRangeAreRefusedBeforeAnythingElse) {
    for (int32_t flags : {-1, 32, INT32_MIN, INT32_MAX}) {
        PowerError e = Raised([&] { ShutdownSystem(p, flags); });
        EXPECT_EQ(e.number, -2147219921);
        EXPECT_EQ(e.source, "quenzel.mShutDown");
        EXPECT_EQ(std::string(e.what()), "Invalid parameter to ShutdownSystem: " + std::to_string(flags));
    }
    EXPECT_EQ(power.privilegeCalls, 0);
    EXPECT_TRUE(power.exitCalls.empty());
}

TEST_F(PowerControl, FlagsInTheRangeAskForTheirActionAndReachTheExitCall) {
    struct Row {
        int32_t flags;
        PowerAction action;
    };
    const Row rows[] = {
        {0, PowerAction::EndSession}, {4, PowerAction::EndSession}, {16, PowerAction::EndSession},
        {1, PowerAction::PowerOff},   {5, PowerAction::PowerOff},   {8, PowerAction::PowerOff},
        {12, PowerAction::PowerOff},  {2, PowerAction::Reboot},     {6, PowerAction::Reboot},
        {22, PowerAction::Reboot},    {3, PowerAction::PowerOff},   {31, PowerAction::PowerOff}};
    for (const Row& r : rows) {
        power.exitCalls.clear();
        power.privilegeActions.clear();
        EXPECT_TRUE(ShutdownSystem(p, r.flags)) << r.flags;
        EXPECT_EQ(power.exitCalls, std::vector<int>{r.flags});
        EXPECT_EQ(power.privilegeActions, std::vector<PowerAction>{r.action}) << r.flags;
    }
}

TEST_F(PowerControl, EachPrivilegeFailureIsRaisedWithItsNumberAndTextAndNothingIsDone) {
    struct Row {
        Step step;
        const char* systemText;
        int32_t number;
        const char* description;
    };
    const Row rows[] = {
        {Step::LookupFailed, "A required privilege is not held by the client.\r\n", -2147219924,
         "Can't enable shutdown: Can't find the SE_SHUTDOWN_NAME privilege value. [A required privilege is "
         "not "
         "held by the client.\r\n]"},
        {Step::LookupFailed, "", -2147219924,
         "Can't enable shutdown: Can't find the SE_SHUTDOWN_NAME privilege value. []"},
        {Step::NoProcess, "The handle is invalid.\r\n", -2147219923,
         "Can't enable shutdown: Can't determine the current process. [The handle is invalid.\r\n]"},
        {Step::NoProcess, "The handle is invalid.", -2147219923,
         "Can't enable shutdown: Can't determine the current process. [The handle is invalid.]"},
        {Step::TokenFailed, "Access is denied.\r\n", -2147219922,
         "Can't enable shutdown: You do not have the privileges to shutdown this system. [Access is "
         "denied.\r\n]"},
        {Step::TokenFailed, "", -2147219922,
         "Can't enable shutdown: You do not have the privileges to shutdown this system. []"},
    };
    const std::function<void()> actions[] = {[&] { ShutdownSystem(p, 8); }, [&] { HibernateSystem(p); },
                                             [&] { StandbySystem(p); },
                                             [&] { EnableShutdownPrivilege(p, PowerAction::Reboot); }};
    p.rt.ExeName = "Quenzel";
    for (const Row& r : rows) {
        power.privilege = {r.step, r.systemText};
        for (const auto& action : actions) {
            PowerError e = Raised(action);
            EXPECT_EQ(e.number, r.number);
            EXPECT_EQ(e.source, "Quenzel.mShutDown");
            EXPECT_EQ(std::string(e.what()), r.description);
        }
    }
    EXPECT_EQ(power.privilegeCalls, static_cast<int>(std::size(actions) * std::size(rows)));
    EXPECT_TRUE(power.exitCalls.empty());
    EXPECT_TRUE(power.suspends.empty());
}

TEST_F(PowerControl, RefusedExitCallIsRaisedWithTheSystemText) {
    power.exitAccepted = false;
    for (const char* text : {"The system is shutting down.\r\n", ""}) {
        power.exitRefusal = text;
        PowerError e = Raised([&] { ShutdownSystem(p, 6); });
        EXPECT_EQ(e.number, -2147219925);
        EXPECT_EQ(e.source, "quenzel.mShutDown");
        EXPECT_EQ(std::string(e.what()), std::string("ShutdownSystem failed: ") + text);
    }
    EXPECT_EQ(power.exitCalls, (std::vector<int>{6, 6}));
}

TEST_F(PowerControl, SuspendsEnableTheirPrivilegeThenSuspend) {
    EXPECT_TRUE(HibernateSystem(p));
    EXPECT_TRUE(StandbySystem(p));
    EXPECT_EQ(power.privilegeActions,
              (std::vector<PowerAction>{PowerAction::Hibernate, PowerAction::Suspend}));
    EXPECT_EQ(power.suspends, (std::vector<bool>{true, false}));
    EXPECT_TRUE(power.exitCalls.empty());
}

TEST_F(PowerControl, RefusedSuspendIsRaisedNotReportedAsDone) {
    power.suspendAccepted = false;
    power.suspendRefusal = "Blocked by player (PID 7): Playing";
    PowerError hibernate = Raised([&] { HibernateSystem(p); });
    PowerError standby = Raised([&] { StandbySystem(p); });
    EXPECT_EQ(hibernate.number, -2147219925);
    EXPECT_EQ(standby.number, -2147219925);
    EXPECT_EQ(std::string(hibernate.what()), "HibernateSystem failed: Blocked by player (PID 7): Playing");
    EXPECT_EQ(std::string(standby.what()), "StandbySystem failed: Blocked by player (PID 7): Playing");
    EXPECT_EQ(standby.source, "quenzel.mShutDown");
}

} // namespace
} // namespace qz
