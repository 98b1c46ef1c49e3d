#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "config/CheckSettings.h"
#include "config/ConfigFile.h"
#include "config/ConfigWriter.h"
#include "tests/support/Fakes.h"
#include "tests/support/TempDir.h"

namespace qz {
namespace {

using test::FakeWorld;
using test::TempDir;

// The template the run script fills in; the test runs in the folder it is copied to.
std::string Template() {
    std::ifstream in("Quenzel.ini.in", std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string Filled(std::string text, const std::string& created) {
    const std::string mark = "@CREATED@";
    size_t at = text.find(mark);
    if (at != std::string::npos) text.replace(at, mark.size(), created);
    return text;
}

// The configuration screen after Restore, on a screen that had no process, address or domain name.
ConfigInput RestoredScreen() {
    ConfigInput in;
    in.ComDelay = "60";
    in.DelTime = "90";
    in.Force = true;
    in.LogLevel = 2;
    in.LogName = "Quenzel.log";
    in.LogPath = "Log\\";
    in.Port1 = "10001";
    in.Port2 = "10000";
    in.ProcDelay = "60";
    in.ShutTime = "60";
    in.ShutType = 1;
    in.StartDelay = "2";
    in.StopTime = "00:00";
    return in;
}

TEST(RunFolder, TemplateIsWhatSaveWritesAfterRestore) {
    const std::string text = Template();
    ASSERT_FALSE(text.empty()) << "Quenzel.ini.in not found beside the test";
    const LocalTime created{2026, 12, 5, 9, 7, 3};
    EXPECT_EQ(Filled(text, "05-Dec-26 09:07:03"), ConfigFileText(RestoredScreen(), 1, created));
}

TEST(RunFolder, FreshFolderLoadsUnconfiguredWithTheDefaults) {
    TempDir dir;
    dir.Write("Data/Quenzel.ini", Filled(Template(), "05-Dec-26 09:07:03"));
    FakeWorld world(dir.path());
    Program& p = world.program;

    ReadConfigFile(p);
    CheckSettings(p);

    EXPECT_TRUE(world.host.messages.empty());
    EXPECT_FALSE(world.host.endedWith.has_value());
    EXPECT_TRUE(p.rt.NotConfigured);
    Settings expected;
    expected.CMain = 1;
    expected.ComDelay = 60;
    expected.DName = 1;
    expected.Port1 = 10001;
    expected.Port2 = 10000;
    expected.Del_On = 1;
    expected.DelTime = 90;
    expected.LogLevel = 2;
    expected.LogName = "Quenzel.log";
    expected.LogPath = "Log\\";
    expected.ProcDelay = 60;
    expected.RunOnTop = 1;
    expected.StartDelay = 2;
    expected.StartMin = 1;
    expected.StartTime = 1;
    expected.StopTime = 0;
    expected.Stop_On = 1;
    expected.Force = 2;
    expected.ShutTime = 60;
    expected.ShutType = 1;
    expected.UserExit = 1;
    EXPECT_EQ(p.set, expected);
}

} // namespace
} // namespace qz
