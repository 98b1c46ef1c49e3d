#pragma once
#include <windows.h>

#include "core/Program.h"
#include "screens/AboutScreen.h"
#include "win/Form.h"

namespace qz {
class MainWindowModel;
}

namespace qz::win {

class MainWindow;

// The About screen's window. It loads the screen as it opens; its events run through the main
// window, which shows both windows afresh after each and lets the window go once the screen unloaded.
class AboutWindow final : private AboutScreenHost {
  public:
    static constexpr UINT_PTR kSecondTimer = 1;

    AboutWindow(Program& p, MainWindowModel& main, MainWindow& runner);
    ~AboutWindow() override;
    AboutWindow(const AboutWindow&) = delete;
    AboutWindow& operator=(const AboutWindow&) = delete;

    AboutScreen& Screen() { return screen_; }
    bool Open() const { return screen_.view.open; }
    void Unload() { screen_.Close(); }
    void Render();

    HWND Handle() const { return window_; }
    HWND Find(const std::string& name) const { return form_.Find(name); }
    const Form& Controls() const { return form_; }

    LRESULT OnMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

  private:
    void EnableMainControls() override;
    void OpenWebPage(const std::string& page) override;

    Program& p_;
    MainWindowModel& main_;
    MainWindow& runner_;
    AboutScreen screen_;
    ViewForm<AboutView, AboutScreen> form_;
    HWND window_ = nullptr;
    bool timerOn_ = false;
};

} // namespace qz::win
