#include "gui/config/MainWindowSide.h"

#include "app/QuenzelMain.h"
#include "core/WindowHost.h"

namespace qz {

void QuenzelMainSide::ResetProgram() {
    qz::ResetProgram(p_, *this);
}

void QuenzelMainSide::ResetMonitor() {
    main_.ResetMonitor();
}

void QuenzelMainSide::ShowStatus() {
    main_.ShowStatus();
}

void QuenzelMainSide::EnableMainControls() {
    main_.EnableMainControls();
}

void QuenzelMainSide::OpenWebPage(const std::string& page) {
    pages_.OpenWebPage(page);
}

} // namespace qz
