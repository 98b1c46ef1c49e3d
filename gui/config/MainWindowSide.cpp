#include "gui/config/MainWindowSide.h"

#include "app/App.h"
#include "app/ProgramEnd.h"
#include "core/WindowHost.h"

namespace qz {

void AppSide::ResetProgram() {
    qz::ResetProgram(p_, main_.monitor);
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
