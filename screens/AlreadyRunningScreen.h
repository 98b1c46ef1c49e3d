#pragma once
#include <string>

#include "core/MainView.h"
#include "core/Program.h"
#include "core/WindowHost.h"

namespace qz {

// What the "already running" window shows.
struct AlreadyRunningView {
    std::string caption = "Error";
    std::string message = "Error Message"; // lines joined with "\r\n"
    ButtonView exit{"&OK", "Close Quenzel"};
    bool topMost = false;
};

// The window shown instead of the main window when another copy runs. Its only way out is its
// button, which ends the program with status 1 (this copy did not start).
class AlreadyRunningScreen {
  public:
    AlreadyRunningScreen(Program& p, PageOpener& pages) : p_(p), pages_(pages) {}

    AlreadyRunningView view;

    void Load();
    void OnActivated();
    void OnExit();
    void OnLogo();

  private:
    Program& p_;
    PageOpener& pages_;
};

} // namespace qz
