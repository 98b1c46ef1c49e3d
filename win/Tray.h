#pragma once
#include <windows.h>

#include <string>

namespace qz::win {

// The program's icon in the notification area. It shows the picture of the monitor's key, sends
// its mouse messages to the window as callback, and stays away for good once removed.
class Tray {
  public:
    static constexpr UINT kCallback = WM_APP + 1;

    void SetWindow(HWND window) { window_ = window; }
    // Shows the picture of key with the tip; an empty key shows no icon.
    void Show(const std::string& key, const std::string& tip);
    // Says a notice in the icon's balloon.
    void Notify(const std::string& title, const std::string& text);
    void Remove();
    // The taskbar was started again (Explorer restarted): the icon is added anew.
    void Restore();

    bool Shown() const { return shown_; }
    bool Removed() const { return removed_; }
    const std::string& Key() const { return key_; }

  private:
    bool Send(DWORD message, UINT flags);
    void Delete();

    HWND window_ = nullptr;
    bool shown_ = false;
    bool removed_ = false;
    std::string key_;
    std::string tip_;
};

} // namespace qz::win
