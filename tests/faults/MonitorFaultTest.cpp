#include <gtest/gtest.h>

#include <tuple>

#include "platform/linux/ProcProcessTable.h"
#include "tests/app/Harness.h"

namespace qz::test {
namespace {

using Events = std::vector<std::string>;

TEST(MonitorFaults,
     AnUnreadableProcessTableCountsAsActivityARefusedPowerActionIsShownAndMonitoringStartsOver) {
    namespace fs = std::filesystem;
    const std::pair<const char*, void (*)(const fs::path& proc)> spoils[] = {
        {"the folder is gone", [](const fs::path& proc) { fs::remove_all(proc); }},
        // A process whose name cannot be read may be the watched one (EISDIR as EMFILE or EIO).
        {"one process's name is unreadable",
         [](const fs::path& proc) { fs::create_directories(proc / "102" / "comm"); }},
    };
    for (const auto& [what, spoil] : spoils) {
        SCOPED_TRACE(what);
        TempDir table;
        const auto writeProcesses = [&table] {
            fs::remove_all(table.path() / "proc");
            table.Write("proc/101/comm", "bash\n");
        };
        writeProcesses();
        Monitor m(MakeProcProcessTable((table.path() / "proc").string()), nullptr);
        const MainView& view = m.app.window.view;
        // worker.exe does not run: idle after five seconds, then a three-second countdown.
        m.Start(IniFile().Set("StartDelay", 1).Set("ProcDelay", 5).Set("ShutTime", 3));
        m.Seconds(4);
        ASSERT_EQ(view.counter.text, "No activity for 3s");

        spoil(table.path() / "proc");
        const size_t before = m.EventsSince().size();
        m.Seconds(20);
        EXPECT_EQ(std::tuple(m.p.monitor.phase, view.counter.text, m.EventsSince(before)),
                  std::tuple(MonitorPhase::Run, "Activity", Events{"ScanFail/Processes"}));
        EXPECT_TRUE(m.world.power.privilegeCalls == 0 && m.world.power.exitCalls.empty() &&
                    m.world.power.suspends.empty() && m.host.messages.empty());

        writeProcesses(); // readable again: the idle count starts afresh
        m.Seconds(5);
        EXPECT_EQ(
            std::tuple(view.counter.text, m.EventsSince(before)),
            std::tuple("The Computer Will Shutdown In 3s", Events{"ScanFail/Processes", "Enter/Shutdown"}));
    }
    // A refused power action is shown with its number and reason, and the monitor starts over.
    const std::tuple<PowerApi::PrivilegeStep, bool, std::string> rows[] = {
        {PowerApi::PrivilegeStep::TokenFailed, true,
         "0x8004062E (-2147219922)\r\nError description: Can't enable shutdown: You do not have the "
         "privileges to shutdown this system. [Connection refused]"},
        {PowerApi::PrivilegeStep::Enabled, false,
         "0x8004062B (-2147219925)\r\nError description: ShutdownSystem failed: Connection refused"},
    };
    for (const auto& [privilege, exitAccepted, error] : rows) {
        SCOPED_TRACE(error);
        Monitor m;
        m.world.power.privilege = {privilege, "Connection refused"};
        m.world.power.exitAccepted = exitAccepted;
        m.world.power.exitRefusal = "Connection refused";
        m.Start(IniFile().Set("StartDelay", 2).Set("ProcDelay", 5).Set("ShutTime", 4).Set("ShutType", 1));
        ASSERT_EQ(m.Seconds(9), -1);
        const size_t before = m.EventsSince().size();
        EXPECT_EQ(m.app.window.view.counter.text, "The Computer Will Power Off In 2s");
        EXPECT_EQ(m.Seconds(2), -1);
        EXPECT_EQ(m.Boxes(), (std::vector{Box{MsgIcon::Exclamation, MsgButtons::Ok, "Quenzel Shutdown Error",
                                              "Unable to Power Off the computer.\r\nError Number: " + error +
                                                  "\r\nMonitoring starts again."}}));
        EXPECT_EQ(std::tuple(m.EventsSince(before), m.p.monitor.phase, m.app.window.view.counter.text),
                  std::tuple(Events{"Start/Power Off", "PowerFail/Power Off", "Start/Initialise"},
                             MonitorPhase::Initialise, "Program Activation In 2s"));
    }
}

} // namespace
} // namespace qz::test
