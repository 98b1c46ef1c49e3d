#include "gui/config/MainWindowSide.h"

#include "app/App.h"
#include "app/ProgramEnd.h"
#include "core/WindowHost.h"

namespace qz {

void AppSide::ResetProgram() {
    qz::ResetProgram(p_, *this);
}

void AppSide::ResetMonitor() {
    main_.monitor.Reset();
}

void AppSide::ShowStatus() {
    main_.monitor.ShowStatus();
}

void AppSide::EnableMainControls() {
    main_.window.EnableMainControls();
}

void AppSide::OpenWebPage(const std::string& page) {
    pages_.OpenWebPage(page);
}

void AppSide::EndProgram(const Fault& fault) {
    EndWithFault(p_, fault);
}

} // namespace qz
