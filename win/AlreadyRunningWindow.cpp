#include "win/AlreadyRunningWindow.h"

#include "screens/WebLauncher.h"
#include "win/Text.h"
#include "win/Window.h"

namespace qz::win {
namespace {

using Row = Control<AlreadyRunningView, AlreadyRunningScreen>;
// clang-format off
#define QZ_PART(name) #name, +[](AlreadyRunningView& v) -> auto& { return v.name; }
// clang-format on

std::vector<Row> ControlTable() {
    return {
        {"warningIcon", {}, {14, 14, 32, 32}, Look::Warning},
        {QZ_PART(message), {58, 14, 290, 60}, Look::Wrap},
        {"logo", {}, {356, 12, 48, 48}, Look::Logo, &AlreadyRunningScreen::OnLogo},
        {QZ_PART(exit), {166, 84, 84, 25}, Look::Plain, &AlreadyRunningScreen::OnExit},
    };
}
#undef QZ_PART

constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;

} // namespace

AlreadyRunningWindow::AlreadyRunningWindow(Program& p)
    : p_(p), logic_(p, *this), gate_([this] { Render(); }, [this](int) { ShowWindow(window_, SW_HIDE); }) {
    window_ = CreateTopWindow(L"QuenzelAlreadyRunning", &WindowProc<AlreadyRunningWindow>, this, kStyle, 0,
                              nullptr, {416, 121});
    form_.Build(window_, ControlTable());
}

AlreadyRunningWindow::~AlreadyRunningWindow() {
    SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
    DestroyWindow(window_);
}

void AlreadyRunningWindow::Load() {
    gate_.Run([this] { logic_.Load(); });
    ShowWindow(window_, SW_SHOW);
    SetForegroundWindow(window_);
}

void AlreadyRunningWindow::Render() {
    const AlreadyRunningView& v = logic_.view;
    form_.Render(v);
    SetText(window_, Wide(v.caption));
    SetTopMost(window_, v.topMost);
}

LRESULT AlreadyRunningWindow::OnMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (const auto answer = FormMessage(form_, message, wParam, lParam)) return *answer;
    switch (message) {
    case WM_COMMAND:
        if (auto action = form_.Action(logic_, logic_.view, wParam, lParam)) gate_.Run(action);
        return 0;
    case WM_ACTIVATE:
        if (LOWORD(wParam) != WA_INACTIVE) PostMessageW(window, kActivated, 0, 0);
        break;
    case kActivated:
        gate_.Run([this] { logic_.OnActivated(); });
        return 0;
    // This window is all that is left of the program: closing it ends the program as its button does.
    case WM_CLOSE:
        gate_.Run([this] { logic_.OnExit(); });
        return 0;
    default:
        break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

void AlreadyRunningWindow::OpenWebPage(const std::string& page) {
    qz::OpenWebPage(p_, page);
}

} // namespace qz::win
