#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "config/ConfigFile.h"
#include "config/ConfigWriter.h"
#include "core/PathChecks.h"
#include "tests/support/TempDir.h"

namespace qz {
namespace {

const LocalTime kNow{2026, 12, 5, 10, 30, 0};
// The boxes follow the texts: DName, Del_On, RunOnTop, StartMin, StartTime, Stop_On, Force, UserExit.
const ConfigInput kSample{"45",    "192.168.1.20", "10001",  "10000", "900",  "Quenzel.log",
                          "Log\\", "encoder.exe",  "backup", "",      "61.5", "07:30",
                          "22:15", "30",           false,    true,    false,  true,
                          true,    false,          true,     false,   3,      3};

TEST(ConfigFile, TheWholeTextNumbersShortTimesAfterTheOffsetTheTemplateIsWhatRestoreSavesAFolderIsRefused) {
    EXPECT_EQ(
        ConfigFileText(kSample, Role::Main, kNow),
        "# Quenzel Version 1.6\n# Configuration File\n# 05-Dec-26 10:30:00\n\n"
        "[Comms]\nCMain=1\nComDelay=45\nDName=1\nIPAdd=192.168.1.20\nPort1=10001\nPort2=10000\n\n"
        "[Run]\nDel_On=2\nDelTime=900\nLogLevel=3\nLogName=Quenzel.log\nLogPath=Log\\\nProc1=encoder.exe\n"
        "Proc2=backup\nProc3=\nProcDelay=61.5\nRunOnTop=1\nStartDelay=10730\nStartMin=2\nStartTime=2\n"
        "StopTime=12215\nStop_On=1\n\n[Shutdown]\nForce=2\nShutTime=30\nShutType=3\nUserExit=1\n\n\n");
    // The template the run script puts into a fresh folder, copied beside the test.
    std::ostringstream fresh;
    fresh << std::ifstream("Quenzel.ini.in", std::ios::binary).rdbuf();
    const ConfigInput restored{"60",  "",    "10001", "10000", "90",    "Quenzel.log", "Log\\", "",
                               "",    "",    "60",    "2",     "00:00", "60",          false,   false,
                               false, false, false,   false,   true,    false,         2,       1};
    std::string text = ConfigFileText(restored, Role::Main, kNow);
    EXPECT_EQ(fresh.str(), text.replace(text.find("05-Dec-26 10:30:00"), 18, "@CREATED@"));
    // Numbers in their shortest form, times after the offset, each field on its line.
    const std::pair<std::string, std::string> rows[] = {
        {"0600", "ComDelay=600"},    {"-0", "ComDelay=0"},
        {"1.25e1", "ComDelay=12.5"}, {"0.1", "ComDelay=0.1"},
        {"1e6", "ComDelay=1000000"}, {"00:00", "StopTime=10000"},
        {" 9:05", "StopTime=10905"}, {"-0:05", "StopTime=10005"},
        {"1.:30", "StopTime=10130"}, {std::string("a\r\nShutType=4\0b\n", 16), "Proc1=aShutType=4b"},
    };
    for (const auto& [field, written] : rows) {
        ConfigInput in = kSample;
        const std::string key = written.substr(0, written.find('=') + 1);
        (key == "StopTime=" ? in.StopTime : key == "Proc1=" ? in.Proc1 : in.ComDelay) = field;
        EXPECT_NE(ConfigFileText(in, Role::Slave, kNow).find("\n" + written + "\n"), std::string::npos)
            << field;
    }
    // Written over the old file; a folder in the file's place is the missing file's fault, as at the start.
    test::TempDir dir;
    dir.Write("Data/Quenzel.ini", "old");
    const FileSys files(dir.path());
    ASSERT_TRUE(WriteConfigFile(files, "new\n"));
    EXPECT_EQ(dir.Read("Data/Quenzel.ini"), FileSys::ToPlatformLineEnds("new\n"));
    std::filesystem::remove(dir.path() / "Data" / "Quenzel.ini");
    std::filesystem::create_directories(dir.path() / "Data" / "Quenzel.ini" / "inside");
    const Result<void> refused = WriteConfigFile(files, "new\n");
    EXPECT_EQ(refused ? Fault{} : refused.fault(), CheckConfigFile(files, "Data\\Quenzel.ini").fault());
}

} // namespace
} // namespace qz
