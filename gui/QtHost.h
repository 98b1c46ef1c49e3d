#pragma once
#include "app/Host.h"

namespace qz {

class Tray;

// The desktop's host: modal message boxes, and the end of the process at once.
class QtHost final : public Host {
  public:
    Answer ShowMessage(MsgIcon icon, MsgButtons buttons, const std::string& title,
                       const std::string& text) override;
    void RemoveTrayIcon() override;
    // Takes the tray icon away, then ends the process without running anything else of it.
    [[noreturn]] void EndProgram(int status) override;

    // The tray icon that RemoveTrayIcon and the end of the program take away.
    void SetTray(Tray* tray) { tray_ = tray; }

  private:
    Tray* tray_ = nullptr;
};

} // namespace qz
