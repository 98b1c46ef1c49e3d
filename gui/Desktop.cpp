#include "gui/Desktop.h"

#include "app/Startup.h"

namespace qz {

Desktop StartDesktop(Program& p, Tray& tray) {
    Desktop desktop;
    if (Main(p) == StartWindow::AlreadyRunning) {
        desktop.multiInst = std::make_unique<AlreadyRunningWindow>(p);
        desktop.multiInst->Load();
    } else {
        desktop.main = std::make_unique<MainWindow>(p, tray);
        desktop.main->Load();
    }
    return desktop;
}

} // namespace qz
