#include <gtest/gtest.h>

#include <csignal>
#include <functional>
#include <sstream>

#include "console/EventLoop.h"
#include "console/OutputChannel.h"
#include "tests/support/Fakes.h"
#include "tests/support/RunFolder.h"

#ifdef _WIN32
#include <winsock2.h>

#include <windows.h>

#include <atomic>
#include <system_error>
#include <thread>
#endif

namespace qz::test {
namespace {

const SteadyTime kStart{std::chrono::hours(1)};

// quenzeld's session in a working folder of its own, with fakes for the world besides its host.
struct World {
    explicit World(const Config& config = {}) : station(config) {
        program.rt.commandLine = "-InhibitShutdown";
        program.rt.exeName = "quenzeld";
    }
    Station station;
    std::ostringstream written;
    ConsoleOutput output{written, written, false};
    ConsoleHost host{output};
    FakeWorld fakes{station.Folder()};
    Program program{Services{host, fakes.clock, fakes.files, fakes.processes, fakes.power, fakes.socket,
                             fakes.resolver, fakes.guard, fakes.system}};
    StatusPrinter status{output};
    Session session{program, host, status};
};

// Time passes only as the script says; when it is over, the operator asks to exit.
struct ScriptedEvents final : EventSource {
    struct Step {
        long lag; // ms late woken by the timer, or -1: woken at once by the wakeup
        Wakeup wakeup;
        std::function<void()> meanwhile = {};
    };
    SteadyTime Now() const override { return now; }
    Wakeup Wait(std::intptr_t socket, std::optional<SteadyTime> deadline) override {
        sockets.push_back(socket);
        deadlines.push_back(deadline ? static_cast<long>((*deadline - kStart) / std::chrono::milliseconds(1))
                                     : -1L);
        if (next == steps.size()) return {false, {Command::Exit}};
        const Step& step = steps[next++];
        if (step.lag >= 0) now = *deadline + std::chrono::milliseconds(step.lag);
        if (step.meanwhile) step.meanwhile();
        return step.wakeup;
    }

