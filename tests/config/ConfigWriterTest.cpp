#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "config/ConfigFile.h"
#include "config/ConfigWriter.h"
#include "tests/config/ConfigTestSupport.h"
#include "tests/support/TempDir.h"

namespace qz {
namespace {

using test::FakeWorld;
using test::TempDir;

const LocalTime kNow{2026, 12, 5, 10, 30, 0};

ConfigInput SampleInput() {
    ConfigInput in;
    in.ComDelay = "45";
    in.IPAdd = "192.168.1.20";
    in.Port1 = "10001";
    in.Port2 = "10000";
    in.DelTime = "900";
    in.LogName = "Quenzel.log";
    in.LogPath = "Log\\";
    in.Proc1 = "encoder.exe";
    in.Proc2 = "backup";
    in.ProcDelay = "61.5";
    in.StartDelay = "07:30";
    in.StopTime = "22:15";
    in.ShutTime = "30";
    in.StartTime = true;
    in.Del_On = true;
    in.StartMin = true;
    in.Force = true;
    in.LogLevel = 3;
    in.ShutType = 3;
    return in;
}

// The line of the text that begins with prefix, without its end.
std::string LineOf(const std::string& text, const std::string& prefix) {
    size_t at = text.find("\n" + prefix);
    if (at == std::string::npos) return "(missing)";
    return text.substr(at + 1, text.find('\n', at + 1) - at - 1);
}

TEST(ConfigFileText, WritesTheWholeFile) {
    EXPECT_EQ(ConfigFileText(SampleInput(), 1, kNow), "# Quenzel Version 1.6\n"
                                                      "# Configuration File\n"
                                                      "# 05-Dec-26 10:30:00\n"
                                                      "\n"
                                                      "[Comms]\n"
                                                      "CMain=1\n"
                                                      "ComDelay=45\n"
                                                      "DName=1\n"
                                                      "IPAdd=192.168.1.20\n"
                                                      "Port1=10001\n"
                                                      "Port2=10000\n"
                                                      "\n"
                                                      "[Run]\n"
                                                      "Del_On=2\n"
                                                      "DelTime=900\n"
                                                      "LogLevel=3\n"
                                                      "LogName=Quenzel.log\n"
                                                      "LogPath=Log\\\n"
                                                      "Proc1=encoder.exe\n"
                                                      "Proc2=backup\n"
                                                      "Proc3=\n"
                                                      "ProcDelay=61.5\n"
                                                      "RunOnTop=1\n"
                                                      "StartDelay=10730\n"
                                                      "StartMin=2\n"
                                                      "StartTime=2\n"
                                                      "StopTime=12215\n"
                                                      "Stop_On=1\n"
                                                      "\n"
                                                      "[Shutdown]\n"
                                                      "Force=2\n"
                                                      "ShutTime=30\n"
                                                      "ShutType=3\n"
                                                      "UserExit=1\n"
                                                      "\n"
                                                      "\n");
}

TEST(ConfigFileText, StampsTheDateAndTime) {
    struct Row {
        LocalTime now;
        const char* line;
    };
    const Row rows[] = {{{2026, 1, 9, 0, 0, 0}, "# 09-Jan-26 00:00:00"},
                        {{1999, 12, 31, 23, 59, 59}, "# 31-Dec-99 23:59:59"},
                        {{2030, 7, 14, 7, 5, 3}, "# 14-Jul-30 07:05:03"}};
    for (const Row& r : rows) {
        std::string text = ConfigFileText(SampleInput(), 1, r.now);
        size_t third = text.find('\n', text.find('\n') + 1) + 1;
        EXPECT_EQ(text.substr(third, text.find('\n', third) - third), r.line);
    }
}

TEST(ConfigFileText, WritesFieldNumbersInTheirShortestForm) {
    struct Row {
        const char* field;
        const char* written;
    };
    const Row rows[] = {{"60", "60"},         {"0600", "600"}, {" 6 0", "60"},
                        {"60.5", "60.5"},     {"60abc", "60"}, {"", "0"},
                        {"-0", "0"},          {"-7", "-7"},    {"1e2", "100"},
                        {"1.25e1", "12.5"},   {"&H10", "16"},  {"0.1", "0.1"},
                        {"100000", "100000"}, {"4.90", "4.9"}, {"1e20", "100000000000000000000"}};
    for (const Row& r : rows) {
        ConfigInput in = SampleInput();
        in.ComDelay = r.field;
        EXPECT_EQ(LineOf(ConfigFileText(in, 2, kNow), "ComDelay="), std::string("ComDelay=") + r.written)
            << r.field;
    }
}

TEST(ConfigFileText, WritesTimesAsHoursAndMinutesAfterTheOffset) {
    struct Row {
        const char* field;
        const char* written;
    };
    const Row rows[] = {{"07:30", "10730"}, {"00:00", "10000"}, {"23:59", "12359"}, {" 9:05", "10905"},
                        {"9 :05", "10905"}, {"+9:05", "10905"}, {"-0:05", "10005"}, {"1.:30", "10130"}};
    for (const Row& r : rows) {
        for (bool fixedTimes : {false, true}) {
            ConfigInput in = SampleInput();
            in.StartTime = fixedTimes;
            in.Stop_On = fixedTimes;
            in.StartDelay = fixedTimes ? r.field : "30";
            in.StopTime = r.field;
            std::string text = ConfigFileText(in, 1, kNow);
            EXPECT_EQ(LineOf(text, "StopTime="), std::string("StopTime=") + r.written) << r.field;
            EXPECT_EQ(LineOf(text, "StartDelay="),
                      fixedTimes ? std::string("StartDelay=") + r.written : "StartDelay=30");
        }
    }
    ConfigInput in = SampleInput();
    in.StartTime = false;
    EXPECT_EQ(LineOf(ConfigFileText(in, 1, kNow), "StartDelay="), "StartDelay=7");
}

TEST(ConfigFileText, KeepsEachFieldOnItsLine) {
    ConfigInput in = SampleInput();
    in.Proc1 = "a\r\nShutType=4";
    in.IPAdd = std::string("host\0name\n", 10);
    std::string text = ConfigFileText(in, 1, kNow);
    EXPECT_EQ(LineOf(text, "Proc1="), "Proc1=aShutType=4");
    EXPECT_EQ(LineOf(text, "IPAdd="), "IPAdd=hostname");
    std::string sample = ConfigFileText(SampleInput(), 1, kNow);
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), std::count(sample.begin(), sample.end(), '\n'));
}

