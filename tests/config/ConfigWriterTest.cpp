#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "config/ConfigFile.h"
#include "config/ConfigWriter.h"
#include <filesystem>
#include "tests/support/TempDir.h"

namespace qz {
namespace {

const LocalTime kNow{2026, 12, 5, 10, 30, 0};

ConfigInput SampleInput() {
    // The text fields in their order, then the boxes and lists.
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

TEST(ConfigFileText, WritesTheWholeFile) {
    EXPECT_EQ(
        ConfigFileText(SampleInput(), Role::Main, kNow),
        "# Quenzel Version 1.6\n# Configuration File\n# 05-Dec-26 10:30:00\n\n"
        "[Comms]\nCMain=1\nComDelay=45\nDName=1\nIPAdd=192.168.1.20\nPort1=10001\nPort2=10000\n\n"
        "[Run]\nDel_On=2\nDelTime=900\nLogLevel=3\nLogName=Quenzel.log\nLogPath=Log\\\nProc1=encoder.exe\n"
        "Proc2=backup\nProc3=\nProcDelay=61.5\nRunOnTop=1\nStartDelay=10730\nStartMin=2\nStartTime=2\n"
        "StopTime=12215\nStop_On=1\n\n[Shutdown]\nForce=2\nShutTime=30\nShutType=3\nUserExit=1\n\n\n");
    EXPECT_EQ(LineOf(ConfigFileText(SampleInput(), Role::Main, {2030, 7, 4, 7, 5, 3}), "# 0"), "# 04-Jul-30 07:05:03");
}

TEST(ConfigFileText, WritesFieldNumbersInTheirShortestForm) {
    const std::pair<const char*, const char*> rows[] = {
        {"0600", "600"},    {" 6 0", "60"}, {"60abc", "60"}, {"", "0"},      {"-0", "0"},       {"-7", "-7"},
        {"1.25e1", "12.5"}, {"&H10", "16"}, {"4.90", "4.9"}, {"0.1", "0.1"}, {"1e6", "1000000"}};
    for (const auto& [field, written] : rows) {
        ConfigInput in = SampleInput();
        in.ComDelay = field;
        EXPECT_EQ(LineOf(ConfigFileText(in, Role::Slave, kNow), "ComDelay="), std::string("ComDelay=") + written)
            << field;
    }
}

TEST(ConfigFileText, WritesTimesAsHoursAndMinutesAfterTheOffset) {
    const std::pair<const char*, const char*> rows[] = {{"00:00", "10000"}, {"23:59", "12359"},
                                                        {" 9:05", "10905"}, {"+9:05", "10905"},
                                                        {"-0:05", "10005"}, {"1.:30", "10130"}};
    for (const auto& [field, written] : rows) {
        ConfigInput in = SampleInput();
        in.StartDelay = in.StopTime = field;
        std::string text = ConfigFileText(in, Role::Main, kNow);
        EXPECT_EQ(LineOf(text, "StartDelay="), std::string("StartDelay=") + written) << field;
        EXPECT_EQ(LineOf(text, "StopTime="), std::string("StopTime=") + written) << field;
    }
}

TEST(ConfigFileText, KeepsEachFieldOnItsLine) {
    ConfigInput in = SampleInput();
    in.Proc1 = "a\r\nShutType=4";
    in.IPAdd = std::string("host\0name\n", 10);
    std::string text = ConfigFileText(in, Role::Main, kNow), sample = ConfigFileText(SampleInput(), Role::Main, kNow);
    EXPECT_EQ(LineOf(text, "Proc1="), "Proc1=aShutType=4");
    EXPECT_EQ(LineOf(text, "IPAdd="), "IPAdd=hostname");
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), std::count(sample.begin(), sample.end(), '\n'));
}

struct Saving {
    Saving() { dir.Write("Data/Quenzel.ini", "old"); }
    test::TempDir dir;
    FileSys files{dir.path()};
};

TEST(WriteConfigFile, WhatIsWrittenReadsBackForEveryTypeFlagAndMode) {
    Saving s;
    for (Role role : {Role::Main, Role::Slave}) {
        for (int16_t type = 1; type <= 6; ++type) {
            for (unsigned flags = 0; flags < 256; ++flags) {
                ConfigInput in = SampleInput();
                in.ShutType = type;
                bool* boxes[] = {&in.DName,     &in.Del_On,  &in.RunOnTop, &in.StartMin,
                                 &in.StartTime, &in.Stop_On, &in.Force,    &in.UserExit};
                for (unsigned bit = 0; bit < 8; ++bit)
                    *boxes[bit] = (flags >> bit) & 1;
                if (!in.StartTime) in.StartDelay = "30";
                if (in.DName) in.IPAdd = "main.example";
                ASSERT_TRUE(WriteConfigFile(s.files, ConfigFileText(in, role, kNow)));
                const Settings expected{role, 45, in.DName, in.IPAdd, 10001, 10000, in.Del_On, 900,
                                        LogLevel::Full, "Quenzel.log", "Log\\", {"encoder.exe", "backup", ""},
                                        62, in.RunOnTop, in.StartMin,
                                        in.StartTime ? ActivationMode::AtTimeOfDay : ActivationMode::AfterDelay,
                                        in.StartTime ? 730 : 30, in.Stop_On, 2215, in.Force, 30,
                                        static_cast<ShutdownType>(type - 1), in.UserExit};
                ASSERT_EQ(ReadConfigFile(s.files)->settings, expected) << "role " << (role == Role::Slave) << " type " << type << " flags " << flags;
            }
        }
    }
    const std::string text = ConfigFileText(SampleInput(), Role::Slave, kNow);
    ASSERT_TRUE(WriteConfigFile(s.files, text));
    EXPECT_EQ(s.dir.Read("Data/Quenzel.ini"), FileSys::ToPlatformLineEnds(text));
    // A folder in the file's place is no configuration file: the program cannot go on.
    std::filesystem::remove(s.dir.path() / "Data" / "Quenzel.ini");
    std::filesystem::create_directories(s.dir.path() / "Data" / "Quenzel.ini" / "inside");
    const Result<void> refused = WriteConfigFile(s.files, text);
    ASSERT_FALSE(refused);
    EXPECT_EQ(refused.fault(), (Fault{MsgIcon::Critical, "Configuration File Error",
                                      "The configuration file is either missing or\r\ncorrupted. To restore the "
                                      "configuration file\r\nreinstall the program.\r\nThe program will now terminate."}));
}

} // namespace
} // namespace qz
