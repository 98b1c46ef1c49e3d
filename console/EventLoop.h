#pragma once
#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "console/Session.h"
#include "console/TickSchedule.h"

namespace qz {

// The main window's timer interval.
inline constexpr std::chrono::milliseconds kTimerPeriod{500};

// What woke the event loop.
struct Wakeup {
    bool socketReadable = false;
    std::vector<Command> commands; // in the order they came
};

// The platform's side of the event loop: the clock and a blocking wait for the link socket, the
// operator's commands and the timer's deadline.
class EventSource {
  public:
    virtual ~EventSource() = default;
    virtual SteadyTime Now() const = 0;
    // Blocks until the socket (unless it is -1) is readable, a command arrives or the deadline
    // (when there is one) has come.
    virtual Wakeup Wait(std::intptr_t socket, std::optional<SteadyTime> deadline) = 0;
};

// The command a key of the terminal gives: r Reset, t Test, q Exit, in either case.
std::optional<Command> CommandForKey(char key);

// Starts the session and runs it until the program ends; returns the exit status.
int RunEventLoop(Session& session, EventSource& events);

// The platform's event source (it takes the terminal's keys while it lives) and whether standard
// output (1) or standard error (2) is a terminal.
std::unique_ptr<EventSource> MakeEventSource();
bool IsTerminal(int number);

#ifdef _WIN32
// The console's keys: those of the terminal, and c Reload.
std::optional<Command> CommandForConsoleKey(char key);
// The console's control handler (Ctrl+C, Ctrl+Break, closing the window, logoff, shutdown): it
// asks the loop to end; where Windows ends the process on its return, it returns once the loop
// has ended.
int __stdcall OnConsoleControl(unsigned long type);
// The event that reloads the configuration of the process with this id when it is set: per
// process, so that copies side by side are told apart and one setting reaches one copy.
inline std::string ReloadEventName(unsigned long pid) {
    return "Local\\Quenzel.Reload." + std::to_string(pid);
}
#endif

} // namespace qz
