#pragma once
#include <windows.h>

#include "app/ProgramReset.h"
#include "core/Program.h"
#include "screens/config/ConfigScreen.h"
#include "win/ScreenWindow.h"

namespace qz {
class App;
}

namespace qz::win {

// The configuration screen's window; it loads the screen as it opens.
class ConfigWindow final : private ConfigScreenHost, public ScreenWindow<ConfigScreen, ConfigView> {
  public:
    static constexpr UINT_PTR kCloseCountdown = 1;
    static constexpr UINT_PTR kStatusTimeout = 2;

    ConfigWindow(Program& p, App& main, MainWindow& runner);

    void Render();

    LRESULT OnMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

  private:
    void ResetProgram() override;
    void EnableMainControls() override;
    void SetTopMost(bool topMost) override;
    void OpenWebPage(const std::string& page) override;
    void EndProgram(const Fault& fault) override;
    void FollowTimer(UINT_PTR timer, bool enabled, UINT milliseconds);

    Program& p_;
    App& main_;
    bool countdownOn_ = false;
    bool timeoutOn_ = false;
};

} // namespace qz::win
