#pragma once
#include <windows.h>

#include <optional>

#include "win/MainWindow.h"
#include "win/Window.h"

namespace qz::win {

// The messages the About and the configuration screens' windows answer alike: the form's own, the
// activation (handled once the activation itself is over) and the title bar's close. Nothing for the
// others, nor for WM_ACTIVATE, which the default handling needs as well.
template <class Screen, class View>
std::optional<LRESULT> ScreenMessage(ViewForm<View, Screen>& form, Screen& screen, MainWindow& runner,
                                     HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (const auto answer = FormMessage(form, message, wParam, lParam)) return answer;
    switch (message) {
    case WM_ACTIVATE:
        if (LOWORD(wParam) != WA_INACTIVE) PostMessageW(window, kActivated, 0, 0);
        return std::nullopt;
    case kActivated:
        if (screen.view.open) runner.Run([&screen] { screen.OnActivated(); });
        return 0;
    case WM_CLOSE:
        runner.Run([&screen] { screen.Close(); });
        return 0;
    default:
        return std::nullopt;
    }
}

} // namespace qz::win
