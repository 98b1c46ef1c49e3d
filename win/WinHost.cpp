#include "win/WinHost.h"

#include <cstdio>
#include <cstdlib>
#include <string>

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

namespace {

HHOOK boxHook = nullptr;

// A message box is as wide as its text and buttons only, so a long title would be cut off: the box
// is widened to show its whole title, its buttons kept in the middle.
LRESULT CALLBACK WidenBox(int code, WPARAM wParam, LPARAM lParam) {
    HWND box = reinterpret_cast<HWND>(wParam);
    wchar_t kind[8] = {};
    if (code == HCBT_ACTIVATE && GetClassNameW(box, kind, 8) && std::wstring(kind) == L"#32770") {
        UnhookWindowsHookEx(boxHook);
        boxHook = nullptr;
        RECT frame{};
        GetWindowRect(box, &frame);
        const int wanted = TitleWidth(box);
        const int more = wanted - (frame.right - frame.left);
        if (more > 0) {
            SetWindowPos(box, nullptr, frame.left - more / 2, frame.top, wanted, frame.bottom - frame.top,
                         SWP_NOZORDER | SWP_NOACTIVATE);
            for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
                if (!GetClassNameW(child, kind, 8) || std::wstring(kind) != L"Button") continue;
                RECT at{};
                GetWindowRect(child, &at);
                MapWindowPoints(nullptr, box, reinterpret_cast<POINT*>(&at), 2);
                SetWindowPos(child, nullptr, at.left + more / 2, at.top, 0, 0,
                             SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
            }
        }
        return 0;
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

} // namespace

int TitleWidth(HWND window) {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof(metrics);
    SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0);
    HFONT font = CreateFontIndirectW(&metrics.lfCaptionFont);
    HDC dc = GetDC(window);
    HGDIOBJ old = SelectObject(dc, font);
    wchar_t title[256] = {};
    const int length = GetWindowTextW(window, title, 256);
    SIZE text{};
    GetTextExtentPoint32W(dc, title, length, &text);
    SelectObject(dc, old);
    ReleaseDC(window, dc);
    DeleteObject(font);
    // The window's icon, its close box and the frames on either side, with a margin.
    return text.cx + GetSystemMetrics(SM_CXSMICON) + GetSystemMetrics(SM_CXSIZE) +
           4 * GetSystemMetrics(SM_CXFRAME) + 24;
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
    if (!boxHook) boxHook = SetWindowsHookExW(WH_CBT, WidenBox, nullptr, GetCurrentThreadId());
    const int answer = MessageBoxW(owner, Wide(text).c_str(), Wide(title).c_str(), style);
    if (boxHook) UnhookWindowsHookEx(boxHook);
    boxHook = nullptr;
    return AnswerOf(answer);
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
