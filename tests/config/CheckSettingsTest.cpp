#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "config/CheckSettings.h"
#include "tests/config/ConfigTestSupport.h"
#include "tests/support/TempDir.h"

namespace qz {
namespace {

using test::FakeWorld;
using test::TempDir;
using Change = std::function<void(Settings&)>;

// Valid, complete settings for a main station that activates after a delay.
Settings Baseline() {
    Settings s = test::SampleSettings();
    s.Del_On = 1;
    s.StartTime = 1;
    s.StartDelay = 10;
    return s;
}

struct Case {
    std::string name;
    Change change;
    bool corrupt;
};

template <typename Int>
void AddBounds(std::vector<Case>& cases, const std::string& name, Int Settings::*field, long low, long high) {
    for (auto [value, valid] : {std::pair{low - 1, false}, {low, true}, {high, true}, {high + 1, false}}) {
        cases.push_back({name + "=" + std::to_string(value),
                         [=](Settings& s) { s.*field = static_cast<Int>(value); }, !valid});
    }
}

void AddText(std::vector<Case>& cases, const std::string& name, std::string Settings::*field,
             const std::string& text, bool valid) {
    cases.push_back({name + "=\"" + text + "\"", [=](Settings& s) { s.*field = text; }, !valid});
}

std::string Repeated(const std::string& piece, size_t count) {
    std::string text;
    for (size_t i = 0; i < count; ++i)
        text += piece;
    return text;
}

std::vector<Case> Cases() {
    std::vector<Case> cases;
    AddBounds(cases, "ComDelay", &Settings::ComDelay, 5, 600);
    AddBounds(cases, "CMain", &Settings::CMain, 1, 2);
    AddBounds(cases, "Del_On", &Settings::Del_On, 1, 2);
    AddBounds(cases, "DelTime", &Settings::DelTime, 60, 10800);
    AddBounds(cases, "Force", &Settings::Force, 1, 2);
    AddBounds(cases, "ProcDelay", &Settings::ProcDelay, 5, 3600);
    AddBounds(cases, "LogLevel", &Settings::LogLevel, 1, 3);
    AddBounds(cases, "Port1", &Settings::Port1, 1024, 65535);
    AddBounds(cases, "Port2", &Settings::Port2, 1024, 65535);
    AddBounds(cases, "RunOnTop", &Settings::RunOnTop, 1, 2);
    AddBounds(cases, "ShutTime", &Settings::ShutTime, 2, 600);
    AddBounds(cases, "StartMin", &Settings::StartMin, 1, 2);
    AddBounds(cases, "ShutType", &Settings::ShutType, 1, 6);
    AddBounds(cases, "StartDelay", &Settings::StartDelay, 1, 3600);
    AddBounds(cases, "StartTime", &Settings::StartTime, 1, 2);
    AddBounds(cases, "Stop_On", &Settings::Stop_On, 1, 2);
    AddBounds(cases, "UserExit", &Settings::UserExit, 1, 2);
    AddBounds(cases, "StopTime", &Settings::StopTime, 0, 12359);
    for (auto [value, valid] : {std::pair{2359, true}, {2360, false}, {2400, false}, {-1200, false}, {20000, false}}) {
        cases.push_back(
            {"StopTime=" + std::to_string(value), [=](Settings& s) { s.StopTime = int16_t(value); }, !valid});
    }
    for (auto [value, valid] : {std::pair{0, true},
                                {2359, true},
                                {12000, true},
                                {2360, false},
                                {2400, false},
                                {-5, false},
                                {3000, false}}) {
        cases.push_back({"activation time " + std::to_string(value),
                         [=](Settings& s) { s.StartTime = 2, s.StartDelay = int16_t(value); }, !valid});
    }
    for (auto [dName, valid] : {std::pair{0, false}, {1, true}, {2, true}, {3, false}}) {
        cases.push_back({"DName=" + std::to_string(dName),
                         [=](Settings& s) { s.DName = int16_t(dName), s.IPAdd = ""; }, !valid});
    }

    const std::string e = "\xC3\xA9"; // a two-byte character
    for (auto field : {&Settings::Proc1, &Settings::Proc2, &Settings::Proc3}) {
        AddText(cases, "process name", field, std::string(30, 'p'), true);
        AddText(cases, "process name", field, std::string(31, 'p'), false);
    }
    AddText(cases, "Proc1", &Settings::Proc1, Repeated(e, 30), true);
    AddText(cases, "Proc1", &Settings::Proc1, Repeated(e, 31), false);
    AddText(cases, "LogName", &Settings::LogName, "Qz.logs", false);
    AddText(cases, "LogName", &Settings::LogName, "Qzl.logs", true);
    AddText(cases, "LogName", &Settings::LogName, std::string(16, 'q') + ".log", true);
    AddText(cases, "LogName", &Settings::LogName, std::string(17, 'q') + ".log", false);
    AddText(cases, "LogPath", &Settings::LogPath, "\\", false);
    AddText(cases, "LogPath", &Settings::LogPath, "L\\", true);
    AddText(cases, "LogPath", &Settings::LogPath, std::string(99, 'L') + "\\", true);
    AddText(cases, "LogPath", &Settings::LogPath, std::string(100, 'L') + "\\", false);
    AddText(cases, "LogPath", &Settings::LogPath, Repeated(e, 99) + "\\", true);
    AddText(cases, "LogPath", &Settings::LogPath, "Log", false);
    AddText(cases, "LogPath", &Settings::LogPath, "", true);
#ifndef _WIN32
    AddText(cases, "LogPath", &Settings::LogPath, "/var/log/", true);
#endif
    for (auto [address, valid] : {std::pair{"", true},
                                  {"10.1.1.1", true},
                                  {"192.168.0.5", false},
                                  {"peer", false},
                                  {"10.1.1.1 ", false}}) {
        AddText(cases, "IP address", &Settings::IPAdd, address, valid);
    }
    for (auto [name, valid] : std::vector<std::pair<std::string, bool>>{{"", true},
                                                                        {"10.0.0.1", true},
                                                                        {"main.example", true},
                                                                        {"10.1.1.1", false},
                                                                        {std::string(100, 'n'), true},
                                                                        {std::string(101, 'n'), false},
                                                                        {Repeated(e, 100), true}}) {
        cases.push_back(
            {"domain name \"" + name + "\"", [=](Settings& s) { s.DName = 2, s.IPAdd = name; }, !valid});
    }
    auto cross = [&cases](const char* name, Change change, bool valid) {
        cases.push_back({name, change, !valid});
    };
    cross(
        "fixed delay equal to the process delay", [](Settings& s) { s.Del_On = 2, s.ProcDelay = s.DelTime; },
        false);
    cross(
        "fixed delay above the process delay",
        [](Settings& s) { s.Del_On = 2, s.ProcDelay = int16_t(s.DelTime - 1); }, true);
    cross(
        "equal delays without fixed delay", [](Settings& s) { s.Del_On = 1, s.ProcDelay = s.DelTime = 600; },
        true);
    cross(
        "second process without the first", [](Settings& s) { s.Proc1 = ""; }, false);
    cross(
        "third process without the second", [](Settings& s) { s.Proc2 = "", s.Proc3 = "x"; }, false);
    cross(
        "no process at all", [](Settings& s) { s.Proc1 = s.Proc2 = s.Proc3 = ""; }, true);
    cross(
        "several wrong values", [](Settings& s) { s.ComDelay = 0, s.Port1 = 0, s.LogName = ""; }, false);
    return cases;
}

TEST(CheckSettings, AcceptsEveryRuleUpToItsBoundsAndNoFurther) {
    TempDir dir;
    for (const Case& c : Cases()) {
        SCOPED_TRACE(c.name);
        FakeWorld world(dir.path());
        Settings settings = Baseline();
        c.change(settings);
        world.program.set = settings;
        if (c.corrupt) {
            test::ExpectCorruptEnd(world, [&] { CheckSettings(world.program); });
        } else {
            ASSERT_FALSE(test::EndsProgram([&] { CheckSettings(world.program); }));
            EXPECT_TRUE(world.host.messages.empty());
            if (settings.LogPath.empty()) settings.LogPath = "Log\\";
            EXPECT_EQ(world.program.set, settings);
        }
    }
}

TEST(CheckSettings, TheBoxNamesTheSlave) {
    TempDir dir;
    FakeWorld world(dir.path());
    world.program.rt.AppTitle = "Quenzel Slave";
    world.program.set = Baseline();
    world.program.set.ShutTime = 601;
    test::ExpectCorruptEnd(
        world, [&] { CheckSettings(world.program); }, "Quenzel Slave Configuration File Error");
}

TEST(CheckSettings, MarksSettingsThatAreTooFewForTheirMode) {
    struct Row {
        const char* name;
        Change change;
        bool notConfigured;
    };
    const Row rows[] = {
        {"complete main station", [](Settings&) {}, false},
        {"stand-alone main station", [](Settings& s) { s.IPAdd = ""; }, false},
        {"main station without a process", [](Settings& s) { s.Proc1 = s.Proc2 = ""; }, true},
        {"monitor type with an address", [](Settings& s) { s.ShutType = 4; }, false},
        {"monitor type without an address", [](Settings& s) { s.ShutType = 4, s.IPAdd = ""; }, true},
        {"monitor type with a domain name",
         [](Settings& s) { s.ShutType = 4, s.DName = 2, s.IPAdd = "peer"; }, false},
        {"monitor type with an empty domain name",
         [](Settings& s) { s.ShutType = 4, s.DName = 2, s.IPAdd = ""; }, true},
        {"complete slave", [](Settings& s) { s.CMain = 2; }, false},
        {"slave without a process", [](Settings& s) { s.CMain = 2, s.Proc1 = s.Proc2 = ""; }, false},
        {"slave with the monitor type", [](Settings& s) { s.CMain = 2, s.ShutType = 4; }, true},
        {"slave without an address", [](Settings& s) { s.CMain = 2, s.IPAdd = ""; }, true},
        {"slave with a domain name", [](Settings& s) { s.CMain = 2, s.DName = 2, s.IPAdd = "main"; }, false},
        {"slave with an empty domain name", [](Settings& s) { s.CMain = 2, s.DName = 2, s.IPAdd = ""; },
         true},
    };
    TempDir dir;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        for (bool before : {false, true}) {
            FakeWorld world(dir.path());
            world.program.set = Baseline();
            row.change(world.program.set);
            world.program.rt.NotConfigured = before;
            ASSERT_FALSE(test::EndsProgram([&] { CheckSettings(world.program); }));
            EXPECT_TRUE(world.host.messages.empty());
            EXPECT_EQ(world.program.rt.NotConfigured, row.notConfigured || before);
        }
    }
}

} // namespace
} // namespace qz
