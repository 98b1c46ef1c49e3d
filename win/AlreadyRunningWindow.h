#pragma once
#include <windows.h>

#include <optional>

#include "app/EventGate.h"
#include "screens/AlreadyRunningScreen.h"
#include "win/Form.h"

namespace qz::win {

// The "already running" window. It is the program's only window; its button ends the program.
class AlreadyRunningWindow final : private PageOpener {
  public:
    explicit AlreadyRunningWindow(Program& p);
    ~AlreadyRunningWindow() override;
    AlreadyRunningWindow(const AlreadyRunningWindow&) = delete;
    AlreadyRunningWindow& operator=(const AlreadyRunningWindow&) = delete;

    // Load, then the window is shown and placed on top.
    void Load();
    std::optional<int> EndedWith() const { return gate_.EndedWith(); }
    HWND Handle() const { return window_; }
    HWND Find(const std::string& name) const { return form_.Find(name); }

    LRESULT OnMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

  private:
    void OpenWebPage(const std::string& page) override;
    void Render();

    Program& p_;
    AlreadyRunningScreen logic_;
    EventGate gate_;
    ViewForm<AlreadyRunningView, AlreadyRunningScreen> form_;
    HWND window_ = nullptr;
};

} // namespace qz::win
