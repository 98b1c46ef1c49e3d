#pragma once
#include <windows.h>

#include "app/ProgramReset.h"
#include "core/Program.h"
#include "screens/config/ConfigScreen.h"
#include "win/Form.h"

namespace qz {
class App;
}

namespace qz::win {

class MainWindow;

// The configuration screen's window. It loads the screen as it opens; its events run through the
// main window, which shows the windows afresh after each and lets the window go once the screen
// has unloaded.
class ConfigWindow final : private ConfigScreenHost {
  public:
    static constexpr UINT_PTR kCloseCountdown = 1;
    static constexpr UINT_PTR kStatusTimeout = 2;

    ConfigWindow(Program& p, App& main, MainWindow& runner);
    ~ConfigWindow() override;
    ConfigWindow(const ConfigWindow&) = delete;
    ConfigWindow& operator=(const ConfigWindow&) = delete;

    ConfigScreen& Screen() { return screen_; }
    bool Open() const { return screen_.view.open; }
    void Unload() { screen_.Close(); }
    void Render();

    HWND Handle() const { return window_; }
    HWND Find(const std::string& name) const { return form_.Find(name); }
    const Form& Controls() const { return form_; }

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
    MainWindow& runner_;
    ConfigScreen screen_;
    ViewForm<ConfigView, ConfigScreen> form_;
    HWND window_ = nullptr;
    bool countdownOn_ = false;
    bool timeoutOn_ = false;
};

} // namespace qz::win
