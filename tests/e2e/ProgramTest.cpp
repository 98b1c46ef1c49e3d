#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include "tests/e2e/Quenzeld.h"

namespace qz::test {
namespace {

const LogEntry kStarted{"Start", "Initialise"};
const std::vector<std::string> kInhibit{"-InhibitShutdown"};

// A stand-alone station that waits an hour before it begins to watch.
const Config kWaiting{{"StartDelay", "3600"}};

TEST(Quenzeld, PowersOffInSimulationOnceTheWatchedProcessHasEnded) {
    TestWorld world;
    Station station;
    WatchedProcess child(station, 4);
    station.WriteConfig({{"Proc1", child.Name()}});
    Quenzeld program(world, station, kInhibit);

    EXPECT_EQ(program.WaitExit(40s), 0);
    EXPECT_TRUE(child.Ended());
    EXPECT_EQ(station.Log(), (std::vector<LogEntry>{kStarted,
                                                    {"Enter", "Run"},
                                                    {"Enter", "Power Off"},
                                                    {"Start", "Power Off"},
                                                    {"Simulate", "Power Off"},
                                                    {"Close", "Power Off"}}));
    // "Activity" while the child ran, then six idle seconds and the six-second countdown.
    EXPECT_EQ(program.Stdout(), "Quenzel\n"
                                "Power Off if there is no activity for 6s\n"
                                "Program Activation In 1s\n"
                                "Program Activation In 0s\n"
                                "Activity\n"
                                "No activity for 1s\nNo activity for 2s\nNo activity for 3s\n"
                                "No activity for 4s\nNo activity for 5s\n"
                                "The Computer Will Power Off In 6s\nThe Computer Will Power Off In 5s\n"
                                "The Computer Will Power Off In 4s\nThe Computer Will Power Off In 3s\n"
                                "The Computer Will Power Off In 2s\nThe Computer Will Power Off In 1s\n"
                                "The Computer Will Power Off In 0s\n");
    EXPECT_EQ(program.Stderr(), "Quenzel Simulate Power Off\nTest Real Power Off\n\n");
}

TEST(Quenzeld, ASecondCopyIsRefusedWhileTheFirstRunsUnlessItEndsInAllowMulti) {
    TestWorld world;
    Station first(kWaiting);
    Quenzeld running(world, first, kInhibit);
    ASSERT_TRUE(Eventually([&] { return first.Logged(kStarted); }));

    for (const auto& arguments :
         std::vector<std::vector<std::string>>{{"-InhibitShutdown"},
                                               {"-InhibitShutdown", "-AllowMulti", "now"},
                                               {"-InhibitShutdown", "-allowmulti"}}) {
        Station second(kWaiting);
        Quenzeld refused(world, second, arguments);
        EXPECT_EQ(refused.WaitExit(), 1) << arguments.back();
        EXPECT_EQ(refused.Stderr(), "Quenzel Start Up Error\nQuenzel is already running.\nOnly one instance "
                                    "can be\nrunning at a time.\n\n");
        EXPECT_EQ(refused.Stdout(), "");
        EXPECT_TRUE(second.Log().empty());
    }

    Station third(kWaiting);
    Quenzeld allowed(world, third, {"-InhibitShutdown", "-AllowMulti"});
    EXPECT_TRUE(Eventually([&] { return third.Logged(kStarted); }));
    EXPECT_TRUE(running.Running());
    for (Quenzeld* program : {&running, &allowed}) {
        program->Signal(SIGTERM);
        EXPECT_EQ(program->WaitExit(), 0);
    }
    EXPECT_EQ(first.Log(), (std::vector<LogEntry>{kStarted, {"Exit", "Initialise"}}));
}

TEST(Quenzeld, SignalsResetTestReloadAndExit) {
    TestWorld world;
    Station station(kWaiting);
    Quenzeld program(world, station, kInhibit);
    ASSERT_TRUE(Eventually([&] { return station.Logged(kStarted); }));

    program.Signal(SIGUSR1);
    ASSERT_TRUE(Eventually([&] { return station.Logged({"Reset", "Initialise"}); }));
    program.Signal(SIGUSR2);
    ASSERT_TRUE(Eventually([&] { return station.Logged({"*Enter", "Test"}); }));
    // The test run: two seconds to activation, five idle seconds, then its box instead of a countdown.
    ASSERT_TRUE(Eventually([&] { return program.Stderr() == "Quenzel Test\nTest Power Off\n\n"; }));
    ASSERT_TRUE(Eventually([&] { return station.CountLogged(kStarted) == 3; }));
    program.Signal(SIGHUP);
    ASSERT_TRUE(Eventually([&] { return station.Logged({"Config", "Updated"}); }));
    ASSERT_TRUE(Eventually([&] { return station.CountLogged(kStarted) == 4; }));
    program.Signal(SIGTERM);

    EXPECT_EQ(program.WaitExit(), 0);
    EXPECT_EQ(station.Log(), (std::vector<LogEntry>{kStarted,
                                                    {"Reset", "Initialise"},
                                                    kStarted,
                                                    {"*Enter", "Test"},
                                                    {"*Start", "Initialise"},
                                                    {"*Enter", "Run"},
                                                    {"*Simulate", "Power Off"},
                                                    kStarted,
                                                    {"Config", "Updated"},
                                                    kStarted,
                                                    {"Exit", "Initialise"}}));
    // A reset or a reload that leaves the texts as they were prints nothing.
    EXPECT_EQ(program.Stdout(),
              "Quenzel\n"
              "Power Off if there is no activity for 6s\n"
              "Program Activation In 3600s\n"
              "Quenzel - Test Mode\n"
              "Power Off if there is no activity for 5s\n"
              "Program Activation In 2s\nProgram Activation In 1s\nProgram Activation In 0s\n"
              "No activity for 1s\nNo activity for 2s\nNo activity for 3s\nNo activity for 4s\n"
              "No activity for 5s\n"
              "Quenzel\n"
              "Power Off if there is no activity for 6s\n"
              "Program Activation In 3600s\n");
    EXPECT_EQ(program.Stderr(), "Quenzel Test\nTest Power Off\n\n");
}

TEST(Quenzeld, AnInterruptEndsItLikeTheExitButton) {
    TestWorld world;
    Station station(kWaiting);
    Quenzeld program(world, station, kInhibit);
    ASSERT_TRUE(Eventually([&] { return station.Logged(kStarted); }));
    program.Signal(SIGINT);
    EXPECT_EQ(program.WaitExit(), 0);
    EXPECT_EQ(station.Log().back(), (LogEntry{"Exit", "Initialise"}));
}

TEST(Quenzeld, AFatalStartShowsItsBoxAndEndsWithStatusOne) {
    const std::string corrupt =
        "Quenzel Configuration File Error\nThe configuration file is corrupted.\n"
        "Reinstall the program to restore the file.\nThe program will now terminate.\n\n";
    const struct {
        const char* name;
        std::function<void(const Station&)> spoil;
        std::string written;
    } rows[] = {
        {"no Data folder", [](const Station& s) { std::filesystem::remove_all(s.Folder() / "Data"); },
         "Quenzel Data Directory Error\nThe data directory does not exist.\nTo restore the data directory\n"
         "reinstall the program.\nThe program will now terminate.\n\n"},
        {"no configuration file",
         [](const Station& s) { std::filesystem::remove(s.Folder() / "Data/Quenzel.ini"); },
         "Quenzel Configuration File Error\nThe configuration file is either missing or\n"
         "corrupted. To restore the configuration file\nreinstall the program.\nThe program will now "
         "terminate.\n\n"},
        {"value out of range",
         [](const Station& s) {
             s.WriteConfig({{"ShutType", "9"}});
         },
         corrupt},
        {"number too large",
         [](const Station& s) {
             s.WriteConfig({{"Port1", "99999999999999999999"}});
         },
         corrupt},
        {"a key missing",
         [](const Station& s) {
             std::string text = ConfigText();
             text.erase(text.find("UserExit=1"));
             s.dir.Write("Data/Quenzel.ini", text);
         },
         corrupt},
        {"binary file",
         [](const Station& s) { s.dir.Write("Data/Quenzel.ini", std::string("\0\1\2[Comms]", 10)); },
         corrupt},
        {"no Log folder", [](const Station& s) { std::filesystem::remove_all(s.Folder() / "Log"); },
         "Quenzel Log Directory Error\nThe log directory does not exist. This\ndirectory must be created "
         "manually if\n"
         "it is not the default one. To restore\nthe default log directory reinstall\nthe program.\n"
         "The program will now terminate.\n\n"},
    };
    TestWorld world;
    for (const auto& row : rows) {
        Station station;
        row.spoil(station);
        Quenzeld program(world, station, kInhibit);
        EXPECT_EQ(program.WaitExit(), 1) << row.name;
        EXPECT_EQ(program.Stderr(), row.written) << row.name;
        EXPECT_EQ(program.Stdout(), "") << row.name;
    }
}

TEST(Quenzeld, APortThatIsTakenEndsItWithThePortError) {
    const int port = FreeUdpPort();
    const int holder = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    local.sin_port = htons(static_cast<uint16_t>(port));
    ASSERT_EQ(bind(holder, reinterpret_cast<const sockaddr*>(&local), sizeof local), 0);

    TestWorld world;
    Station station(
        {{"IPAdd", "127.1.1.1"}, {"Port1", std::to_string(FreeUdpPort())}, {"Port2", std::to_string(port)}});
    Quenzeld program(world, station, kInhibit);
    EXPECT_EQ(program.WaitExit(), 1);
    EXPECT_EQ(program.Stderr(),
              "Quenzel Port Error\nThe RX Port " + std::to_string(port) +
                  " Is Already In Use\nThis Error Must Be Resolved Before\n"
                  "You Can Use Quenzel.\nUse The Configuration Screen\nTo Change The RX Port.\n"
                  "Do You Want To End The Program?\n\n");
    EXPECT_EQ(program.Stdout(), "");
    close(holder);
}

} // namespace
} // namespace qz::test
