#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <regex>
#include <sstream>
#include <thread>

#include "platform/Backend.h"
#include "tests/link/Loopback.h"
#include "tests/support/Process.h"
#include "tests/support/RunFolder.h"

namespace qz::test {
namespace {

namespace fs = std::filesystem;
using Log = std::vector<LogEntry>;
const LogEntry kStarted{"Start", "Initialise"};
const std::array<Stream, 3> kStreams{"/dev/null", "stdout.txt", "stderr.txt"};
// quenzeld chooses the kernel's process events where it may (as root) and says so after its sentence.
const std::string kWatchNote = MakeProcessTable()->Watch().kernelEvents ? " (kernel process events)" : "";
const Config kWaiting{{"StartDelay", "3600"}};

// A program in a station's folder, its lock in runtime; no power action: -InhibitShutdown, no system bus.
struct Quenzeld : Process {
    Quenzeld(const TempDir& runtime, const Station& s, const std::array<Stream, 3>& streams = kStreams,
             const char* program = QZ_QUENZELD)
        : Process({program, "-InhibitShutdown"},
                  {"QZ_TEST_LOCK_FOLDER=" + runtime.path().string(), "XDG_RUNTIME_DIR=" + s.Folder().string(),
                   "DBUS_SYSTEM_BUS_ADDRESS=unix:path=" + (s.Folder() / "no-bus").string(),
                   "DBUS_SESSION_BUS_ADDRESS=unix:path=" + (s.Folder() / "no-bus").string(),
                   "QT_QPA_PLATFORM=offscreen"},
                  s.Folder(), streams),
          station(s) {}
    std::string Stdout() const { return station.dir.Read("stdout.txt"); }
    std::string Stderr() const { return station.dir.Read("stderr.txt"); }
    const Station& station;
};

// Log entries as "Event Detail, ..." (the event is one word).
Log Entries(const std::string& text) {
    Log log;
    std::istringstream in(text);
    for (std::string item; std::getline(in >> std::ws, item, ',');)
        log.push_back({item.substr(0, item.find(' ')), item.substr(item.find(' ') + 1)});
    return log;
}

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
    TempDir runtime;
    Station station;
    // A copy of sleep, under a unique name longer than the 15 characters the kernel keeps.
    const std::string name = "qz-watched-" + std::to_string(getpid()) + "-sleep";
    fs::copy_file("/bin/sleep", station.Folder() / name);
    Process child({(station.Folder() / name).string(), "4"});
    station.WriteConfig({{"Proc1", name}});
    Quenzeld program(runtime, station);
    EXPECT_EQ(program.WaitExit(40s), 0);
    EXPECT_EQ(station.Log(), Entries("Start Initialise, Enter Run, Enter Power Off, Start Power Off, "
                                     "Simulate Power Off, Close Power Off"));
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

TEST(Quenzeld, RefusesASecondCopyObeysSignalsAndKeysAndGivesTheTerminalBack) {
    Terminal terminal;
    const int slave = open(terminal.Name().c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    const auto cooked = [slave] { // the ordinary line mode with echo
        termios now{};
        return tcgetattr(slave, &now) == 0 && (now.c_lflag & ICANON) != 0 && (now.c_lflag & ECHO) != 0;
    };
    TempDir runtime;
    Station station(kWaiting), second(kWaiting);
    Quenzeld program(runtime, station, {terminal.Name(), "stdout.txt", "stderr.txt"});
    ASSERT_TRUE(Eventually([&] { return station.Logged(kStarted) && !cooked(); }));
    Quenzeld refused(runtime, second);
    EXPECT_EQ(refused.WaitExit(), 1);
    EXPECT_TRUE(refused.Stderr().starts_with("Quenzel Start Up Error\nQuenzel is already running.\n") &&
                refused.Stderr().ends_with("\n\nProcess " + std::to_string(program.Pid()) +
                                           " holds the lock " + (runtime.path() / "Quenzel.lock").string() +
                                           ".\n\"-AllowMulti\" starts another copy beside it.\n"))
        << refused.Stderr();
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
    EXPECT_EQ(station.Log(), Entries("Start Initialise, Reset Initialise, Start Initialise, *Enter Test, "
                                     "*Start Initialise, *Enter Run, *Simulate Power Off, Start Initialise, "
                                     "Config Updated, Start Initialise, Reset Initialise, Start Initialise, "
                                     "*Enter Test, *Start Initialise, *Exit Initialise"));
    EXPECT_EQ(program.Stderr(), "Quenzel Test\nTest Power Off\n\n");
    EXPECT_TRUE(cooked());
    close(slave);
}

// A full pipe's lines are dropped and counted; on streams closed at start its own descriptors must not
// land (a status line becomes a signal). Unconfigured, it tells a terminal (CR LF) once what to edit.
TEST(Programs, NeitherAFullPipeNorClosedStreamsHoldThemUpAndTheyEndOnSignals) {
    Terminal terminal;
    const struct {
        const char* program;
        std::array<Stream, 3> streams;
        int signal;
        bool configured = true;
    } rows[] = {
        {QZ_QUENZELD, {"/dev/null", "full.fifo", "stderr.txt"}, SIGTERM},
        {QZ_QUENZELD, {"", "", ""}, SIGTERM},
        {QZ_QUENZELD, {"/dev/null", "stdout.txt", terminal.Name()}, SIGTERM, false},
#ifdef QZ_QUENZEL
        {QZ_QUENZEL, kStreams, SIGTERM},
        {QZ_QUENZEL, kStreams, SIGINT},
#endif
    };
    TempDir runtime;
    for (const auto& row : rows) {
        const bool console = row.program == std::string(QZ_QUENZELD);
        SCOPED_TRACE(&row - rows);
        Station station(row.configured ? kWaiting : Config{{"Proc1", ""}});
        const fs::path fifo = station.Folder() / "full.fifo";
        ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
        const int reader = open(fifo.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC); // and never reads
        const int filler = open(fifo.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
        for (const std::string page(4096, '.'); write(filler, page.data(), page.size()) > 0;) {
        }
        Quenzeld program(runtime, station, row.streams, row.program);
        std::string said;
        ASSERT_TRUE(Eventually([&] {
            std::array<char, 512> got{};
            pollfd ready{terminal.master, POLLIN, 0};
            const ssize_t n = poll(&ready, 1, 0) == 1 ? read(terminal.master, got.data(), got.size()) : 0;
            said.append(got.data(), static_cast<size_t>(std::max<ssize_t>(n, 0)));
            return row.configured ? station.Logged(kStarted) : said.ends_with("quenzeld.\r\n");
        }));
        if (!row.configured) {
            EXPECT_EQ(said, "Quenzel is not set up yet. Edit " +
                                (station.Folder() / "Data/Quenzel.ini").string() +
                                "\r\nand name the program to watch under the key Proc1 (for example "
                                "Proc1=backup.sh).\r\nThen reload the configuration: kill -HUP " +
                                std::to_string(program.Pid()) +
                                ", or for the service\r\nsystemctl reload quenzeld.\r\n");
            EXPECT_EQ(program.Stdout(), "Quenzel\nClick Configure To Set Up Quenzel\n");
        } else if (console) { // three status lines a second, then a reset
            std::this_thread::sleep_for(3s);
            program.Signal(SIGUSR1);
            ASSERT_TRUE(Eventually([&] { return station.Logged({"Reset", "Initialise"}); }, 5s));
        }
        program.Signal(row.signal);
        EXPECT_EQ(program.WaitExit(5s), 0);
        EXPECT_EQ(station.Log(),
                  Entries(!row.configured ? "UnConfig ********"
                          : console ? "Start Initialise, Reset Initialise, Start Initialise, Exit Initialise"
                                    : "Start Initialise, Exit Initialise"));
        if (row.streams[1] == Stream("full.fifo")) {
            const std::regex counted("quenzeld: [0-9]+ lines of output could not be written\n");
            EXPECT_TRUE(std::regex_match(program.Stderr(), counted)) << program.Stderr();
        }
        close(filler);
        close(reader);
    }
}

// Answered before anything starts (no log), the desktop program's without a display. A box it cannot
// go on after ends it with status 1: here a port another holds at the start.
TEST(Programs, AnswerHelpAndVersionRefuseStrangeOptionsAndEndOnABox) {
    const int port = FreeUdpPort();
    const auto holder = MakeUdpSocket();
    ASSERT_TRUE(holder->Bind(port));
    std::vector<std::tuple<std::vector<std::string>, int, std::string>> rows{
        {{QZ_QUENZELD, "-h"}, 0, "Usage: quenzeld "},
        {{QZ_QUENZELD, "-InhibitShutdown", "-InhibitShutdwn"},
         2,
         "quenzeld: unknown option \"-InhibitShutdwn\"\n"},
        {{QZ_QUENZELD, "-InhibitShutdown"}, 1, "Quenzel Port Error\nThe RX Port " + std::to_string(port)}};
#ifdef QZ_QUENZEL
    rows.push_back({{QZ_QUENZEL, "--version"}, 0, "quenzel 1.6\n"});
#endif
    for (const auto& [argv, status, said] : rows) {
        SCOPED_TRACE(argv.back());
        Station station({{"StartDelay", "3600"}, {"IPAdd", "127.1.1.1"}, {"Port2", std::to_string(port)}});
        Process program(argv, {"QT_QPA_PLATFORM=xcb", "QZ_TEST_LOCK_FOLDER=" + station.Folder().string()},
                        station.Folder(), kStreams);
        EXPECT_EQ(program.WaitExit(), status);
        const std::string out = station.dir.Read("stdout.txt"), err = station.dir.Read("stderr.txt");
        EXPECT_TRUE((status ? err : out).starts_with(said) && (status ? out : err).empty()) << out << err;
        EXPECT_TRUE(status == 1 ? err.ends_with("\nDo You Want To End The Program?\n\n")
                                : !fs::exists(station.Folder() / "Log/Quenzel.log"));
    }
}

} // namespace
} // namespace qz::test
