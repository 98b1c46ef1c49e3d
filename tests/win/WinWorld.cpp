#include "tests/win/WinWorld.h"

#include <commctrl.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "win/Text.h"

namespace qz::test {
namespace {

// The colours a control's window gives it, as the control asks for them when it paints.
COLORREF Painted(HWND control, bool text) {
    HDC dc = CreateCompatibleDC(nullptr);
    wchar_t kind[16] = {};
    GetClassNameW(control, kind, 16);
    const UINT message =
        std::wstring(kind) == L"Edit" && IsWindowEnabled(control) ? WM_CTLCOLOREDIT : WM_CTLCOLORSTATIC;
    SendMessageW(GetParent(control), message, reinterpret_cast<WPARAM>(dc),
                 reinterpret_cast<LPARAM>(control));
    const COLORREF colour = text ? GetTextColor(dc) : GetBkColor(dc);
    DeleteDC(dc);
    return colour;
}

} // namespace

bool PumpUntil(const std::function<bool()>& done, DWORD milliseconds) {
    const ULONGLONG end = GetTickCount64() + milliseconds;
    for (;;) {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        if (done()) return true;
        const ULONGLONG now = GetTickCount64();
        if (now >= end) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(end - now), QS_ALLINPUT);
    }
}

std::string Text(HWND control) {
    return win::TextOf(control);
}

COLORREF Fore(HWND control) {
    return Painted(control, true);
}

COLORREF Back(HWND control) {
    return Painted(control, false);
}

bool Bold(HWND control) {
    LOGFONTW face{};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)), sizeof(face), &face);
    return face.lfWeight >= FW_BOLD;
}

std::string Tip(HWND tooltip, HWND control) {
    wchar_t text[512] = {};
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof(tool);
    tool.uFlags = TTF_IDISHWND;
    tool.hwnd = GetParent(control);
    tool.uId = reinterpret_cast<UINT_PTR>(control);
    tool.lpszText = text;
    SendMessageW(tooltip, TTM_GETTEXTW, 512, reinterpret_cast<LPARAM>(&tool));
    return win::Utf8(text);
}

bool Enabled(HWND control) {
    return IsWindowEnabled(control) != FALSE;
}

void Click(HWND control) {
    SendMessageW(control, BM_CLICK, 0, 0);
}

void Type(HWND field, const std::string& text) {
    // A single-line field reports the change to its window as typing does.
    SendMessageW(field, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(win::Wide(text).c_str()));
}

void Choose(HWND list, const std::string& item) {
    const LRESULT index = SendMessageW(list, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                       reinterpret_cast<LPARAM>(win::Wide(item).c_str()));
    SendMessageW(list, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    SendMessageW(GetParent(list), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(list), CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(list));
}

void Picture(HWND window, const char* file, int margin) {
    RECT r{};
    GetWindowRect(window, &r);
    // The title bar the window manager draws lies above the window's own rectangle.
    Picture({r.left - margin, r.top - margin - 24, r.right + margin, r.bottom + margin}, file);
}

void Picture(RECT r, const char* file) {
    const char* folder = std::getenv("QZ_PICTURES");
    if (!folder) return;
    if (GetSystemMetrics(SM_CXSCREEN) - 1 != r.right) SetCursorPos(GetSystemMetrics(SM_CXSCREEN) - 1, 0);
    PumpUntil([] { return false; }, 300); // painted, and framed by the window manager
    const std::filesystem::path request = std::filesystem::path(folder) / (std::string(file) + ".take");
    std::ofstream(request) << r.left << ',' << r.top << ',' << r.right << ',' << r.bottom << '\n';
    PumpUntil([&] { return !std::filesystem::exists(request); }, 20000);
}

} // namespace qz::test
