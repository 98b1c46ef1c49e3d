#pragma once
#include <windows.h>

#include <optional>
#include <string>

#include "core/Program.h"
#include "win/Form.h"
#include "win/MainWindow.h"
#include "win/Window.h"

namespace qz::win {

// What the About and the configuration screens' windows share: the screen's logic and its controls,
// the window, and the messages both answer alike. The screen's events run through the main window,
// which shows the windows afresh after each and lets the window go once the screen has unloaded.
template <class Logic, class View> class ScreenWindow {
  public:
    ScreenWindow(const ScreenWindow&) = delete;
    ScreenWindow& operator=(const ScreenWindow&) = delete;

    Logic& Screen() { return screen_; }
    bool Open() const { return screen_.view.open; }
    void Unload() { screen_.Close(); }

    HWND Handle() const { return window_; }
    HWND Find(const std::string& name) const { return form_.Find(name); }
    const Form& Controls() const { return form_; }

  protected:
    template <class Host>
    ScreenWindow(Program& p, Host& host, MainWindow& runner) : runner_(runner), screen_(p, host) {}
    ~ScreenWindow() {
        SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
        DestroyWindow(window_);
    }

    // The form's messages, the activation (handled once the activation itself is over) and the
    // title bar's close. Nothing for the others, nor for WM_ACTIVATE, which the default handling
    // needs as well.
    std::optional<LRESULT> CommonMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        if (const auto answer = FormMessage(form_, message, wParam, lParam)) return answer;
        switch (message) {
        case WM_ACTIVATE:
            if (LOWORD(wParam) != WA_INACTIVE) PostMessageW(window, kActivated, 0, 0);
            return std::nullopt;
        case kActivated:
            if (Open()) runner_.Run([this] { screen_.OnActivated(); });
            return 0;
        case WM_CLOSE:
            runner_.Run([this] { screen_.Close(); });
            return 0;
        default:
            return std::nullopt;
        }
    }

    MainWindow& runner_;
    Logic screen_;
    ViewForm<View, Logic> form_;
    HWND window_ = nullptr;
};

} // namespace qz::win
