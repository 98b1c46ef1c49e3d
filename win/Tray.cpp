#include "win/Tray.h"

#include <shellapi.h>

#include <algorithm>

#include "win/Icons.h"
#include "win/Text.h"

namespace qz::win {
namespace {

template <size_t N> void Copy(wchar_t (&field)[N], const std::string& text) {
    const std::wstring wide = Wide(text);
    const size_t length = std::min(wide.size(), N - 1);
    std::copy_n(wide.begin(), length, field);
    field[length] = L'\0';
}

} // namespace

bool Tray::Send(DWORD message, UINT flags) {
    NOTIFYICONDATAW data{};
    data.cbSize = sizeof(data);
    data.hWnd = window_;
    data.uID = 1;
    data.uFlags = flags | NIF_MESSAGE | NIF_ICON | NIF_TIP;
    data.uCallbackMessage = kCallback;
    data.hIcon = TrayIcon(key_, GetSystemMetrics(SM_CXSMICON));
    Copy(data.szTip, tip_);
    return Shell_NotifyIconW(message, &data) != FALSE;
}

void Tray::Show(const std::string& key, const std::string& tip) {
    if (removed_ || !window_) return;
    if (key.empty()) {
        Delete();
        key_.clear();
        return;
    }
    if (shown_ && key == key_ && tip == tip_) return;
    key_ = key;
    tip_ = tip;
    // A modify of an icon that went away with its taskbar fails: it is added again.
    if (!shown_ || !Send(NIM_MODIFY, 0)) shown_ = Send(NIM_ADD, 0);
}

void Tray::Notify(const std::string& title, const std::string& text) {
    if (removed_ || !shown_) return;
    NOTIFYICONDATAW data{};
    data.cbSize = sizeof(data);
    data.hWnd = window_;
    data.uID = 1;
    data.uFlags = NIF_INFO;
    data.dwInfoFlags = NIIF_WARNING;
    Copy(data.szInfoTitle, title);
    Copy(data.szInfo, text);
    Shell_NotifyIconW(NIM_MODIFY, &data);
}

void Tray::Remove() {
    removed_ = true;
    Delete();
}

void Tray::Delete() {
    if (!shown_) return;
    NOTIFYICONDATAW data{};
    data.cbSize = sizeof(data);
    data.hWnd = window_;
    data.uID = 1;
    Shell_NotifyIconW(NIM_DELETE, &data);
    shown_ = false;
}

void Tray::Restore() {
    if (removed_ || key_.empty()) return;
    shown_ = Send(NIM_ADD, 0);
}

} // namespace qz::win
