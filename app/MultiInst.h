#pragma once
#include <string>

#include "app/MainView.h"
#include "app/Program.h"
#include "app/WindowHost.h"

namespace qz {

// What the "already running" window shows.
struct MultiInstView {
    std::string caption = "Error";
    std::string ErrorMess = "Error Message"; // lines joined with "\r\n"
    ButtonView Exit{"&OK", "Close Quenzel"};
    bool topMost = false;
};

// The window shown instead of the main window when another copy runs. Its only way out is its
// button, which ends the program with status 1 (this copy did not start).
class MultiInst {
  public:
    MultiInst(Program& program, PageOpener& opener) : p(program), pages(opener) {}

    MultiInstView view;

    void Form_Load();
    void Form_Activate();
    void Exit_Click();
    void Logo_Click();

  private:
    Program& p;
    PageOpener& pages;
};

} // namespace qz
