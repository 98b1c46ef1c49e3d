#include <gtest/gtest.h>

#include <functional>

#include "tests/console/ConsoleWorld.h"

namespace qz::test {
namespace {

const LogEntry kStarted{"Start", "Initialise"};

TEST(Session, StartShowsTheWindowsStatusAsLines) {
    ConsoleWorld w;
    w.session.Start();
    EXPECT_EQ(w.Written(), "Quenzel\nPower Off if there is no activity for 6s\nProgram Activation In 1s\n");
    EXPECT_EQ(w.Log(), std::vector<LogEntry>{kStarted});
    EXPECT_TRUE(w.session.TimerEnabled());
    EXPECT_EQ(w.session.SocketHandle(), -1); // stand-alone: no link
}

TEST(Session, ASecondCopyIsRefusedWithTheAlreadyRunningMessage) {
    ConsoleWorld w;
    w.fakes.guard.otherHolds = true;
    EXPECT_EQ(w.EndStatus([&] { w.session.Start(); }), 1);
    EXPECT_EQ(w.Written(), "Quenzel Start Up Error\nQuenzel is already running.\nOnly one instance can "
                           "be\nrunning at a time.\n\n");
    EXPECT_FALSE(w.fakes.files.FileExists("Log\\Quenzel.log")); // the program never loaded
}

TEST(Session, AFatalStartWritesOnlyItsBoxAndEndsWithStatusOne) {
    const struct {
        const char* name;
        std::function<void(ConsoleWorld&)> spoil;
        const char* written;
    } rows[] = {
        {"no Data folder", [](ConsoleWorld& w) { std::filesystem::remove_all(w.dir.path() / "Data"); },
         "Quenzel Data Directory Error\nThe data directory does not exist.\nTo restore the data directory\n"
         "reinstall the program.\nThe program will now terminate.\n\n"},
        {"corrupt file",
         [](ConsoleWorld& w) {
             w.dir.Write("Data/Quenzel.ini", ConfigText({{"ShutType", "9"}}));
         },
         "Quenzel Configuration File Error\nThe configuration file is corrupted.\n"
         "Reinstall the program to restore the file.\nThe program will now terminate.\n\n"},
        {"port taken",
         [](ConsoleWorld& w) {
             w.dir.Write("Data/Quenzel.ini", ConfigText({{"IPAdd", "127.1.1.1"}, {"Port2", "10000"}}));
             w.fakes.socket.takenPorts = {10000};
         },
         "Quenzel Port Error\nThe RX Port 10000 Is Already In Use\nThis Error Must Be Resolved Before\n"
         "You Can Use Quenzel.\nUse The Configuration Screen\nTo Change The RX Port.\n"
         "Do You Want To End The Program?\n\n"},
    };
    for (const auto& row : rows) {
        ConsoleWorld w;
        row.spoil(w);
        EXPECT_EQ(w.EndStatus([&] { w.session.Start(); }), 1) << row.name;
        EXPECT_EQ(w.Written(), row.written) << row.name;
    }
}

TEST(Session, CommandsActLikeTheirControls) {
    using Setup = std::function<void(ConsoleWorld&)>;
    const Setup none = [](ConsoleWorld&) {};
    // Runs the monitor into its countdown: activation, six idle seconds, the first countdown step.
    const Setup countdown = [](ConsoleWorld& w) {
        for (int tick = 0; tick < 14; ++tick)
            w.session.Tick();
        ASSERT_EQ(w.program.rt.MonState, 2);
    };
    const struct {
        const char* name;
        std::map<std::string, std::string> config;
        Setup setup;
        Command command;
        std::vector<LogEntry> logged; // by the command
        int status;                   // -1: the program goes on
    } rows[] = {
        {"reset", {}, none, Command::Reset, {{"Reset", "Initialise"}, kStarted}, -1},
        {"test", {}, none, Command::Test, {{"*Enter", "Test"}, {"*Start", "Initialise"}}, -1},
        {"reload", {}, none, Command::Reload, {{"Config", "Updated"}, kStarted}, -1},
        {"exit", {}, none, Command::Exit, {{"Exit", "Initialise"}}, 0},
        {"cancel", {}, countdown, Command::Reset, {{"Cancel", "Power Off"}, kStarted}, -1},
        // The controls that are disabled in the countdown: no unlogged end of it.
        {"test in countdown", {}, countdown, Command::Test, {}, -1},
        {"reload in countdown", {}, countdown, Command::Reload, {}, -1},
        {"exit in countdown", {}, countdown, Command::Exit, {{"Exit", "Power Off"}}, 0},
        // Unconfigured (no process to watch): Reset and Test are disabled, a reload is still welcome.
        {"reset unconfigured", {{"Proc1", ""}}, none, Command::Reset, {}, -1},
        {"test unconfigured", {{"Proc1", ""}}, none, Command::Test, {}, -1},
    };
    for (const auto& row : rows) {
        ConsoleWorld w(row.config);
        w.session.Start();
        row.setup(w);
        const auto before = static_cast<std::ptrdiff_t>(w.Log().size());
        const int16_t state = w.program.rt.MonState;
        EXPECT_EQ(w.EndStatus([&] { w.session.Do(row.command); }), row.status) << row.name;
        const std::vector<LogEntry> log = w.Log();
        EXPECT_EQ(std::vector<LogEntry>(log.begin() + before, log.end()), row.logged) << row.name;
        if (row.logged.empty()) {
            EXPECT_EQ(w.program.rt.MonState, state) << row.name;
        }
    }
}

TEST(Session, AReloadTakesTheSavedFileAndPrintsTheNewStatus) {
    ConsoleWorld w(Config{{"Proc1", ""}});
    w.session.Start();
    EXPECT_EQ(w.Written(), "Quenzel\nClick Configure To Set Up Quenzel\n");
    w.dir.Write("Data/Quenzel.ini", ConfigText({{"ShutType", "3"}, {"StartDelay", "5"}}));
    w.session.Do(Command::Reload);
    EXPECT_EQ(w.Written(), "Quenzel\nClick Configure To Set Up Quenzel\n"
                           "Shutdown if there is no activity for 6s\nProgram Activation In 5s\n");
    EXPECT_EQ(w.Log(), (std::vector<LogEntry>{{"UnConfig", "********"}, {"Config", "Updated"}, kStarted}));
}

TEST(Session, TheCountdownsLastSecondIsPrintedBeforeItsBoxAndTheProgramEndsWithStatusZero) {
    ConsoleWorld w;
    w.session.Start();
    int status = -1;
    for (int tick = 0; tick < 40 && status < 0; ++tick)
        status = w.EndStatus([&] { w.session.Tick(); });
    EXPECT_EQ(status, 0);
    const std::string written = w.Written();
    const std::string end = "The Computer Will Power Off In 1s\nThe Computer Will Power Off In 0s\n"
                            "Quenzel Simulate Power Off\nTest Real Power Off\n\n";
    ASSERT_GE(written.size(), end.size());
    EXPECT_EQ(written.substr(written.size() - end.size()), end);
    EXPECT_EQ(w.Log(), (std::vector<LogEntry>{kStarted,
                                              {"Enter", "Run"},
                                              {"Enter", "Power Off"},
                                              {"Start", "Power Off"},
                                              {"Simulate", "Power Off"},
                                              {"Close", "Power Off"}}));
    EXPECT_TRUE(w.fakes.power.exitCalls.empty());
}

TEST(Session, ASlaveCarriesOutWhatArrivesOnTheLink) {
    ConsoleWorld w(Config{{"CMain", "2"}, {"IPAdd", "127.1.1.1"}, {"Port1", "10001"}, {"Port2", "10000"}});
    w.session.Start();
    EXPECT_EQ(w.session.SocketHandle(), w.fakes.socket.NativeHandle());
    EXPECT_EQ(w.fakes.socket.bound, 10001);
    w.fakes.socket.incoming.push_back(std::string("<QZT000>"));
    w.session.DataArrival();
    EXPECT_EQ(w.Log(), (std::vector<LogEntry>{kStarted, {"*Enter", "Test"}, {"*Start", "Initialise"}}));
    EXPECT_NE(w.Written().find("Quenzel Slave - Test Mode\n"), std::string::npos) << w.Written();
}

} // namespace
} // namespace qz::test
