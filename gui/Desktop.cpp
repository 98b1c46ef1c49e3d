#include "gui/Desktop.h"

#include "app/mdMain.h"

namespace qz {

Desktop StartDesktop(Program& p, Tray& tray) {
    Desktop desktop;
    if (Main(p) == StartWindow::MultiInst) {
        desktop.multiInst = std::make_unique<MultiInstWindow>(p);
        desktop.multiInst->Load();
    } else {
        desktop.main = std::make_unique<MainWindow>(p, tray);
        desktop.main->Load();
    }
    return desktop;
}

} // namespace qz
