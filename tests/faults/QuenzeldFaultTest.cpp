#include <gtest/gtest.h>

#include <signal.h>

#include <random>

#include "tests/e2e/Quenzeld.h"

namespace qz::test {
namespace {

namespace fs = std::filesystem;

const std::vector<std::string> kInhibit{"-InhibitShutdown"};
const LogEntry kStarted{"Start", "Initialise"};

// Waits an hour before it watches, logging every second of the wait.
const Config kLoggingEverySecond{{"StartDelay", "3600"}, {"LogLevel", "3"}};

const std::string kLogDirectoryBox = "Quenzel Log Directory Error\n"
                                     "The log directory does not exist. This\n"
                                     "directory must be created manually if\n"
                                     "it is not the default one. To restore\n"
                                     "the default log directory reinstall\n"
                                     "the program.\n"
                                     "The program will now terminate.\n\n";
const std::string kLogFileBox = "Quenzel Log File Error\n"
                                "The log file is either missing or\n"
                                "corrupted. Delete the log file if\n"
                                "it exists and restart the program.\n"
                                "The program will now terminate.\n\n";
const std::string kConfigFileBox = "Quenzel Configuration File Error\n"
                                   "The configuration file is either missing or\n"
                                   "corrupted. To restore the configuration file\n"
                                   "reinstall the program.\n"
                                   "The program will now terminate.\n\n";
const std::string kCorruptBox = "Quenzel Configuration File Error\n"
                                "The configuration file is corrupted.\n"
                                "Reinstall the program to restore the file.\n"
                                "The program will now terminate.\n\n";

std::string RandomBytes(unsigned seed, size_t size) {
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> byte(0, 255);
    std::string bytes(size, '\0');
    for (char& c : bytes)
        c = static_cast<char>(byte(random));
    return bytes;
}

// A text as UTF-16 little-endian with its byte order mark: a NUL after every character.
std::string Utf16(const std::string& text) {
    std::string wide = "\xFF\xFE";
    for (char c : text) {
        wide += c;
        wide += '\0';
    }
    return wide;
}

std::string LineEndsAsNuls(std::string text) {
    for (char& c : text)
        if (c == '\n') c = '\0';
    return text;
}

// Runs a station until it has logged its start and a second of its wait, so that the next second
// writes to the log again.
void StartedAndLogging(const Station& station, Quenzeld& program) {
    ASSERT_TRUE(Eventually([&] { return station.Logged(kStarted) && station.Logged({"Inactive", ""}); }));
    ASSERT_TRUE(program.Running());
}

TEST(QuenzeldUnderFault, LogFolderOrFileTakenAwayWhileItRunsEndsItWithTheBox) {
    const struct {
        const char* name;
        std::function<void(const fs::path&)> spoil;
        const std::string& box;
    } rows[] = {
        {"log folder removed", [](const fs::path& log) { fs::remove_all(log); }, kLogDirectoryBox},
        {"log file replaced by a folder",
         [](const fs::path& log) {
             fs::remove(log / "Quenzel.log");
             fs::create_directory(log / "Quenzel.log");
         },
         kLogFileBox},
        {"log file removed", [](const fs::path& log) { fs::remove(log / "Quenzel.log"); }, kLogFileBox},
    };
    TestWorld world;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        Station station(kLoggingEverySecond);
        Quenzeld program(world, station, kInhibit);
        StartedAndLogging(station, program);
        if (HasFatalFailure()) return;
        row.spoil(station.Folder() / "Log");
        EXPECT_EQ(program.WaitExit(), 1);
        EXPECT_EQ(program.Stderr(), row.box);
        // Its status lines went out normally up to the fault.
        EXPECT_TRUE(program.Stdout().starts_with("Quenzel\nPower Off if there is no activity for 6s\n"))
            << program.Stdout();
    }
}

TEST(QuenzeldUnderFault, ConfigurationSpoiltBeforeAStartOrAReloadEndsItWithTheBox) {
    const std::string valid = ConfigText({{"StartDelay", "3600"}});
    const struct {
        const char* name;
        std::function<void(const Station&)> spoil;
        const std::string& box;
    } rows[] = {
        {"replaced by a folder",
         [](const Station& s) {
             fs::remove(s.Folder() / "Data/Quenzel.ini");
             fs::create_directory(s.Folder() / "Data/Quenzel.ini");
         },
         kConfigFileBox},
        {"4 KB of random bytes",
         [](const Station& s) { s.dir.Write("Data/Quenzel.ini", RandomBytes(1, 4096)); }, kCorruptBox},
        {"64 KB of other random bytes",
         [](const Station& s) { s.dir.Write("Data/Quenzel.ini", RandomBytes(2, 65536)); }, kCorruptBox},
        {"NULs only", [](const Station& s) { s.dir.Write("Data/Quenzel.ini", std::string(1024, '\0')); },
         kCorruptBox},
        {"line ends turned into NULs",
         [&valid](const Station& s) { s.dir.Write("Data/Quenzel.ini", LineEndsAsNuls(valid)); }, kCorruptBox},
        {"the valid text as UTF-16",
         [&valid](const Station& s) { s.dir.Write("Data/Quenzel.ini", Utf16(valid)); }, kCorruptBox},
        {"empty", [](const Station& s) { s.dir.Write("Data/Quenzel.ini", ""); }, kCorruptBox},
    };
    TestWorld world;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        {
            Station station;
            row.spoil(station);
            Quenzeld program(world, station, kInhibit);
            EXPECT_EQ(program.WaitExit(), 1) << "at start";
            EXPECT_EQ(program.Stderr(), row.box) << "at start";
            EXPECT_EQ(program.Stdout(), "") << "at start";
        }
        Station station(Config{{"StartDelay", "3600"}});
        Quenzeld program(world, station, kInhibit);
        ASSERT_TRUE(Eventually([&] { return station.Logged(kStarted); }));
        row.spoil(station);
        program.Signal(SIGHUP);
        EXPECT_EQ(program.WaitExit(), 1) << "at a reload";
        EXPECT_EQ(program.Stderr(), row.box) << "at a reload";
        EXPECT_EQ(station.Log().back(), kStarted) << "at a reload";
    }
}

} // namespace
} // namespace qz::test
