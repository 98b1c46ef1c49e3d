#pragma once
#include <string>

#include "app/ProgramReset.h"
#include "core/Fault.h"

namespace qz {

class PageOpener;
class App;

// The main window as the configuration dialog needs it. The dialog places its own window above the
// others; everything else goes to the window that opened it.
class MainWindowSide {
  public:
    virtual ~MainWindowSide() = default;
    // Makes the saved configuration take effect.
    virtual void ResetProgram() = 0;
    // Re-enables the main window's buttons and menu items that were disabled while the screen was open.
    virtual void EnableMainControls() = 0;
    // Opens a page of the product's web site.
    virtual void OpenWebPage(const std::string& page) = 0;
    // Ends the program after a fault it cannot go on from.
    virtual void EndProgram(const Fault& fault) = 0;
};

// The main window's logic and its page launcher in that role.
class AppSide final : public MainWindowSide {
  public:
    AppSide(Program& p, App& main, PageOpener& pages) : p_(p), main_(main), pages_(pages) {}

    void ResetProgram() override;
    void EnableMainControls() override;
    void OpenWebPage(const std::string& page) override;
    void EndProgram(const Fault& fault) override;

  private:
    Program& p_;
    App& main_;
    PageOpener& pages_;
};

} // namespace qz
