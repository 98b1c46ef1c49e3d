#include "win/Form.h"

#include <commctrl.h>

#include <algorithm>

#include "win/Icons.h"
#include "win/Text.h"

namespace qz::win {
namespace {

constexpr Colour kSystemColour = 0x80000000;

} // namespace

COLORREF ToColorRef(Colour colour) {
    if (colour & kSystemColour) return GetSysColor(static_cast<int>(colour & 0xFF));
    return colour & 0xFFFFFF;
}

std::string TextOf(HWND control) {
    std::wstring text(static_cast<size_t>(GetWindowTextLengthW(control)) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(control, text.data(), static_cast<int>(text.size()))));
    return Utf8(text);
}

Form::~Form() {
    for (const auto& [key, font] : fonts_)
        DeleteObject(font);
    for (const auto& [colour, brush] : brushes_)
        DeleteObject(brush);
}

void Form::Attach(HWND window) {
    window_ = window;
    HDC screen = GetDC(window);
    dpi_ = systemDpi_ = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(window, screen);
    tooltip_ = CreateWindowExW(
        WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT,
        CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, window, nullptr, GetModuleHandleW(nullptr), nullptr);
    SendMessageW(tooltip_, TTM_SETMAXTIPWIDTH, 0, Scale(400));
}

HWND Form::Add(Look look, const wchar_t* kind, DWORD style, Box at, int id) {
    if (look == Look::Wrap) style &= ~static_cast<DWORD>(SS_LEFTNOWORDWRAP);
    if (look == Look::Centre) style |= SS_CENTER;
    if (look == Look::Right) style |= SS_RIGHT;
    if (look == Look::Link || look == Look::Logo) style |= SS_NOTIFY;
    if (look == Look::Logo) style |= SS_OWNERDRAW;
    if (look == Look::Warning) style |= SS_ICON;
    HWND control = CreateWindowExW(
        0, kind, L"", WS_CHILD | WS_VISIBLE | style, Scale(at.x), Scale(at.y), Scale(at.w), Scale(at.h),
        window_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(Font(false, look)), FALSE);
    placed_.push_back({control, at, look});
    if (look == Look::Warning)
        SendMessageW(control, STM_SETICON, reinterpret_cast<WPARAM>(LoadIconW(nullptr, IDI_WARNING)), 0);
    return control;
}

HFONT Form::Font(bool bold, Look look) {
    const int key = (bold ? 1 : 0) | (look == Look::Large ? 2 : 0) | (look == Look::Link ? 4 : 0);
    if (auto found = fonts_.find(key); found != fonts_.end()) return found->second;
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof(metrics);
    SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0);
    LOGFONTW face = metrics.lfMessageFont; // for the system's dots per inch
    face.lfHeight = MulDiv(face.lfHeight, dpi_, systemDpi_);
    if (bold) face.lfWeight = FW_BOLD;
    if (look == Look::Large) face.lfHeight = face.lfHeight * 3 / 2;
    if (look == Look::Link) face.lfUnderline = TRUE;
    return fonts_[key] = CreateFontIndirectW(&face);
}

void Form::Rescale(int dpi) {
    if (dpi == dpi_ || dpi <= 0) return;
    dpi_ = dpi;
    std::map<int, HFONT> old;
    old.swap(fonts_);
    for (const Placed& control : placed_) {
        LOGFONTW face{};
        GetObjectW(reinterpret_cast<HFONT>(SendMessageW(control.window, WM_GETFONT, 0, 0)), sizeof(face),
                   &face);
        SendMessageW(control.window, WM_SETFONT,
                     reinterpret_cast<WPARAM>(Font(face.lfWeight >= FW_BOLD, control.look)), FALSE);
        const Box& at = control.at;
        MoveWindow(control.window, Scale(at.x), Scale(at.y), Scale(at.w), Scale(at.h), TRUE);
    }
    for (const auto& [key, font] : old)
        DeleteObject(font);
}

HBRUSH Form::Brush(COLORREF colour) {
    auto [at, added] = brushes_.try_emplace(colour, nullptr);
    if (added) at->second = CreateSolidBrush(colour);
    return at->second;
}

void SetText(HWND control, const std::wstring& text) {
    std::wstring now(static_cast<size_t>(GetWindowTextLengthW(control)) + 1, L'\0');
    now.resize(static_cast<size_t>(GetWindowTextW(control, now.data(), static_cast<int>(now.size()))));
    if (now != text) SetWindowTextW(control, text.c_str());
}