struct Saving {
    TempDir dir;
    FakeWorld world{dir.path()};
    Program& p = world.program;
    Saving() { dir.Write("Data/Quenzel.ini", "old"); }
};

// What the reader must find after the writer saved in: the settings built by hand from the fields.
Settings Expected(const ConfigInput& in, int16_t cMain) {
    auto flag = [](bool ticked) -> int16_t { return ticked ? 2 : 1; };
    Settings s;
    s.CMain = cMain;
    s.ComDelay = 45;
    s.DName = flag(in.DName);
    s.IPAdd = in.IPAdd;
    s.Port1 = 10001;
    s.Port2 = 10000;
    s.Del_On = flag(in.Del_On);
    s.DelTime = 900;
    s.LogLevel = 3;
    s.LogName = "Quenzel.log";
    s.LogPath = "Log\\";
    s.Proc1 = "encoder.exe";
    s.Proc2 = "backup";
    s.ProcDelay = 62;
    s.RunOnTop = flag(in.RunOnTop);
    s.StartDelay = in.StartTime ? 730 : 30;
    s.StartMin = flag(in.StartMin);
    s.StartTime = flag(in.StartTime);
    s.StopTime = 2215;
    s.Stop_On = flag(in.Stop_On);
    s.Force = flag(in.Force);
    s.ShutTime = 30;
    s.ShutType = static_cast<int16_t>(in.ShutType);
    s.UserExit = flag(in.UserExit);
    return s;
}