    SteadyTime now = kStart;
    std::vector<Step> steps;
    size_t next = 0;
    std::vector<std::intptr_t> sockets;
    std::vector<long> deadlines; // ms after the start, -1 for none
};

// Ticks keep an absolute schedule and skip what is more than a period late. A reload binds the socket
// the loop then watches; a wake's data goes before the commands that came with it.
TEST(EventLoop, KeepsItsScheduleWatchesTheSocketAReloadBindsAndHandlesItsDataFirst) {
    World w(Config{{"StartDelay", "3600"}});
    w.fakes.socket.incoming.push_back(std::string("<QZT000>")); // the main station's test
    ScriptedEvents events;
    for (long lag : {0, 7, 1750, 500, 7, -1}) // the last, an early wake, runs no tick
        events.steps.push_back({lag, {}});
    events.steps.push_back({-1, {false, {Command::Reload}}, [&w] {
                                EXPECT_EQ(w.program.monitor.countSeconds, 3600 - 2); // one step per two ticks
                                w.station.WriteConfig({{"CMain", "2"}, {"IPAdd", "127.1.1.1"}});
                            }});
    events.steps.push_back({-1, {true, {Command::Reset, Command::Test}}});
    EXPECT_EQ(RunEventLoop(w.session, events), 0);
    EXPECT_EQ(std::vector<long>(events.deadlines.begin(), events.deadlines.begin() + 7),
              (std::vector<long>{500, 1000, 1500, 3500, 4500, 5000, 5000}));
    EXPECT_EQ(events.sockets, (std::vector<std::intptr_t>{-1, -1, -1, -1, -1, -1, -1, 3, 3}));
    const std::vector<LogEntry> log{
        {"Start", "Initialise"},  {"Config", "Updated"},    {"Start", "Initialise"}, {"*Enter", "Test"},
        {"*Start", "Initialise"}, {"*Reset", "Initialise"}, {"Start", "Initialise"}, {"*Enter", "Test"},
        {"*Start", "Initialise"}, {"*Exit", "Initialise"}};
    EXPECT_EQ(w.station.Log(), log);
#ifndef _WIN32 // a real source's end: exit signals while the program finishes must not change its status
    MakeEventSource().reset();
    for (int number : {SIGTERM, SIGINT, SIGHUP})
        EXPECT_EQ(raise(number), 0);
#endif
}

#ifdef _WIN32
// Ctrl+C from the console; Ctrl+Break and close through the handler, which holds close until the end.
TEST(WinEvents, TheConsoleControlsEndTheLoop) {
    // A console of the tests' own: the one wine starts them in takes no events.
    FreeConsole();
    ASSERT_TRUE(AllocConsole());
    ASSERT_TRUE(SetConsoleCtrlHandler(nullptr, FALSE)); // a new process group ignores Ctrl+C
    const struct {
        DWORD type;
        bool sent; // by the console; otherwise the handler is called
        bool held;
    } rows[] = {
        {CTRL_C_EVENT, true, false}, {CTRL_BREAK_EVENT, false, false}, {CTRL_CLOSE_EVENT, false, true}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.type);
        auto events = MakeEventSource();
        std::atomic<bool> returned = false;
        std::thread handler;
        if (row.sent) {
            ASSERT_TRUE(GenerateConsoleCtrlEvent(row.type, 0));
        } else {
            handler = std::thread([&] { returned = OnConsoleControl(row.type) != 0; });
        }
        const auto deadline = events->Now() + std::chrono::seconds(10);
        EXPECT_EQ(events->Wait(-1, deadline).commands, std::vector<Command>{Command::Exit});
        EXPECT_EQ(events->Wait(-1, deadline).commands, std::vector<Command>{Command::Exit}); // until it ends
        if (!handler.joinable()) continue;
        if (row.held) {
            EXPECT_FALSE(returned);
        }
        events.reset();
        handler.join();
        EXPECT_TRUE(returned);
    }
}

TEST(WinEvents, TheReloadEventAndTheKeyCReloadAndABadSocketIsAnError) {
    WSADATA data;
    ASSERT_EQ(WSAStartup(MAKEWORD(2, 2), &data), 0);
    auto events = MakeEventSource();
    HANDLE reload = OpenEventA(EVENT_MODIFY_STATE, FALSE, ReloadEventName(GetCurrentProcessId()).c_str());
    ASSERT_NE(reload, nullptr);
    const auto soon = [&] { return events->Now() + std::chrono::milliseconds(200); };
    ASSERT_TRUE(SetEvent(reload));
    EXPECT_EQ(events->Wait(-1, soon()).commands, std::vector<Command>{Command::Reload});
    EXPECT_EQ(events->Wait(-1, soon()).commands, std::vector<Command>{});
    CloseHandle(reload);
    EXPECT_THROW(events->Wait(0x7ffffff0, soon()), std::system_error);
    WSACleanup();

    // Wine's console takes no written input, so the keys are checked one by one.
    const std::pair<char, std::optional<Command>> keys[] = {{'c', Command::Reload},
                                                            {'C', Command::Reload},
                                                            {'q', Command::Exit},
                                                            {'r', Command::Reset},
                                                            {'x', {}}};
    for (const auto& [key, command] : keys)
        EXPECT_EQ(CommandForConsoleKey(key), command) << key;
}

#endif

TEST(Session, CommandsDoNothingWhileTheirControlsAreDisabledAndResetCancelsTheCountdown) {
    const struct {
        const char* name;
        Config config;
        Command command;
        std::vector<LogEntry> logged; // by the command
        int status;                   // -1: the program goes on
    } rows[] = {
        {"cancel", {}, Command::Reset, {{"Cancel", "Power Off"}, {"Start", "Initialise"}}, -1},
        {"test in countdown", {}, Command::Test, {}, -1},
        {"reload in countdown", {}, Command::Reload, {}, -1},
        {"exit in countdown", {}, Command::Exit, {{"Exit", "Power Off"}}, 0},
        {"reset unconfigured", {{"Proc1", ""}}, Command::Reset, {}, -1},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        World w(row.config);
        w.session.Start();
        for (int tick = 0; tick < 14; ++tick) // activation, six idle seconds, the countdown's first step
            w.session.Tick();
        const auto before = std::ssize(w.station.Log());
        int status = -1;
        try {
            w.session.Do(row.command);
        } catch (const ConsoleExit& end) {
            status = end.status;
        }
        const std::vector<LogEntry> log = w.station.Log();
        EXPECT_EQ(std::tuple(status, std::vector<LogEntry>(log.begin() + before, log.end())),
                  std::tuple(row.status, row.logged));
    }
}

TEST(ConsoleOutput, OnATerminalTheCounterRewritesItsLineUntilSomethingElseIsWritten) {
    std::ostringstream out, err;
    ConsoleOutput output(out, err, true);
    for (const char* counter : {"No activity for 10s", "Activity", "No activity for 1s"})
        output.Counter(counter);
    output.Line("Quenzel - Test Mode");
    output.Counter("Program Activation In 2s");
    output.Box("Quenzel Test", "a\r\n\r\nlast line ends\r\n"); // the empty line inside stays
    output.Counter("x");
    output.Finish();
    EXPECT_EQ(out.str(),
              "\rNo activity for 10s\rActivity           \rNo activity for 1s\nQuenzel - Test Mode\n"
              "\rProgram Activation In 2s\n\rx\n");
    EXPECT_EQ(err.str(), "Quenzel Test\na\n\nlast line ends\n\n");
}

// A stream taking at most so many bytes per call (-1: fails; unlimited after the list).
struct ThrottledEnd final : StreamEnd {
    ThrottledEnd(std::string& to, std::vector<int> room) : arrived(to), takes(std::move(room)) {}
    std::optional<std::size_t> WriteSome(std::string_view text) override {
        const int room = next < takes.size() ? takes[next++] : 1 << 20;
        if (room < 0) return std::nullopt;
        const std::size_t taken = std::min(text.size(), static_cast<std::size_t>(room));
        arrived += text.substr(0, taken);
        return taken;
    }
    std::string& arrived;
    std::vector<int> takes;
    std::size_t next = 0;
};

TEST(OutputChannel, DropsAndCountsWhatCannotBeWrittenAndNeverCutsALineIntoAnother) {
    const struct {
        std::vector<int> room;
        std::string arrived;
        long dropped;
    } rows[] = {
        {{}, "one\ntwo three\nfour\n", 0},
        {{-1}, "two three\nfour\n", 1},
        {{-1, -1}, "four\n", 2},
        // Half of "two three" goes, then less than its rest: "four" waits for nobody and is dropped.
        {{100, 5, 2}, "one\ntwo three\n", 1},
    };
    for (const auto& r : rows) {
        std::string arrived;
        OutputChannel channel(std::make_unique<ThrottledEnd>(arrived, r.room));
        std::ostream out(&channel);
        out << "one\n" << std::flush;
        out << "two three\n" << std::flush;
        out << "four\n" << std::flush << std::flush; // the rest of an unfinished text goes first
        EXPECT_EQ(std::tuple(out.good(), arrived, channel.DroppedLines()),
                  std::tuple(true, r.arrived, r.dropped));
    }
}

} // namespace
} // namespace qz::test
