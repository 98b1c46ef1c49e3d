#pragma once
#include <QPointer>
#include <QWidget>

#include "core/Host.h"

namespace qz {

class Tray;

// The desktop's host: modal message boxes, and the end of the process at once.
class QtHost : public Host {
  public:
    // The box opens over the owner window, in front and with the focus; over a window that stays
    // on top, it stays on top too.
    Answer ShowMessage(MsgIcon icon, MsgButtons buttons, const std::string& title,
                       const std::string& text) override;
    void RemoveTrayIcon() override;
    // Takes the tray icon away, then ends the process without running anything else of it.
    [[noreturn]] void EndProgram(int status) override;

    // The tray icon that RemoveTrayIcon and the end of the program take away.
    void SetTray(Tray* tray) { tray_ = tray; }
    // The program's window that the boxes belong to; without one, the active window.
    void SetOwner(QWidget* owner) { owner_ = owner; }

  private:
    Tray* tray_ = nullptr;
    QPointer<QWidget> owner_;
};

// Makes window the owner of the boxes of host, where host shows boxes on the desktop.
void OwnBoxes(Host& host, QWidget* window);

} // namespace qz
