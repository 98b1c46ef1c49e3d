#pragma once
#include <windows.h>

#include <optional>

#include "win/Form.h"

namespace qz::win {

// Messages the windows post to themselves, so the work runs after the message that caused it.
inline constexpr UINT kActivated = WM_APP + 10; // the window became active
inline constexpr UINT kResized = WM_APP + 11;   // the user minimised or restored the window
inline constexpr UINT kReap = WM_APP + 12;      // a screen has unloaded: its window goes
inline constexpr UINT kPopup = WM_APP + 13;     // the tray's popup menu opens
inline constexpr UINT kSocket = WM_APP + 14;    // the link socket has data
inline constexpr UINT kDpiChanged = 0x02E0;     // WM_DPICHANGED, which older headers lack

// A top-level window of the program whose messages go to owner->OnMessage.
template <class Owner> LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE)
        SetWindowLongPtrW(
            window, GWLP_USERDATA,
            reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams));
    auto* owner = reinterpret_cast<Owner*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!owner) return DefWindowProcW(window, message, wParam, lParam);
    return owner->OnMessage(window, message, wParam, lParam);
}

// Creates a window of the class (registered on first use) with a client area of the given size
// (96 dots an inch), centred on the screen.
HWND CreateTopWindow(const wchar_t* className, WNDPROC proc, void* owner, DWORD style, DWORD exStyle,
                     HWND parent, SIZE client);

// The messages every window hands to its form: colours, owner-drawn pictures, the hand cursor.
std::optional<LRESULT> FormMessage(Form& form, UINT message, WPARAM wParam, LPARAM lParam);

// Places the window on top of all others or back among them, when it is not so already.
void SetTopMost(HWND window, bool topMost);

} // namespace qz::win
