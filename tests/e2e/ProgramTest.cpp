#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <regex>
#include <thread>

#include "platform/Backend.h"
#include "tests/e2e/Quenzeld.h"
#include "tests/link/Loopback.h"

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
    station.WriteConfig({{"Proc1", child.name}});
    Quenzeld program(world, station, kInhibit);

    EXPECT_EQ(program.WaitExit(40s), 0);
    EXPECT_EQ(station.Log(), (std::vector<LogEntry>{{"Start", "Initialise"},
                                                    {"Enter", "Run"},
                                                    {"Enter", "Power Off"},
                                                    {"Start", "Power Off"},
                                                    {"Simulate", "Power Off"},
                                                    {"Close", "Power Off"}}));
    // "Activity" while the child ran, then six idle seconds and the six-second countdown.
    std::string out = "Quenzel\nPower Off if there is no activity for 6s\nProgram Activation In 1s\n"
                      "Program Activation In 0s\nActivity\n";
    for (int second = 1; second <= 5; ++second)
        out += "No activity for " + std::to_string(second) + "s\n";
    for (int second = 6; second >= 0; --second)
        out += "The Computer Will Power Off In " + std::to_string(second) + "s\n";
    EXPECT_EQ(program.Stdout(), out);
    EXPECT_EQ(program.Stderr(), "Quenzel Simulate Power Off\nTest Real Power Off\n\n");
}

// On a pseudo-terminal as its input, for the keys typed at the master side.
TEST(Quenzeld, RefusesASecondCopyObeysSignalsAndKeysAndGivesTheTerminalBack) {
    const int master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    ASSERT_TRUE(master >= 0 && grantpt(master) == 0 && unlockpt(master) == 0);
    const int slave = open(ptsname(master), O_RDWR | O_NOCTTY | O_CLOEXEC);
    const auto cooked = [slave] { // the ordinary line mode with echo
        termios now{};
        return tcgetattr(slave, &now) == 0 && (now.c_lflag & ICANON) != 0 && (now.c_lflag & ECHO) != 0;
    };
    TestWorld world;
    Station station(kWaiting), second(kWaiting);
    Quenzeld program(world, station, kInhibit, {ptsname(master), "stdout.txt", "stderr.txt"});
    ASSERT_TRUE(Eventually([&] { return station.Logged(kStarted) && !cooked(); }));
    Quenzeld refused(world, second, kInhibit);
    EXPECT_EQ(refused.WaitExit(), 1);
    EXPECT_EQ(refused.Stderr(), "Quenzel Start Up Error\nQuenzel is already running.\nOnly one instance can "
                                "be\nrunning at a time.\n\n");
    EXPECT_EQ(refused.Stdout(), "");

    program.Signal(SIGUSR1);
    ASSERT_TRUE(Eventually([&] { return station.Logged({"Reset", "Initialise"}); }));
    program.Signal(SIGUSR2);
    // The test run: activation, five idle seconds, then its box instead of a countdown.
    ASSERT_TRUE(Eventually([&] { return station.CountLogged(kStarted) == 3; }));
    program.Signal(SIGHUP);
    ASSERT_TRUE(Eventually([&] { return station.CountLogged(kStarted) == 4; }));
    ASSERT_EQ(write(master, "rxt", 3), 3); // x means nothing
    ASSERT_TRUE(Eventually([&] { return station.CountLogged({"*Enter", "Test"}) == 2; }));
    ASSERT_EQ(write(master, "\x03", 1), 1); // the terminal's interrupt
    EXPECT_EQ(program.WaitExit(), 0);
    const std::vector<LogEntry> log{
        {"Start", "Initialise"},    {"Reset", "Initialise"},  {"Start", "Initialise"},
        {"*Enter", "Test"},         {"*Start", "Initialise"}, {"*Enter", "Run"},
        {"*Simulate", "Power Off"}, {"Start", "Initialise"},  {"Config", "Updated"},
        {"Start", "Initialise"},    {"Reset", "Initialise"},  {"Start", "Initialise"},
        {"*Enter", "Test"},         {"*Start", "Initialise"}, {"*Exit", "Initialise"}};
    EXPECT_EQ(station.Log(), log);
    EXPECT_EQ(program.Stderr(), "Quenzel Test\nTest Power Off\n\n");
    EXPECT_TRUE(cooked());
    close(slave);
    close(master);
}

