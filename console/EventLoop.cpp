#include "console/EventLoop.h"

namespace qz {

std::optional<Command> CommandForKey(char key) {
    switch (key) {
    case 'r':
    case 'R':
        return Command::Reset;
    case 't':
    case 'T':
        return Command::Test;
    case 'q':
    case 'Q':
        return Command::Exit;
    default:
        return std::nullopt;
    }
}

int RunEventLoop(Session& session, EventSource& events) {
    TickSchedule timer(kTimerPeriod);
    try {
        session.Start();
        for (;;) {
            timer.Follow(session.TimerEnabled(), events.Now());
            // The socket is asked for afresh each time: a reload may have bound another one.
            const Wakeup wakeup = events.Wait(session.SocketHandle(), timer.Next());
            // Data first: a command may close the socket that reported it.
            if (wakeup.socketReadable) session.DataArrival();
            for (Command command : wakeup.commands)
                session.Do(command);
            const SteadyTime now = events.Now();
            timer.Follow(session.TimerEnabled(), now);
            if (timer.Due(now)) session.Tick();
        }
    } catch (const ConsoleExit& end) {
        return end.status;
    }
}

} // namespace qz
