#pragma once
#include <string>

#include "core/Fault.h"

namespace qz {

// What the configuration screen needs from the window that opened it.
class ConfigScreenHost {
  public:
    virtual ~ConfigScreenHost() = default;
    // Makes the saved configuration take effect: the program reloads its settings and the link and
    // starts the monitor over. Leaving the screen after a save asks for it.
    virtual void ResetProgram() = 0;
    // Re-enables the main window's buttons and menu items that were disabled while the screen was open.
    virtual void EnableMainControls() = 0;
    // Places the configuration screen's own window above all others, or back among them.
    virtual void SetTopMost(bool topMost) = 0;
    // Opens a page of the product's web site ("index.htm") with the screen as owner.
    virtual void OpenWebPage(const std::string& page) = 0;
    // Ends the program after a fault it cannot go on from (the box first); does not return.
    virtual void EndProgram(const Fault& fault) = 0;
};

} // namespace qz
