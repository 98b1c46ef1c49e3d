#include <gtest/gtest.h>

#include <signal.h>

#include <fstream>
#include <random>

#include "tests/e2e/Quenzeld.h"

namespace qz::test {
namespace {

namespace fs = std::filesystem;

const std::vector<std::string> kInhibit{"-InhibitShutdown"};
const LogEntry kStarted{"Start", "Initialise"};
using Spoil = std::function<void(const fs::path&)>;

// Replaces a file by a folder of its name.
void MakeFolder(const fs::path& file) {
    fs::remove(file);
    fs::create_directory(file);
}

// Spoils files under a running quenzeld; a spoilt configuration shows at the next reload.
TEST(QuenzeldUnderFault, FolderOrFileSpoiltWhileItRunsEndsItWithTheBox) {
    std::string noise;
    for (std::mt19937 random(1); noise.size() < 65536;)
        noise += static_cast<char>(random());
    const std::string logFileBox = "Quenzel Log File Error\nThe log file is either missing or\ncorrupted. "
                                   "Delete the log file if\nit exists and restart the program.\n"
                                   "The program will now terminate.\n\n";
    const std::string corruptBox =
        "Quenzel Configuration File Error\nThe configuration file is corrupted.\n"
        "Reinstall the program to restore the file.\nThe program will now terminate.\n\n";
    const struct {
        Spoil spoil;
        std::string box;
        bool reload = true;
    } rows[] = {
        {[](const fs::path& at) { fs::remove_all(at / "Log"); },
         "Quenzel Log Directory Error\nThe log directory does not exist. This\ndirectory must be "
         "created manually if\nit is not the default one. To restore\nthe default log directory "
         "reinstall\nthe program.\nThe program will now terminate.\n\n",
         false},
        {[](const fs::path& at) { MakeFolder(at / "Log/Quenzel.log"); }, logFileBox, false},
        {[](const fs::path& at) { MakeFolder(at / "Data/Quenzel.ini"); },
         "Quenzel Configuration File Error\nThe configuration file is either missing or\n"
         "corrupted. To restore the configuration file\nreinstall the program.\n"
         "The program will now terminate.\n\n"},
        {[&noise](const fs::path& at) { std::ofstream(at / "Data/Quenzel.ini", std::ios::binary) << noise; },
         corruptBox},
        {[](const fs::path& at) { std::ofstream(at / "Data/Quenzel.ini", std::ios::trunc); }, corruptBox},
    };
    TestWorld world;
    for (const auto& row : rows) {
        SCOPED_TRACE(&row - rows);
        // Waits an hour before it watches, logging every second of the wait.
        Station station(Config{{"StartDelay", "3600"}, {"LogLevel", "3"}});
        Quenzeld program(world, station, kInhibit);
        ASSERT_TRUE(Eventually([&] { return station.Logged(kStarted) && station.Logged({"Inactive", ""}); }));
        row.spoil(station.Folder());
        if (row.reload) program.Signal(SIGHUP);
        EXPECT_EQ(program.WaitExit(), 1);
        EXPECT_EQ(program.Stderr(), row.box);
    }
}

} // namespace
} // namespace qz::test
