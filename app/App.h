#pragma once

#include "app/LinkSession.h"
#include "app/MainWindowModel.h"
#include "app/Monitor.h"
#include "core/Program.h"
#include "core/WindowHost.h"

namespace qz {

// The program as a front end drives it, once Main chose the main window:
// - Load() once, then window.OnActivated() whenever the window becomes active;
// - every 500 ms while p.rt.timerOn: OnTimer();
// - when the link socket is readable: link.OnDatagram();
// - the buttons, the popup items and the tray icon: the handlers of `window`, which renders as
//   window.view after every event.
// The program ends through p.svc.host.EndProgram: 0 after Exit or a completed countdown, 1 after
// a fatal error.
class App {
  public:
    App(Program& program, WindowHost& host);

    void Load();
    // The main window's 500 ms timer: a monitor step every second tick, the link on every tick.
    void OnTimer();

    MainWindowModel window;
    Monitor monitor;
    LinkSession link;

  private:
    Program& p;
    WindowHost& host;
};

} // namespace qz
