#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "config/ConfigFile.h"
#include "config/ConfigWriter.h"
#include "tests/support/TempDir.h"

namespace qz {
namespace {

const LocalTime kNow{2026, 12, 5, 10, 30, 0};

ConfigInput SampleInput() {
    ConfigInput in("45", "192.168.1.20", "10001", "10000", "900", "Quenzel.log", "Log\\", "encoder.exe",
                   "backup", "", "61.5", "07:30", "22:15", "30");
    in.StartTime = in.Del_On = in.StartMin = in.Force = true;
    in.LogLevel = in.ShutType = 3;
    return in;
}

// The line of the text that begins with prefix, without its end.
std::string LineOf(const std::string& text, const std::string& prefix) {
    size_t at = text.find("\n" + prefix);
    return at == std::string::npos ? "(missing)" : text.substr(at + 1, text.find('\n', at + 1) - at - 1);
}

// The template the run script puts into a fresh folder, copied beside the test, its creation time filled in.
std::string Template() {
    std::ostringstream text;
    text << std::ifstream("Quenzel.ini.in", std::ios::binary).rdbuf();
    std::string filled = text.str();
    const size_t at = filled.find("@CREATED@");
    return at == std::string::npos ? filled : filled.replace(at, 9, "05-Dec-26 09:07:03");
}

TEST(ConfigFileText, WritesTheWholeFileAndTheTemplateIsWhatRestoreSaves) {
    EXPECT_EQ(
        ConfigFileText(SampleInput(), Role::Main, kNow),
        "# Quenzel Version 1.6\n# Configuration File\n# 05-Dec-26 10:30:00\n\n"
        "[Comms]\nCMain=1\nComDelay=45\nDName=1\nIPAdd=192.168.1.20\nPort1=10001\nPort2=10000\n\n"
        "[Run]\nDel_On=2\nDelTime=900\nLogLevel=3\nLogName=Quenzel.log\nLogPath=Log\\\nProc1=encoder.exe\n"
        "Proc2=backup\nProc3=\nProcDelay=61.5\nRunOnTop=1\nStartDelay=10730\nStartMin=2\nStartTime=2\n"
        "StopTime=12215\nStop_On=1\n\n[Shutdown]\nForce=2\nShutTime=30\nShutType=3\nUserExit=1\n\n\n");
    EXPECT_EQ(LineOf(ConfigFileText(SampleInput(), Role::Main, {2030, 7, 4, 7, 5, 3}), "# 0"),
              "# 04-Jul-30 07:05:03");
    ConfigInput restored("60", "", "10001", "10000", "90", "Quenzel.log", "Log\\", "", "", "", "60", "2",
                         "00:00", "60");
    restored.Force = true;
    restored.LogLevel = 2;
    restored.ShutType = 1;
    EXPECT_EQ(Template(), ConfigFileText(restored, Role::Main, LocalTime{2026, 12, 5, 9, 7, 3}));
    // A fresh folder loads quietly and waits to be configured.
    test::TempDir dir;
    dir.Write("Data/Quenzel.ini", Template());
    const Result<ConfigRead> read = ReadConfigFile(FileSys(dir.path()));
    EXPECT_EQ(
        std::tuple(read.ok() && !read.value().complete, read.ok() ? read.value().settings.shutdownDelay : 0),
        std::tuple(true, 60));
}

TEST(ConfigFileText, WritesNumbersInTheirShortestFormAndTimesAfterTheOffset) {
    const std::pair<const char*, const char*> numbers[] = {
        {"0600", "600"},    {" 6 0", "60"}, {"60abc", "60"}, {"", "0"},      {"-0", "0"},       {"-7", "-7"},
        {"1.25e1", "12.5"}, {"&H10", "16"}, {"4.90", "4.9"}, {"0.1", "0.1"}, {"1e6", "1000000"}};
    for (const auto& [field, written] : numbers) {
        ConfigInput in = SampleInput();
        in.ComDelay = field;
        EXPECT_EQ(LineOf(ConfigFileText(in, Role::Slave, kNow), "ComDelay="),
                  std::string("ComDelay=") + written)
            << field;
    }
    const std::pair<const char*, const char*> times[] = {{"00:00", "10000"}, {"23:59", "12359"},
                                                         {" 9:05", "10905"}, {"+9:05", "10905"},
                                                         {"-0:05", "10005"}, {"1.:30", "10130"}};
    for (const auto& [field, written] : times) {
        ConfigInput in = SampleInput();
        in.StartDelay = in.StopTime = field;
        std::string text = ConfigFileText(in, Role::Main, kNow);
        EXPECT_EQ(LineOf(text, "StartDelay=") + LineOf(text, "StopTime="),
                  std::string("StartDelay=") + written + "StopTime=" + written)
            << field;
    }
    // Each field stays on its line.
    ConfigInput in = SampleInput();
    in.Proc1 = "a\r\nShutType=4";
    in.IPAdd = std::string("host\0name\n", 10);
    std::string text = ConfigFileText(in, Role::Main, kNow),
                sample = ConfigFileText(SampleInput(), Role::Main, kNow);
    EXPECT_EQ(LineOf(text, "Proc1=") + "|" + LineOf(text, "IPAdd="), "Proc1=aShutType=4|IPAdd=hostname");
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), std::count(sample.begin(), sample.end(), '\n'));
}

// What the reader makes of every box and type: the screen's save rows and the configuration fuzz replay.
TEST(WriteConfigFile, WritesTheTextOrRefusesAFolderInTheFilesPlace) {
    test::TempDir dir;
    dir.Write("Data/Quenzel.ini", "old");
    const FileSys files(dir.path());
    const std::string text = ConfigFileText(SampleInput(), Role::Slave, kNow);
    ASSERT_TRUE(WriteConfigFile(files, text));
    EXPECT_EQ(dir.Read("Data/Quenzel.ini"), FileSys::ToPlatformLineEnds(text));
    std::filesystem::remove(dir.path() / "Data" / "Quenzel.ini");
    std::filesystem::create_directories(dir.path() / "Data" / "Quenzel.ini" / "inside");
    const Result<void> refused = WriteConfigFile(files, text);
    ASSERT_FALSE(refused);
    EXPECT_EQ(refused.fault(),
              (Fault{MsgIcon::Critical, "Configuration File Error",
                     "The configuration file is either missing or\r\ncorrupted. To restore the "
                     "configuration file\r\nreinstall the program.\r\nThe program will now terminate."}));
}

} // namespace
} // namespace qz
