#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>

#include "platform/linux/ProcProcessTable.h"
#include "tests/faults/MonitorWith.h"

namespace qz::test {
namespace {

namespace fs = std::filesystem;
using Events = std::vector<std::string>;

constexpr int kProcDelay = 5;

// A process folder of our own in place of /proc: one numbered folder with its comm per process.
void WriteProcesses(const TempDir& dir, const std::vector<std::string>& names) {
    int pid = 100;
    for (const std::string& name : names)
        dir.Write("proc/" + std::to_string(pid++) + "/comm", name + "\n");
}

TEST(UnreadableProcessTable, CountsAsActivityIsLoggedOnceAndNeverPowersOff) {
    const struct {
        const char* name;
        std::function<void(const fs::path&)> spoil;
    } rows[] = {
        {"folder removed", [](const fs::path& proc) { fs::remove_all(proc); }},
        {"folder replaced by a file",
         [](const fs::path& proc) {
             fs::remove_all(proc);
             std::ofstream(proc) << "1\n";
         }},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        TempDir table;
        WriteProcesses(table, {"init", "bash"});
        MonitorWith m(MakeProcProcessTable((table.path() / "proc").string()), nullptr);
        const MainView& view = m.main.view;
        // Watches worker.exe, which does not run; idle after five seconds, then a three-second countdown.
        m.Start(IniFile().Set("StartDelay", 1).Set("ProcDelay", kProcDelay).Set("ShutTime", 3));
        m.Seconds(4);
        ASSERT_EQ(view.Counter.text, "No activity for 3s");

        row.spoil(table.path() / "proc");
        const size_t before = m.Events().size();
        m.Seconds(1);
        EXPECT_EQ(view.Counter.text, "Activity");
        m.Seconds(4 * kProcDelay);
        EXPECT_EQ(m.program.rt.MonState, 1);
        EXPECT_EQ(view.Counter.text, "Activity");
        EXPECT_EQ(m.EventsSince(before), Events{"ScanFail/Processes"});
        EXPECT_EQ(m.world.power.privilegeCalls, 0);
        EXPECT_TRUE(m.world.power.exitCalls.empty());
        EXPECT_TRUE(m.world.power.suspends.empty());
        EXPECT_TRUE(m.host.messages.empty());

        // Readable again: the idle count starts afresh and leads to the countdown as before.
        fs::remove_all(table.path() / "proc");
        WriteProcesses(table, {"init", "bash"});
        m.Seconds(1);
        EXPECT_EQ(view.Counter.text, "No activity for 1s");
        m.Seconds(kProcDelay - 1);
        EXPECT_EQ(m.program.rt.MonState, 2);
        EXPECT_EQ(view.Counter.text, "The Computer Will Shutdown In 3s");
        EXPECT_EQ(m.EventsSince(before), (Events{"ScanFail/Processes", "Enter/Shutdown"}));
    }
}

} // namespace
} // namespace qz::test