void Form::SetTip(HWND control, const std::string& tip) {
    std::wstring text = Wide(tip);
    auto [at, added] = tips_.try_emplace(control);
    if (!added && at->second == text) return;
    at->second = std::move(text);
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof(tool);
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = window_;
    tool.uId = reinterpret_cast<UINT_PTR>(control);
    tool.lpszText = at->second.data();
    SendMessageW(tooltip_, added ? TTM_ADDTOOLW : TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
}

void Form::SetEnabled(HWND control, bool enabled) {
    if ((IsWindowEnabled(control) != FALSE) != enabled) EnableWindow(control, enabled);
}

void Form::Show(HWND control, const LabelView& view, Look look) {
    SetText(control, Wide(view.text));
    const Paint paint{view.fore, view.back};
    auto [at, added] = paints_.try_emplace(control, paint);
    bool repaint = added || at->second.fore != paint.fore || at->second.back != paint.back;
    at->second = paint;
    HFONT font = Font(view.bold, look);
    if (reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)) != font) {
        SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
        repaint = true;
    }
    if (repaint) InvalidateRect(control, nullptr, TRUE);
}

void Form::Show(HWND control, const ButtonView& view) {
    SetText(control, Wide(view.caption));
    SetTip(control, view.tooltip);
    SetEnabled(control, view.enabled);
}

void Form::Show(HWND control, const TextFieldView& view) {
    SetText(control, Wide(view.text));
    SetTip(control, view.tooltip);
    SetEnabled(control, view.enabled);
    const bool readOnly = (GetWindowLongW(control, GWL_STYLE) & ES_READONLY) != 0;
    if (readOnly != view.readOnly) SendMessageW(control, EM_SETREADONLY, view.readOnly, 0);
    const auto before = paints_.find(control);
    if (before == paints_.end() || before->second.back != view.back) InvalidateRect(control, nullptr, TRUE);
    paints_[control] = Paint{0x80000008, view.back}; // window text
}

void Form::Show(HWND control, const CheckBoxView& view) {
    const WPARAM state = view.checked ? BST_CHECKED : BST_UNCHECKED;
    if (static_cast<WPARAM>(SendMessageW(control, BM_GETCHECK, 0, 0)) != state)
        SendMessageW(control, BM_SETCHECK, state, 0);
    SetTip(control, view.tooltip);
    SetEnabled(control, view.enabled);
}

void Form::Show(HWND control, const ListView& view) {
    auto& shown = items_[control];
    if (shown != view.items) {
        shown = view.items;
        SendMessageW(control, CB_RESETCONTENT, 0, 0);
        for (const std::string& item : view.items)
            SendMessageW(control, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Wide(item).c_str()));
    }
    // The lists compare their texts exactly; an unknown text shows no item.
    LRESULT index = -1;
    for (size_t i = 0; i < view.items.size(); ++i)
        if (view.items[i] == view.text) index = static_cast<LRESULT>(i);
    if (SendMessageW(control, CB_GETCURSEL, 0, 0) != index)
        SendMessageW(control, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    SetTip(control, view.tooltip);
}

std::optional<LRESULT> Form::Colour(HWND control, HDC dc) {
    const auto found = paints_.find(control);
    if (found == paints_.end()) {
        // Check boxes and pictures stand on the window's own face.
        if (GetParent(control) != window_) return std::nullopt;
        SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
        return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
    }
    const COLORREF back = ToColorRef(found->second.back);
    SetTextColor(dc, ToColorRef(found->second.fore));
    SetBkColor(dc, back);
    SetBkMode(dc, OPAQUE);
    return reinterpret_cast<LRESULT>(Brush(back));
}

bool Form::SetCursorFor(HWND control) const {
    if (std::find(clickable_.begin(), clickable_.end(), control) == clickable_.end()) return false;
    SetCursor(LoadCursorW(nullptr, IDC_HAND));
    return true;
}

void Form::Draw(const DRAWITEMSTRUCT& item) {
    const RECT& r = item.rcItem;
    const int side = std::min(r.right - r.left, r.bottom - r.top);
    FillRect(item.hDC, &r, GetSysColorBrush(COLOR_BTNFACE));
    DrawIconEx(item.hDC, r.left, r.top, LogoIcon(side), side, side, 0, nullptr, DI_NORMAL);
}

} // namespace qz::win
