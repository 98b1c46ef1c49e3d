#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include "tests/e2e/Quenzeld.h"

namespace qz::test {
namespace {

// A pseudo-terminal for quenzeld's standard input: the test types at the master side.
struct Terminal {
    Terminal() {
        master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0) throw std::runtime_error("no pty");
        slave = open(ptsname(master), O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (slave < 0) throw std::runtime_error("no pty");
    }
    ~Terminal() {
        close(slave);
        close(master);
    }
    void Type(const std::string& keys) const {
        ASSERT_EQ(write(master, keys.data(), keys.size()), static_cast<ssize_t>(keys.size()));
    }
    // Whether the terminal is in its ordinary line mode with echo.
    bool Cooked() const {
        termios now{};
        tcgetattr(slave, &now);
        return (now.c_lflag & ICANON) != 0 && (now.c_lflag & ECHO) != 0;
    }
    int master = -1;
    int slave = -1;
};

const LogEntry kStarted{"Start", "Initialise"};

TEST(QuenzeldKeyboard, KeysResetTestAndExitAndTheTerminalIsGivenBack) {
    TestWorld world;
    Station station(Config{{"StartDelay", "3600"}});
    Terminal terminal;
    ASSERT_TRUE(terminal.Cooked());
    Quenzeld program(world, station, {"-InhibitShutdown"}, terminal.slave);
    ASSERT_TRUE(Eventually([&] { return station.Logged(kStarted); }));
    EXPECT_FALSE(terminal.Cooked());

    terminal.Type("r");
    ASSERT_TRUE(Eventually([&] { return station.Logged({"Reset", "Initialise"}); }));
    terminal.Type("xt"); // x means nothing
    ASSERT_TRUE(Eventually([&] { return station.Logged({"*Enter", "Test"}); }));
    terminal.Type("q");
    EXPECT_EQ(program.WaitExit(), 0);
    EXPECT_EQ(station.Log(), (std::vector<LogEntry>{kStarted,
                                                    {"Reset", "Initialise"},
                                                    kStarted,
                                                    {"*Enter", "Test"},
                                                    {"*Start", "Initialise"},
                                                    {"*Exit", "Initialise"}}));
    EXPECT_TRUE(terminal.Cooked());
}

TEST(QuenzeldKeyboard, TheTerminalIsGivenBackOnEveryWayOut) {
    const struct {
        const char* name;
        std::function<void(Station&)> prepare;
        std::function<void(Quenzeld&, const Terminal&)> end;
        int status;
    } rows[] = {
        {"terminated", [](Station&) {}, [](Quenzeld& q, const Terminal&) { q.Signal(SIGTERM); }, 0},
        {"interrupted by the terminal", [](Station&) {}, [](Quenzeld&, const Terminal& t) { t.Type("\x03"); },
         0},
        {"fatal reload", [](Station&) {}, [](Quenzeld& q, const Terminal&) { q.Signal(SIGHUP); },
         1}, // the file is spoiled before the reload below
    };
    for (const auto& row : rows) {
        TestWorld world;
        Station station(Config{{"StartDelay", "3600"}});
        Terminal terminal;
        Quenzeld program(world, station, {"-InhibitShutdown"}, terminal.slave);
        ASSERT_TRUE(Eventually([&] { return station.Logged(kStarted); })) << row.name;
        ASSERT_FALSE(terminal.Cooked()) << row.name;
        if (row.status == 1) station.WriteConfig({{"ShutType", "0"}});
        row.end(program, terminal);
        EXPECT_EQ(program.WaitExit(), row.status) << row.name;
        EXPECT_TRUE(terminal.Cooked()) << row.name;
    }
}

} // namespace
} // namespace qz::test