TEST(WriteConfigFile, WhatIsWrittenReadsBackForEveryTypeFlagAndMode) {
    Saving s;
    for (int16_t cMain : {int16_t{1}, int16_t{2}}) {
        for (int type = 1; type <= 6; ++type) {
            for (unsigned flags = 0; flags < 256; ++flags) {
                ConfigInput in = SampleInput();
                in.ShutType = type;
                bool* boxes[] = {&in.DName,     &in.Del_On,  &in.RunOnTop, &in.StartMin,
                                 &in.StartTime, &in.Stop_On, &in.Force,    &in.UserExit};
                for (unsigned bit = 0; bit < 8; ++bit)
                    *boxes[bit] = (flags >> bit) & 1;
                if (!in.StartTime) in.StartDelay = "30";
                if (in.DName) in.IPAdd = "main.example";
                ASSERT_TRUE(WriteConfigFile(s.p, ConfigFileText(in, cMain, kNow)));
                ReadConfigFile(s.p);
                ASSERT_EQ(s.p.set, Expected(in, cMain)) << "type " << type << " flags " << flags;
            }
        }
    }
    EXPECT_TRUE(s.world.host.messages.empty());
}

TEST(WriteConfigFile, TheWrittenFileGivesTheConfigurationText) {
    Saving s;
    ASSERT_TRUE(WriteConfigFile(s.p, ConfigFileText(SampleInput(), 2, kNow)));
    ReadConfigFile(s.p);
    EXPECT_EQ(s.p.rt.ConfigText,
              "\nConfiguration\n-------------"
              "\n\n[Comms]\nComDelay=45\nDName=1\nIPAdd=192.168.1.20\nPort1=10001\nPort2=10000"
              "\n\n[Run]\nDel_On=2\nDelTime=900\nLogLevel=3\nLogName=Quenzel.log\nLogPath=Log\\"
              "\nProc1=encoder.exe\nProc2=backup\nProc3=\nProcDelay=61.5\nRunOnTop=1"
              "\nStartDelay=10730\nStartMin=2\nStartTime=2\nStopTime=12215\nStop_On=1"
              "\n\n[Shutdown]\nForce=2\nShutTime=30\nShutType=3\nUserExit=1");
    EXPECT_EQ(s.dir.Read("Data/Quenzel.ini"),
              FileSys::ToPlatformLineEnds(ConfigFileText(SampleInput(), 2, kNow)));
}

TEST(WriteConfigFile, AMissingFileEndsTheProgramWithoutWriting) {
    TempDir dir;
    std::filesystem::create_directory(dir.path() / "Data");
    FakeWorld world(dir.path());
    ASSERT_TRUE(test::EndsProgram([&] { WriteConfigFile(world.program, "text"); }));
    ASSERT_EQ(world.host.messages.size(), 1u);
    EXPECT_EQ(world.host.messages[0].title, "Quenzel Configuration File Error");
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "Data" / "Quenzel.ini"));
}

#ifndef _WIN32
// A file whose path is at the system's length limit can be read, but its temporary sibling cannot be created.
TEST(WriteConfigFile, AFailedWriteShowsTheBoxAndLeavesTheOldFileWhole) {
    TempDir dir;
    const std::string tail = "/Data/Quenzel.ini";
    std::filesystem::path base = dir.path();
    while (base.string().size() + tail.size() < 4093) {
        size_t room = 4093 - base.string().size() - tail.size();
        base /= std::string(std::min<size_t>(room > 1 ? room - 1 : 1, 200), 'd');
    }
    std::filesystem::create_directories(base / "Data");
    const std::string target = base.string() + tail;
    ASSERT_EQ(target.size(), 4093u);
    std::ofstream(target, std::ios::binary) << "old contents\n";

    FakeWorld world(base);
    world.program.rt.AppTitle = "Quenzel Slave";
    EXPECT_FALSE(WriteConfigFile(world.program, ConfigFileText(SampleInput(), 2, kNow)));
    ASSERT_EQ(world.host.messages.size(), 1u);
    const test::ShownMessage& box = world.host.messages[0];
    EXPECT_EQ(box.icon, MsgIcon::Exclamation);
    EXPECT_EQ(box.buttons, MsgButtons::Ok);
    EXPECT_EQ(box.title, "Quenzel Slave Configuration File Error");
    EXPECT_EQ(box.text,
              "Unable to write to the configuration file. Quenzel.ini\r\nThis may be a permissions problem.");
    EXPECT_FALSE(world.host.endedWith.has_value());
    EXPECT_EQ(world.files.ReadText("Data\\Quenzel.ini"), "old contents\n");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(base / "Data"), {}), 1);
}
#endif

} // namespace
} // namespace qz
