#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <filesystem>
#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "config/ConfigFile.h"
#include "tests/support/IniFile.h"
#include "tests/support/TempDir.h"

namespace qz {
namespace {

using test::IniFile;
using Edits = std::vector<std::pair<std::string, std::string>>;
enum class Outcome { Ok, NotConfigured, Corrupt, Other };

// "Data\Quenzel.ini" read as a start reads it: bytes written there unless absent, under another name to
// leave only the folder; place puts something else where the file belongs.
struct Load {
    explicit Load(std::optional<std::string_view> bytes, const char* name = "Data/Quenzel.ini",
                  void (*place)(const std::filesystem::path&) = nullptr) {
        if (bytes) dir.Write(name, *bytes);
        if (place) place(dir.path() / "Data" / "Quenzel.ini");
        read = ReadConfigFile(FileSys(dir.path()));
    }
    Outcome Result() const { // Corrupt only with the corrupted-configuration fault
        if (read) return read.value().complete ? Outcome::Ok : Outcome::NotConfigured;
        return read.fault() == CorruptConfig() ? Outcome::Corrupt : Outcome::Other;
    }
    test::TempDir dir;
    qz::Result<ConfigRead> read = Fault{};
};

// The text with each edit's first "from" replaced; a missing one throws.
std::string Edited(std::string text, const Edits& edits) {
    for (const auto& [from, to] : edits)
        text.replace(text.find(from), from.size(), to);
    return text;
}

std::string Repeat(const std::string& piece, long count) {
    std::string text;
    while (count-- > 0)
        text += piece;
    return text;
}

TEST(CheckSettings, AcceptsEveryRangeUpToItsBoundsAndNoFurther) {
    // Texts are measured in pieces, a piece of two bytes being one character.
    auto expectRange = [](const char* key, long low, long high, const IniFile& base, const std::string& piece,
                          const std::string& suffix) {
        for (long n : {low - 1, low, high, high + 1}) {
            if (n < 0) continue;
            const std::string value = piece.empty() ? std::to_string(n) : Repeat(piece, n) + suffix;
            const Outcome outcome = Load(IniFile(base).Set(key, value).Text()).Result();
            EXPECT_TRUE(outcome != Outcome::Other && (outcome == Outcome::Corrupt) == (n < low || n > high))
                << key << " of " << n;
        }
    };
    const struct {
        const char* key;
        long low, high;
    } numbers[] = {{"ComDelay", 5, 600}, {"Del_On", 1, 2},          {"DelTime", 60, 10800},
                   {"DName", 1, 2},      {"Force", 1, 2},           {"ProcDelay", 5, 3600},
                   {"LogLevel", 1, 3},   {"Port1", 1024, 65535},    {"Port2", 1024, 65535},
                   {"RunOnTop", 1, 2},   {"ShutTime", 2, 600},      {"StartMin", 1, 2},
                   {"ShutType", 1, 6},   {"StartDelay", 1, 3600},   {"Stop_On", 1, 2},
                   {"UserExit", 1, 2},   {"StopTime", 10000, 12359}};
    for (const auto& r : numbers)
        expectRange(r.key, r.low, r.high, IniFile(), "", "");
    expectRange("StartDelay", 10000, 12359, IniFile().Set("StartTime", 2), "", ""); // a time of day
    expectRange("CMain", 1, 2, IniFile().Set("IPAdd", "10.1.1.1"), "", ""); // a slave needs its main station
    expectRange("Proc1", 0, 30, IniFile(), "\xC3\xA9", "");
    expectRange("Proc2", 0, 30, IniFile(), "p", "");
    expectRange("Proc3", 0, 30, IniFile().Set("Proc2", "two"), "p", "");
    expectRange("LogName", 8, 20, IniFile(), "q", "");
    expectRange("LogPath", 1, 99, IniFile(), "\xC3\xA9", "\\");
    expectRange("IPAdd", 0, 100, IniFile().Set("DName", 2), "n", "");
}

// Values as the file holds them: names untrimmed, times by their last four digits. Numbers: ValuesTest.
TEST(ReadConfigFile, ReadsValuesAsTheFileHoldsThem) {
    auto read = [](const char* key, const char* value, int startTime = 1) {
        return Load(IniFile().Set("StartTime", startTime).Set(key, value).Text()).read.value().settings;
    };
    EXPECT_EQ(std::tuple(read("Proc1", " a").processNames[0], read("Proc1", "a\t").processNames[0],
                         read("Proc1", "caf\xE9").processNames[0], read("LogPath", "").logFolder),
              std::tuple(" a", "a\t", "caf\xE9", "Log\\"));
    EXPECT_EQ(std::tuple(read("StopTime", "12215").stopTime, read("StartDelay", "3600").activationDelay,
                         read("StartDelay", "10730", 2).activationDelay),
              std::tuple(2215, 3600, 730));
}

TEST(ReadConfigFile, FollowsTheLineAndCrossFieldRules) {
    const Outcome ok = Outcome::Ok, bad = Outcome::Corrupt, nc = Outcome::NotConfigured;
    const IniFile domain = IniFile().Set("DName", 2);
    const IniFile slave = IniFile().Set("IPAdd", "10.1.1.1").Set("CMain", 2);
    const struct {
        const char* name;
        IniFile file;
        Outcome outcome;
        Edits edits = {};
    } rows[] = {
        {"key in the wrong case", {}, bad, {{"Proc1=", "proc1="}}},
        {"key missing", {}, bad, {{"Proc3=\r\n", ""}}},
        {"key twice makes up for a missing one", {}, ok, {{"Proc3=", "Proc2="}}},
        {"key with blanks before the equals sign", {}, bad, {{"CMain=1", "CMain = 1"}}},
        {"commented-out key", {}, bad, {{"Proc2=", "#Proc2="}}},
        {"header twice", {}, bad, {{"[Run]", "[Run]\r\n[Run]"}}},
        {"header missing", {}, bad, {{"[Shutdown]\r\n", ""}}},
        {"header with blanks inside", {}, bad, {{"[Run]", "[ Run ]"}}},
        {"keys in other sections", {}, ok, {{"\r\n[Shutdown]", ""}, {"[Comms]", "[Comms]\r\n[Shutdown]"}}},
        {"too large for 16 bits", IniFile().Set("ProcDelay", 70000), bad},
        {"shutdown time below 16 bits after the offset", IniFile().Set("StopTime", -30000), bad},
        {"shutdown time past 23:59 with a valid last four digits", IniFile().Set("StopTime", 30000), bad},
        {"StartTime=0", IniFile().Set("StartTime", 0), bad},
        {"StartTime=3", IniFile().Set("StartTime", 3), bad},
        {"log path without separator", IniFile().Set("LogPath", "Log"), bad},
#ifndef _WIN32
        {"log path with slash", IniFile().Set("LogPath", "/var/log/"), ok},
#endif
        {"name as IP address", IniFile().Set("IPAdd", "peer"), bad},
        {"IP address as domain name", IniFile(domain).Set("IPAdd", "10.1.1.1"), bad},
        {"domain name with a zero part", IniFile(domain).Set("IPAdd", "10.0.0.1"), ok},
        {"fixed delay equal to the process delay", IniFile().Set("Del_On", 2).Set("ProcDelay", 60), bad},
        {"fixed delay above the process delay", IniFile().Set("Del_On", 2).Set("ProcDelay", 59), ok},
        {"equal delays without fixed delay", IniFile().Set("ProcDelay", 60), ok},
        {"second process without the first", IniFile().Set("Proc1", "").Set("Proc2", "b"), bad},
        {"third process without the second", IniFile().Set("Proc3", "c"), bad},
        {"main station without a process", IniFile().Set("Proc1", ""), nc},
        {"monitor without an address", IniFile().Set("ShutType", 4), nc},
        {"monitor with an address", IniFile().Set("ShutType", 4).Set("IPAdd", "10.1.1.1"), ok},
        {"monitor with a domain name", IniFile(domain).Set("ShutType", 4).Set("IPAdd", "peer"), ok},
        {"monitor with an empty domain name", IniFile(domain).Set("ShutType", 4), nc},
        {"slave without a process", IniFile(slave).Set("Proc1", ""), ok},
        {"slave without an address", IniFile().Set("CMain", 2), nc},
        {"slave with the monitor type", IniFile(slave).Set("ShutType", 4), nc},
        {"slave with a domain name", IniFile(slave).Set("DName", 2).Set("IPAdd", "main"), ok},
        {"slave with an empty domain name", IniFile(slave).Set("DName", 2).Set("IPAdd", ""), nc},
    };
    for (const auto& row : rows)
        EXPECT_EQ(Load(Edited(row.file.Text(), row.edits)).Result(), row.outcome) << row.name;
}

TEST(ReadConfigFile, CopiesTheSignificantLinesWithoutTheStationsMode) {
    Load load(Edited(IniFile().Text(), {{"# Configuration File", "   # indented comment"},
                                        {"Port2=10000\r\n", "Port2=10000\r\n   \r\nHello there \r\n"},
                                        {"\r\n[Run]\r\nDel_On=1", "\r\n  [Run] \r\n  Del_On=1  "}}));
    ASSERT_EQ(load.Result(), Outcome::Ok);
    EXPECT_EQ(
        load.read.value().text,
        "\nConfiguration\n-------------\n# indented comment\n\n[Comms]\nComDelay=5\nDName=1\nIPAdd=\n"
        "Port1=10001\nPort2=10000\n\nHello there\n\n[Run]\nDel_On=1\nDelTime=60\nLogLevel=2\n"
        "LogName=Quenzel.log\nLogPath=Log\\\nProc1=worker.exe\nProc2=\nProc3=\nProcDelay=5\nRunOnTop=1\n"
        "StartDelay=2\nStartMin=1\nStartTime=1\nStopTime=10000\nStop_On=1\n\n[Shutdown]\nForce=1\n"
        "ShutTime=3\nShutType=3\nUserExit=1");
}

TEST(ReadConfigFile, BadFilesEndInTheCorruptedBoxAndNothingElse) {
    std::mt19937 gen(5122026);
    std::string randomBytes(60'000, '\0'), wide;
    for (char& c : randomBytes)
        c = static_cast<char>(std::uniform_int_distribution<int>(1, 255)(gen));
    for (char c : IniFile().Text()) // UTF-16, as an editor might save it
        wide += std::string{c, '\0'};
    for (const std::string& bytes :
         {std::string(), std::string("# Quenzel Version 1.6\r\n"), randomBytes,
          Edited(IniFile().Text(), {{"=5", "=" + std::string(60'000, '9')}}), std::string(1000, '\0'),
          IniFile().Text() + '\0', wide, std::string(5000, '\xE9')})
        EXPECT_EQ(Load(bytes).Result(), Outcome::Corrupt) << bytes.substr(0, 40);
    EXPECT_EQ(CorruptConfig(),
              (Fault{MsgIcon::Critical, "Configuration File Error",
                     "The configuration file is corrupted.\r\nReinstall the program to restore "
                     "the file.\r\nThe program will now terminate."}));
    // Up to 64 KiB is read; one byte more is not this program's file, whatever it holds.
    const std::string text = IniFile().Text(),
                      padded = text + std::string(65536 - text.size() - 2, '#') + "\r\n";
    EXPECT_EQ(std::pair(Load(padded).Result(), Load(padded + "#").Result()),
              std::pair(Outcome::Ok, Outcome::Corrupt));
#ifndef _WIN32
    alarm(30); // a FIFO waited for would hang the run; the alarm ends it as a failure instead
    EXPECT_EQ(Load("", "Data/other.ini", [](const auto& file) { mkfifo(file.c_str(), 0600); }).Result(),
              Outcome::Corrupt);
    const auto zeros = [](const auto& file) { std::filesystem::create_symlink("/dev/zero", file); };
    EXPECT_EQ(Load("", "Data/other.ini", zeros).Result(), Outcome::Corrupt);
    alarm(0);
#endif
}

TEST(ReadConfigFile, AMissingFolderOrFileEndsTheProgramBeforeReading) {
    EXPECT_EQ(Load(std::nullopt).read.fault().title, "Data Directory Error");
    EXPECT_EQ(Load("", "Data/other.ini").read.fault().title, "Configuration File Error");
}

} // namespace
} // namespace qz
