#pragma once
#include <string>

#include "app/ProgramReset.h"

namespace qz {

// What the configuration screen needs from the main window that opened it.
class ConfigScreenHost : public MonitorWindow {
  public:
    // Re-enables the main window's buttons and menu items that were disabled while the screen was open.
    virtual void EnableMainControls() = 0;
    // Places the configuration screen's own window above all others, or back among them.
    virtual void SetTopMost(bool topMost) = 0;
    // Opens a page of the product's web site ("index.htm") with the screen as owner.
    virtual void OpenWebPage(const std::string& page) = 0;
};

} // namespace qz
