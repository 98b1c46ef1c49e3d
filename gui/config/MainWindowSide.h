#pragma once
#include <string>

#include "app/ProgramReset.h"

namespace qz {

class PageOpener;
class App;

// The main window as the configuration dialog needs it. The dialog places its own window above the
// others; everything else goes to the window that opened it.
class MainWindowSide : public MonitorWindow {
  public:
    // Re-enables the main window's buttons and menu items that were disabled while the screen was open.
    virtual void EnableMainControls() = 0;
    // Opens a page of the product's web site.
    virtual void OpenWebPage(const std::string& page) = 0;
};

// The main window's logic and its page launcher in that role.
class AppSide final : public MainWindowSide {
  public:
    AppSide(App& main, PageOpener& pages) : main_(main), pages_(pages) {}

    void ResetMonitor() override;
    void ShowStatus() override;
    void EnableMainControls() override;
    void OpenWebPage(const std::string& page) override;

  private:
    App& main_;
    PageOpener& pages_;
};

} // namespace qz
