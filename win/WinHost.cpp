#include "win/WinHost.h"

#include <cstdio>
#include <cstdlib>

#include "win/Text.h"
#include "win/Tray.h"

namespace qz::win {

UINT BoxStyle(MsgIcon icon, MsgButtons buttons) {
    UINT style = MB_OK;
    if (buttons == MsgButtons::YesNo) style = MB_YESNO;
    if (buttons == MsgButtons::YesNoCancel) style = MB_YESNOCANCEL;
    if (icon == MsgIcon::Critical) style |= MB_ICONERROR;
    if (icon == MsgIcon::Exclamation) style |= MB_ICONWARNING;
    if (icon == MsgIcon::Information) style |= MB_ICONINFORMATION;
    return style;
}

Answer AnswerOf(int result) {
    switch (result) {
    case IDYES:
        return Answer::Yes;
    case IDNO:
        return Answer::No;
    case IDCANCEL:
        return Answer::Cancel;
    default:
        return Answer::Ok;
    }
}

Answer WinHost::ShowMessage(MsgIcon icon, MsgButtons buttons, const std::string& title,
                            const std::string& text) {
    // The program's window the user is at (the configuration screen, say), else the main window.
    HWND owner = GetActiveWindow();
    if (!owner && owner_ && IsWindowVisible(owner_)) owner = owner_;
    // Without a shown owner (the countdown ends while the user works elsewhere) the box must still
    // come to the front, or it would wait unseen.
    UINT style = BoxStyle(icon, buttons) | MB_SETFOREGROUND;
    if (!owner) style |= MB_TOPMOST;
    if (owner && (GetWindowLongW(owner, GWL_EXSTYLE) & WS_EX_TOPMOST)) style |= MB_TOPMOST;
    return AnswerOf(MessageBoxW(owner, Wide(text).c_str(), Wide(title).c_str(), style));
}

void WinHost::RemoveTrayIcon() {
    if (tray_) tray_->Remove();
}

void WinHost::EndProgram(int status) {
    RemoveTrayIcon();
    // Nothing may run after this: no pending message, no destructor of a window that is mid-event.
    std::fflush(nullptr);
    std::_Exit(status);
}

} // namespace qz::win
