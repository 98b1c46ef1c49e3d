#pragma once
#include <windows.h>

#include "core/Host.h"

namespace qz::win {

class Tray;

// The desktop's host on Windows: modal message boxes, and the end of the process at once.
class WinHost : public Host {
  public:
    // The box belongs to the owner window (or the active one) and stays in front of it.
    Answer ShowMessage(MsgIcon icon, MsgButtons buttons, const std::string& title,
                       const std::string& text) override;
    void RemoveTrayIcon() override;
    // Takes the tray icon away, then ends the process without running anything else of it.
    [[noreturn]] void EndProgram(int status) override;

    void SetTray(Tray* tray) { tray_ = tray; }
    void SetOwner(HWND owner) { owner_ = owner; }

  private:
    Tray* tray_ = nullptr;
    HWND owner_ = nullptr;
};

// The MessageBoxW style for a box of the program.
UINT BoxStyle(MsgIcon icon, MsgButtons buttons);
// The width a window needs to show its whole title in the title bar.
int TitleWidth(HWND window);
// The program's answer for what MessageBoxW returned.
Answer AnswerOf(int result);

} // namespace qz::win
