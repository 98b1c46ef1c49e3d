#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <tuple>
#include <vector>

#include "config/ConfigFile.h"
#include "tests/support/IniFile.h"
#include "tests/support/TempDir.h"

namespace qz::test {
namespace {

enum class Outcome { Ok, NotConfigured, Corrupt, Other };

// "Data\Quenzel.ini" read as a start reads it: the bytes written there, elsewhere, or nowhere.
struct Load {
    explicit Load(std::optional<std::string_view> bytes, const char* name = "Data/Quenzel.ini") {
        if (bytes) dir.Write(name, *bytes);
        read = ReadConfigFile(FileSys(dir.path()));
    }
    Outcome Result() const { // Corrupt only with the corrupted-configuration fault
        if (read) return read.value().complete ? Outcome::Ok : Outcome::NotConfigured;
        return read.fault() == CorruptConfig() ? Outcome::Corrupt : Outcome::Other;
    }
    TempDir dir;
    qz::Result<ConfigRead> read = Fault{};
};

// The text with each edit's first "from" replaced; a missing one throws.
std::string Edited(std::string text, const std::vector<std::pair<std::string, std::string>>& edits) {
    for (const auto& [from, to] : edits)
        text.replace(text.find(from), from.size(), to);
    return text;
}

TEST(CheckSettings, AcceptsEveryRangeUpToItsBoundsAndNoFurther) {
    // Texts are measured in pieces, a piece of two bytes being one character.
    auto expectRange = [](const char* key, long low, long high, const IniFile& base, const std::string& piece,
                          const std::string& suffix) {
        for (long n : {std::max(low - 1, 0L), low, high, high + 1}) {
            std::string value = piece.empty() ? std::to_string(n) : suffix;
            for (long i = 0; i < n && !piece.empty(); ++i)
                value.insert(0, piece);
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

// Times past their offset, paths, addresses, delays, names in order, and what each mode needs to run.
TEST(ReadConfigFile, FollowsTheCrossFieldRules) {
    const std::pair<Outcome, std::vector<std::string>> rows[] = {
        {Outcome::Corrupt,
         {"StartTime=0", "StartTime=3", "StopTime=-30000", "StopTime=30000", "LogPath=Log", "IPAdd=peer",
          "DName=2;IPAdd=10.1.1.1", "Del_On=2;ProcDelay=60", "Proc1=;Proc2=b", "Proc3=c"}},
        {Outcome::NotConfigured,
         {"Proc1=", "ShutType=4", "ShutType=4;DName=2", "CMain=2", "CMain=2;IPAdd=10.1.1.1;ShutType=4",
          "CMain=2;DName=2"}},
        {Outcome::Ok,
         {"Del_On=2;ProcDelay=59", "ProcDelay=60", "ShutType=4;IPAdd=10.1.1.1",
          "ShutType=4;DName=2;IPAdd=peer", "CMain=2;IPAdd=10.1.1.1;Proc1=", "CMain=2;DName=2;IPAdd=main"}},
        {std::filesystem::path::preferred_separator == '/' ? Outcome::Ok : Outcome::Corrupt, // POSIX only
         {"LogPath=/var/log/"}},
    };
    for (const auto& [outcome, files] : rows)
        for (const std::string& values : files)
            EXPECT_EQ(Load(With(IniFile(), values).Text()).Result(), outcome) << values;
}

// Lines but comments kept trimmed, values with their blanks, times without offset, keys in any section.
TEST(ReadConfigFile, CopiesTheSignificantLinesAndReadsValuesAsTheFileHoldsThem) {
    Load load(Edited(
        With(IniFile(), "Proc1= caf\xE9\t;LogPath=;StopTime=12215;StartTime=2;StartDelay=10730").Text(),
        {{"# Configuration File", "   # indented comment"},
         {"Port2=10000\r\n", "Port2=10000\r\n   \r\nHello there \r\n"},
         {"\r\n[Run]\r\nDel_On=1", "\r\n  [Run] \r\n  Del_On=1  "},
         {"Proc3=", "Proc2="},
         {"\r\n[Shutdown]", ""},
         {"[Comms]", "[Comms]\r\n[Shutdown]"}}));
    ASSERT_EQ(load.Result(), Outcome::Ok);
    const Settings& s = load.read.value().settings;
    EXPECT_EQ(
        std::tuple(load.read.value().text, s.processNames[0], s.logFolder, s.stopTime, s.activationDelay),
        std::tuple(
            "\nConfiguration\n-------------\n# indented comment\n\n[Comms]\n\n[Shutdown]\nComDelay=5\n"
            "DName=1\nIPAdd=\nPort1=10001\nPort2=10000\n\nHello there\n\n[Run]\nDel_On=1\nDelTime=60\n"
            "LogLevel=2\nLogName=Quenzel.log\nLogPath=\nProc1= caf\xE9\t\nProc2=\nProc2=\nProcDelay=5\n"
            "RunOnTop=1\nStartDelay=10730\nStartMin=1\nStartTime=2\nStopTime=12215\nStop_On=1\nForce=1\n"
            "ShutTime=3\nShutType=3\nUserExit=1",
            " caf\xE9\t", "Log\\", 2215, 730));
}

// Up to 64 KiB is read, keys and headers count only as they stand, and without folder or file no reading.
TEST(ReadConfigFile, BadFilesEndInTheCorruptedBoxAndNothingElse) {
    const std::string text = IniFile().Text(),
                      padded = text + std::string(65536 - text.size() - 2, '#') + "\r\n";
    int row = 0;
    for (const std::string& bytes :
         {text + '\0', padded + "#", Edited(text, {{"=5", "=" + std::string(60'000, '9')}}),
          Edited(text, {{"Proc3=\r\n", ""}}), Edited(text, {{"Proc2=", "#Proc2="}}),
          Edited(text, {{"Proc1=", "proc1="}}), Edited(text, {{"[Run]", "[Run]\r\n[Run]"}}),
          Edited(text, {{"[Shutdown]\r\n", ""}})})
        EXPECT_EQ(Load(bytes).Result(), Outcome::Corrupt) << "row " << row++;
    EXPECT_EQ(std::tuple(Load(padded).Result(), Load(std::nullopt).read.fault().title,
                         Load("", "Data/other.ini").read.fault().title, CorruptConfig()),
              std::tuple(Outcome::Ok, "Data Directory Error", "Configuration File Error",
                         Fault{MsgIcon::Critical, "Configuration File Error",
                               "The configuration file is corrupted.\r\nReinstall the program to restore the "
                               "file.\r\nThe program will now terminate."}));
}

} // namespace
} // namespace qz::test
