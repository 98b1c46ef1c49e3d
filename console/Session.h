#pragma once
#include <cstdint>
#include <string>

#include "app/App.h"
#include "console/ConsoleHost.h"
#include "console/StatusPrinter.h"
#include "core/Program.h"

namespace qz {

// What the operator asks of quenzeld, by signal or by key.
enum class Command { Reset, Test, Exit, Reload };

// The program without its windows: starts it, forwards the event loop's events to the main
// window's handlers and prints the status after each of them. A handler that ends the program
// throws ConsoleExit through here.
class Session {
  public:
    Session(Program& program, ConsoleHost& host, StatusPrinter& status);

    // The single-instance check, then the main window's load; a refused copy shows the "already
    // running" message and ends.
    void Start();
    void Tick();
    void DataArrival();
    // Reset, Test and Reload act like the window's Reset, Test and Configure controls and do
    // nothing while those are disabled (a reload must not cancel a countdown unlogged). Exit
    // always ends the program.
    void Do(Command command);

    bool TimerEnabled() const { return p.rt.timerOn; }
    std::intptr_t SocketHandle() const { return p.svc.socket.NativeHandle(); }
    const MainView& View() const { return app.window.view; }

  private:
    void Refuse();
    std::string SetupAdvice() const;
    void Reload();
    void Render();

    Program& p;
    ConsoleHost& host;
    StatusPrinter& status;
    App app;
    bool shown = false; // the window is shown once its load has completed
};

} // namespace qz
