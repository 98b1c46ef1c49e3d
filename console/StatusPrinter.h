#pragma once
#include <string>

#include "console/ConsoleOutput.h"
#include "core/MainView.h"

namespace qz {

// Prints what changed on the main window since the last call: its caption, the status sentence
// (Title) and the counter, in that order. An empty text has nothing to print.
class StatusPrinter {
  public:
    explicit StatusPrinter(ConsoleOutput& output) : out(output) {}
    void Show(const MainView& view);

  private:
    ConsoleOutput& out;
    std::string caption, title, counter;
};

} // namespace qz
