#pragma once
#include <windows.h>

#include "core/Program.h"
#include "screens/AboutScreen.h"
#include "win/ScreenWindow.h"

namespace qz {
class MainWindowModel;
}

namespace qz::win {

// The About screen's window; it loads the screen as it opens.
class AboutWindow final : private AboutScreenHost, public ScreenWindow<AboutScreen, AboutView> {
  public:
    static constexpr UINT_PTR kSecondTimer = 1;

    AboutWindow(Program& p, MainWindowModel& main, MainWindow& runner);

    void Render();

    LRESULT OnMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

  private:
    void EnableMainControls() override;
    void OpenWebPage(const std::string& page) override;

    Program& p_;
    MainWindowModel& main_;
    bool timerOn_ = false;
};

} // namespace qz::win