// A main station and its slave, each a quenzeld in its own folder, talking over loopback. The
// address is in domain-name form: as an IP address it would hold a 0, which the program refuses.
TEST(Quenzeld, TheSlaveFollowsItsMainStationAndShutsDownWhenItFallsSilent) {
    const int comDelay = 6; // what -InhibitShutdown makes of it
    Config config{{"IPAdd", "127.0.0.1"},
                  {"DName", "2"},
                  {"CMain", "2"},
                  {"Port1", std::to_string(FreeUdpPort())},
                  {"Port2", std::to_string(FreeUdpPort())}};
    const std::vector<std::string> arguments{"-InhibitShutdown", "-AllowMulti"};
    TestWorld world;
    Station mainStation, slaveStation(config);
    WatchedProcess work(mainStation, 120); // keeps the main station busy
    config["CMain"] = "1";
    config["Proc1"] = work.name;
    mainStation.WriteConfig(config);
    Quenzeld slave(world, slaveStation, arguments), main(world, mainStation, arguments);
    const LogEntry run{"Enter", "Run"};
    ASSERT_TRUE(Eventually([&] { return mainStation.Logged(run) && slaveStation.Logged(run); }));

    main.Signal(SIGUSR1);
    ASSERT_TRUE(Eventually([&] { return slaveStation.Logged({"Reset", "Run"}); }));
    main.Signal(SIGUSR2);
    ASSERT_TRUE(Eventually([&] { return slaveStation.Logged({"*Enter", "Test"}); }));
    main.Signal(SIGUSR1); // ends the test run on both
    ASSERT_TRUE(Eventually([&] { return slaveStation.CountLogged(kStarted) == 3; }));
    // Idle itself, the slave stays in Run as long as its main station is alive.
    const auto poweringOff = [&] { return slaveStation.Logged({"Enter", "Power Off"}); };
    EXPECT_FALSE(Eventually(poweringOff, std::chrono::seconds(comDelay + 4)));

    main.Signal(SIGTERM);
    EXPECT_EQ(main.WaitExit(), 0);
    const auto silent = std::chrono::steady_clock::now();
    ASSERT_TRUE(Eventually(poweringOff));
    EXPECT_LE(std::chrono::steady_clock::now() - silent, std::chrono::seconds(comDelay + 2));
    EXPECT_EQ(slave.WaitExit(), 0);
    EXPECT_EQ(slaveStation.Log().back(), (LogEntry{"Close", "Power Off"}));
    EXPECT_EQ(slave.Stderr(), "Quenzel Slave Simulate Power Off\nTest Real Power Off\n\n");
    EXPECT_TRUE(
        slave.Stdout().starts_with("Quenzel Slave\nPower Off if there are no communications for 6s\n"))
        << slave.Stdout();
}

// Nothing the machine does to its standard streams holds the monitor up or turns into a command:
// a pipe nobody reads (its lines are dropped and counted), or streams that were closed at start
// (the program's own descriptors must not land there, or a status line becomes a signal).
TEST(Quenzeld, NeitherAFullPipeNorClosedStreamsHoldItUpOrCommandIt) {
    for (const std::array<std::string, 3>& streams :
         {std::array<std::string, 3>{"/dev/null", "full.fifo", "stderr.txt"}, {"", "", ""}}) {
        SCOPED_TRACE(streams[1]);
        TestWorld world;
        Station station(kWaiting);
        const std::filesystem::path fifo = station.Folder() / "full.fifo";
        ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
        const int reader = open(fifo.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC); // and never reads
        const int filler = open(fifo.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
        const std::string page(4096, '.');
        while (write(filler, page.data(), page.size()) > 0) {
        }
        Quenzeld program(world, station, kInhibit, streams);
        ASSERT_TRUE(Eventually([&] { return station.Logged(kStarted); }));
        std::this_thread::sleep_for(3s); // three status lines a second
        program.Signal(SIGUSR1);
        ASSERT_TRUE(Eventually([&] { return station.Logged({"Reset", "Initialise"}); }, 5s));
        program.Signal(SIGTERM);
        EXPECT_EQ(program.WaitExit(5s), 0);
        EXPECT_EQ(station.Log(), (std::vector<LogEntry>{{"Start", "Initialise"},
                                                        {"Reset", "Initialise"},
                                                        {"Start", "Initialise"},
                                                        {"Exit", "Initialise"}}));
        if (!streams[2].empty()) {
            const std::regex counted("quenzeld: [0-9]+ lines of output could not be written\n");
            EXPECT_TRUE(std::regex_match(program.Stderr(), counted)) << program.Stderr();
        }
        close(filler);
        close(reader);
    }
}

TEST(Quenzeld, APortThatIsTakenEndsItWithThePortError) {
    const int port = FreeUdpPort();
    const auto holder = MakeUdpSocket(); // held until the end
    ASSERT_TRUE(holder->Bind(port));
    TestWorld world;
    Station station({{"IPAdd", "127.1.1.1"}, {"Port2", std::to_string(port)}});
    Quenzeld program(world, station, kInhibit);
    EXPECT_EQ(program.WaitExit(), 1);
    EXPECT_EQ(program.Stderr(), "Quenzel Port Error\nThe RX Port " + std::to_string(port) +
                                    " Is Already In Use\nThis Error Must Be Resolved Before\nYou Can Use "
                                    "Quenzel.\nUse The Configuration Screen\nTo Change The RX Port.\n"
                                    "Do You Want To End The Program?\n\n");
    EXPECT_EQ(program.Stdout(), "");
}

} // namespace
} // namespace qz::test
