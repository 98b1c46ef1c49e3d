#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <fstream>
#include <random>
#include <regex>
#include <thread>

#include "platform/Backend.h"
#include "tests/e2e/Quenzeld.h"
#include "tests/link/Loopback.h"

namespace qz::test {
namespace {

namespace fs = std::filesystem;
using Log = std::vector<LogEntry>;
const LogEntry kStarted{"Start", "Initialise"};
const std::vector<std::string> kInhibit{"-InhibitShutdown"};
// quenzeld chooses the kernel's process events where it may (as root) and says so after its sentence.
const std::string kWatchNote = MakeProcessTable()->Watch().kernelEvents ? " (kernel process events)" : "";
// A stand-alone station that waits an hour before it begins to watch.
const Config kWaiting{{"StartDelay", "3600"}};

// A pseudo-terminal: the master side the test types at and reads from, and the slave's name.
struct Terminal {
    Terminal() : master(posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC)) {
        EXPECT_TRUE(master >= 0 && grantpt(master) == 0 && unlockpt(master) == 0);
    }
    ~Terminal() { close(master); }
    std::string Name() const { return ptsname(master); }
    const int master;
};

TEST(Quenzeld, PowersOffInSimulationOnceTheWatchedProcessHasEnded) {
    TestWorld world;
    Station station;
    WatchedProcess child(station, 4);
    station.WriteConfig({{"Proc1", child.name}});
    Quenzeld program(world, station, kInhibit);

    EXPECT_EQ(program.WaitExit(40s), 0);
    EXPECT_EQ(station.Log(), (Log{{"Start", "Initialise"},
                                  {"Enter", "Run"},
                                  {"Enter", "Power Off"},
                                  {"Start", "Power Off"},
                                  {"Simulate", "Power Off"},
                                  {"Close", "Power Off"}}));
    // "Activity" while the child ran, then six idle seconds and the six-second countdown.
    std::string out = "Quenzel\nPower Off if there is no activity for 6s" + kWatchNote +
                      "\nProgram Activation In 1s\nProgram Activation In 0s\nActivity\n";
    for (int second = 1; second <= 5; ++second)
        out += "No activity for " + std::to_string(second) + "s\n";
    for (int second = 6; second >= 0; --second)
        out += "The Computer Will Power Off In " + std::to_string(second) + "s\n";
    EXPECT_EQ(program.Stdout(), out);
    EXPECT_EQ(program.Stderr(), "Quenzel Simulate Power Off\nTest Real Power Off\n\n");
}

// On a pseudo-terminal as its input, for the keys typed at the master side.
TEST(Quenzeld, RefusesASecondCopyObeysSignalsAndKeysAndGivesTheTerminalBack) {
    Terminal terminal;
    const int slave = open(terminal.Name().c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    const auto cooked = [slave] { // the ordinary line mode with echo
        termios now{};
        return tcgetattr(slave, &now) == 0 && (now.c_lflag & ICANON) != 0 && (now.c_lflag & ECHO) != 0;
    };
    TestWorld world;
    Station station(kWaiting), second(kWaiting);
    Quenzeld program(world, station, kInhibit, {terminal.Name(), "stdout.txt", "stderr.txt"});
    ASSERT_TRUE(Eventually([&] { return station.Logged(kStarted) && !cooked(); }));
    Quenzeld refused(world, second, kInhibit);
    EXPECT_EQ(refused.WaitExit(), 1);
    EXPECT_EQ(refused.Stderr(), "Quenzel Start Up Error\nQuenzel is already running.\nOnly one instance can "
                                "be\nrunning at a time.\n\nProcess " +
                                    std::to_string(program.Pid()) + " holds the lock " +
                                    (world.runtime.path() / "Quenzel.lock").string() +
                                    ".\n\"-AllowMulti\" starts another copy beside it.\n");
    EXPECT_EQ(refused.Stdout(), "");

    program.Signal(SIGUSR1);
    ASSERT_TRUE(Eventually([&] { return station.Logged({"Reset", "Initialise"}); }));
    program.Signal(SIGUSR2);
    // The test run: activation, five idle seconds, then its box instead of a countdown.
    ASSERT_TRUE(Eventually([&] { return station.CountLogged(kStarted) == 3; }));
    program.Signal(SIGHUP);
    ASSERT_TRUE(Eventually([&] { return station.CountLogged(kStarted) == 4; }));
    ASSERT_EQ(write(terminal.master, "rxt", 3), 3); // x means nothing
    ASSERT_TRUE(Eventually([&] { return station.CountLogged({"*Enter", "Test"}) == 2; }));
    ASSERT_EQ(write(terminal.master, "\x03", 1), 1); // the terminal's interrupt
    EXPECT_EQ(program.WaitExit(), 0);
    EXPECT_EQ(station.Log(), (Log{{"Start", "Initialise"},
                                  {"Reset", "Initialise"},
                                  {"Start", "Initialise"},
                                  {"*Enter", "Test"},
                                  {"*Start", "Initialise"},
                                  {"*Enter", "Run"},
                                  {"*Simulate", "Power Off"},
                                  {"Start", "Initialise"},
                                  {"Config", "Updated"},
                                  {"Start", "Initialise"},
                                  {"Reset", "Initialise"},
                                  {"Start", "Initialise"},
                                  {"*Enter", "Test"},
                                  {"*Start", "Initialise"},
                                  {"*Exit", "Initialise"}}));
    EXPECT_EQ(program.Stderr(), "Quenzel Test\nTest Power Off\n\n");
    EXPECT_TRUE(cooked());
    close(slave);
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
    EXPECT_TRUE(slave.Stdout().starts_with("Quenzel Slave\nPower Off if there are no communications for 6s" +
                                           kWatchNote + "\n"))
        << slave.Stdout();
}

// Nothing the machine does to its standard streams holds the monitor up or turns into a command:
// a pipe nobody reads (its lines are dropped and counted), or streams that were closed at start
// (the program's own descriptors must not land there, or a status line becomes a signal).
TEST(Quenzeld, NeitherAFullPipeNorClosedStreamsHoldItUpOrCommandIt) {
    for (const std::array<Stream, 3>& streams :
         {std::array<Stream, 3>{"/dev/null", "full.fifo", "stderr.txt"}, {"", "", ""}}) {
        TestWorld world;
        Station station(kWaiting);
        const fs::path fifo = station.Folder() / "full.fifo";
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
        EXPECT_EQ(station.Log(), (Log{kStarted, {"Reset", "Initialise"}, kStarted, {"Exit", "Initialise"}}));
        if (streams[2] == Stream("stderr.txt")) {
            const std::regex counted("quenzeld: [0-9]+ lines of output could not be written\n");
            EXPECT_TRUE(std::regex_match(program.Stderr(), counted)) << program.Stderr();
        }
        close(filler);
        close(reader);
    }
}

// Unconfigured on a terminal, it says once what to edit and how to reload: its standard error is
// the terminal here, whose line ends come back as CR LF.
TEST(Quenzeld, UnconfiguredOnATerminalItSaysWhatToEditAndHowToReload) {
    Terminal terminal;
    TestWorld world;
    Station station(Config{{"Proc1", ""}});
    Quenzeld program(world, station, kInhibit, {"/dev/null", "stdout.txt", terminal.Name()});
    std::string said;
    ASSERT_TRUE(Eventually([&] {
        std::array<char, 512> got{};
        pollfd ready{terminal.master, POLLIN, 0};
        const ssize_t n = poll(&ready, 1, 0) == 1 ? read(terminal.master, got.data(), got.size()) : 0;
        said.append(got.data(), static_cast<size_t>(std::max<ssize_t>(n, 0)));
        return said.ends_with("quenzeld.\r\n");
    }));
    EXPECT_EQ(said,
              "Quenzel is not set up yet. Edit " + (station.Folder() / "Data/Quenzel.ini").string() +
                  "\r\nand name the program to watch under the key Proc1 (for example Proc1=backup.sh).\r\n"
                  "Then reload the configuration: kill -HUP " +
                  std::to_string(program.Pid()) + ", or for the service\r\nsystemctl reload quenzeld.\r\n");
    EXPECT_EQ(program.Stdout(), "Quenzel\nClick Configure To Set Up Quenzel\n");
    program.Signal(SIGTERM);
    EXPECT_EQ(program.WaitExit(), 0);
}

// What it cannot go on without ends it with its box and status 1: a port another holds at the
// start, or a folder or file taken away or spoilt while it runs (a configuration at the next reload).
TEST(Quenzeld, WhatItCannotGoOnWithoutEndsItWithTheBox) {
    const int port = FreeUdpPort();
    const auto holder = MakeUdpSocket();
    ASSERT_TRUE(holder->Bind(port));
    std::string noise;
    for (std::mt19937 random(1); noise.size() < 65536;)
        noise += static_cast<char>(random());
    const auto makeFolder = [](const fs::path& file) { fs::remove(file), fs::create_directory(file); };
    const std::string end = "The program will now terminate.\n\n",
                      corrupt = "Quenzel Configuration File Error\nThe configuration file is corrupted.\n"
                                "Reinstall the program to restore the file.\n" +
                                end;
    const struct {
        std::function<void(const fs::path&)> spoil; // none: the port is taken
        std::string box;
        bool reload = true;
    } rows[] = {
        {{},
         "Quenzel Port Error\nThe RX Port " + std::to_string(port) +
             " Is Already In Use\nThis Error Must "
             "Be Resolved Before\nYou Can Use Quenzel.\nUse The Configuration Screen\nTo Change The RX "
             "Port.\n"
             "Do You Want To End The Program?\n\n",
         false},
        {[](const fs::path& at) { fs::remove_all(at / "Log"); },
         "Quenzel Log Directory Error\nThe log directory does not exist. This\ndirectory must be created "
         "manually "
         "if\nit is not the default one. To restore\nthe default log directory reinstall\nthe program.\n" +
             end,
         false},
        {[&](const fs::path& at) { makeFolder(at / "Log/Quenzel.log"); },
         "Quenzel Log File Error\nThe log file is either missing or\ncorrupted. Delete the log file if\nit "
         "exists and restart the program.\n" +
             end,
         false},
        {[&](const fs::path& at) { makeFolder(at / "Data/Quenzel.ini"); },
         "Quenzel Configuration File Error\nThe configuration file is either missing or\ncorrupted. To "
         "restore "
         "the configuration file\nreinstall the program.\n" +
             end},
        {[&](const fs::path& at) { std::ofstream(at / "Data/Quenzel.ini", std::ios::binary) << noise; },
         corrupt},
        {[](const fs::path& at) { std::ofstream(at / "Data/Quenzel.ini", std::ios::trunc); }, corrupt},
    };
    TestWorld world;
    for (const auto& row : rows) {
        SCOPED_TRACE(&row - rows);
        // Waits an hour before it watches, logging every second of the wait.
        Config config{{"StartDelay", "3600"}, {"LogLevel", "3"}};
        if (!row.spoil) config.insert({{"IPAdd", "127.1.1.1"}, {"Port2", std::to_string(port)}});
        Station station(config);
        Quenzeld program(world, station, kInhibit);
        if (row.spoil) {
            ASSERT_TRUE(Eventually([&] {
                return station.Logged(kStarted) && station.Logged({"Inactive", ""});
            }));
            row.spoil(station.Folder());
        }
        if (row.reload) program.Signal(SIGHUP);
        EXPECT_EQ(program.WaitExit(), 1);
        EXPECT_EQ(program.Stderr(), row.box);
        EXPECT_EQ(program.Stdout().empty(), !row.spoil);
    }
}

// Help and version are answered at once and a command line it does not understand is refused:
// nothing starts (no log), and the desktop program answers without a display to connect to.
TEST(Programs, AnswerHelpAndVersionAndRefuseStrangeOptionsBeforeAnythingStarts) {
    struct Row {
        std::vector<std::string> argv;
        int status;
        std::string out, err; // how each begins
    };
    std::vector<Row> rows{
        {{QZ_QUENZELD, "-h"}, 0, "Usage: quenzeld ", ""},
        {{QZ_QUENZELD, "--version"}, 0, "quenzeld 1.6\n", ""},
        {{QZ_QUENZELD, "-InhibitShutdown", "-InhibitShutdwn"},
         2,
         "",
         "quenzeld: unknown option \"-InhibitShutdwn\"\n"},
    };
#ifdef QZ_QUENZEL
    rows.push_back({{QZ_QUENZEL, "--help"}, 0, "Usage: quenzel ", ""});
    rows.push_back({{QZ_QUENZEL, "--version"}, 0, "quenzel 1.6\n", ""});
    rows.push_back(
        {{QZ_QUENZEL, "-InhibitShutdown", "-platform"}, 2, "", "quenzel: unknown option \"-platform\""});
#endif
    for (const Row& r : rows) {
        SCOPED_TRACE(r.argv.back());
        Station station;
        Process program(r.argv, {"QT_QPA_PLATFORM=xcb"}, station.Folder(), kStreams);
        EXPECT_EQ(program.WaitExit(), r.status);
        const std::string out = station.dir.Read("stdout.txt"), err = station.dir.Read("stderr.txt");
        EXPECT_TRUE(out.starts_with(r.out) && err.starts_with(r.err) && r.out.empty() == out.empty())
            << out << err;
        EXPECT_FALSE(fs::exists(station.Folder() / "Log/Quenzel.log"));
    }
}

#ifdef QZ_QUENZEL
TEST(Quenzel, EndedBySigtermOrSigintTheDesktopProgramLogsExit) {
    for (int number : {SIGTERM, SIGINT}) {
        TestWorld world;
        Station station(kWaiting);
        Quenzeld desktop(world, station, kInhibit, kStreams, QZ_QUENZEL);
        ASSERT_TRUE(Eventually([&] { return station.Logged(kStarted); }));
        desktop.Signal(number);
        EXPECT_EQ(desktop.WaitExit(), 0);
        EXPECT_EQ(station.Log(), (Log{kStarted, {"Exit", "Initialise"}}));
    }
}
#endif

} // namespace
} // namespace qz::test
