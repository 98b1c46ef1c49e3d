#include <gtest/gtest.h>

#include <deque>
#include <functional>

#include "console/EventLoop.h"
#include "tests/console/ConsoleWorld.h"

namespace qz::test {
namespace {

using std::chrono::milliseconds;

const SteadyTime kStart{std::chrono::hours(1)};

// An event source whose time passes only as its script says. Each wait plays the next step; when
// the script is over, the operator asks to exit.
class ScriptedEvents final : public EventSource {
  public:
    struct Step {
        std::function<SteadyTime(std::optional<SteadyTime> deadline, SteadyTime now)> wakeAt;
        Wakeup wakeup;
    };

    SteadyTime Now() const override { return now; }
    Wakeup Wait(std::intptr_t socket, std::optional<SteadyTime> deadline) override {
        sockets.push_back(socket);
        deadlines.push_back(deadline);
        if (steps.empty()) return {false, {Command::Exit}};
        Step step = steps.front();
        steps.pop_front();
        now = step.wakeAt(deadline, now);
        return step.wakeup;
    }

    // Wakes by the timer, late by lag.
    void Timer(int count, milliseconds lag = milliseconds(0)) {
        for (int i = 0; i < count; ++i)
            steps.push_back({[lag](auto deadline, auto) { return *deadline + lag; }, {}});
    }
    void Event(Wakeup wakeup) {
        steps.push_back({[](auto, SteadyTime at) { return at; }, std::move(wakeup)});
    }

    SteadyTime now = kStart;
    std::deque<Step> steps;
    std::vector<std::intptr_t> sockets;
    std::vector<std::optional<SteadyTime>> deadlines;
};

TEST(EventLoop, TheTimerKeepsItsScheduleWhenEveryTickIsHandledLate) {
    ConsoleWorld w(Config{{"StartDelay", "3600"}});
    ScriptedEvents events;
    events.Timer(40, milliseconds(7));
    EXPECT_EQ(RunEventLoop(w.session, events), 0);
    ASSERT_EQ(events.deadlines.size(), 41u);
    for (size_t i = 0; i < events.deadlines.size(); ++i)
        EXPECT_EQ(events.deadlines[i], kStart + milliseconds(500) * (i + 1)) << i;
    EXPECT_EQ(w.program.rt.CountSeconds, 3600 - 20); // one monitor step per two ticks
}

TEST(EventLoop, AWakeMoreThanAPeriodLateRunsOneTickAndSkipsTheMissedOnes) {
    ConsoleWorld w(Config{{"StartDelay", "3600"}});
    ScriptedEvents events;
    events.Timer(1);
    events.Timer(1, milliseconds(1750));
    EXPECT_EQ(RunEventLoop(w.session, events), 0);
    EXPECT_EQ(events.deadlines,
              (std::vector<std::optional<SteadyTime>>{kStart + milliseconds(500), kStart + milliseconds(1000),
                                                      kStart + milliseconds(3000)}));
    EXPECT_EQ(w.program.rt.CountSeconds, 3599); // two ticks, one step; a burst would have made two
}

TEST(EventLoop, DataIsHandledBeforeTheCommandsOfTheSameWakeAndTheCommandsInTheirOrder) {
    ConsoleWorld w(Config{{"CMain", "2"}, {"IPAdd", "127.1.1.1"}});
    w.fakes.socket.incoming.push_back(std::string("<QZT000>"));
    ScriptedEvents events;
    events.Event({true, {Command::Reset, Command::Test}});
    EXPECT_EQ(RunEventLoop(w.session, events), 0);
    EXPECT_EQ(w.Log(), (std::vector<LogEntry>{{"Start", "Initialise"},
                                              {"*Enter", "Test"}, // the main station's test, by the link
                                              {"*Start", "Initialise"},
                                              {"*Reset", "Initialise"},
                                              {"Start", "Initialise"},
                                              {"*Enter", "Test"},
                                              {"*Start", "Initialise"},
                                              {"*Exit", "Initialise"}}));
    EXPECT_EQ(events.sockets, (std::vector<std::intptr_t>{3, 3}));
}

TEST(EventLoop, WatchesTheSocketThatAReloadHasBound) {
    ConsoleWorld w;
    ScriptedEvents events;
    events.steps.push_back(
        {[&w](auto, SteadyTime at) {
             w.dir.Write("Data/Quenzel.ini", ConfigText({{"CMain", "2"}, {"IPAdd", "127.1.1.1"}}));
             return at;
         },
         {false, {Command::Reload}}});
    EXPECT_EQ(RunEventLoop(w.session, events), 0);
    EXPECT_EQ(events.sockets, (std::vector<std::intptr_t>{-1, 3}));
    EXPECT_EQ(w.fakes.socket.bound, 10001);
}

TEST(EventLoop, ReturnsTheStatusOfAFatalStartWithoutWaiting) {
    ConsoleWorld w;
    std::filesystem::remove_all(w.dir.path() / "Data");
    ScriptedEvents events;
    EXPECT_EQ(RunEventLoop(w.session, events), 1);
    EXPECT_TRUE(events.sockets.empty());
}

TEST(EventLoop, ACompletedCountdownEndsWithStatusZero) {
    ConsoleWorld w;
    ScriptedEvents events;
    events.Timer(100);
    EXPECT_EQ(RunEventLoop(w.session, events), 0);
    EXPECT_EQ(w.Log().back(), (LogEntry{"Close", "Power Off"}));
    EXPECT_FALSE(events.steps.empty()); // it ended by itself, not by the script's exit
}

} // namespace
} // namespace qz::test
