#pragma once
#include <memory>

#include "core/Program.h"
#include "gui/AlreadyRunningWindow.h"
#include "gui/MainWindow.h"

namespace qz {

class Tray;

// The windows of a started desktop program: exactly one of the two exists.
struct Desktop {
    std::unique_ptr<AlreadyRunningWindow> multiInst;
    std::unique_ptr<MainWindow> main;
};

// The program's start: decides through the single-instance guard whether this copy runs, then
// loads and shows the "already running" window or the main window with the tray icon.
Desktop StartDesktop(Program& p, Tray& tray);

} // namespace qz
