#include "win/AboutWindow.h"

#include "app/MainWindowModel.h"
#include "screens/WebLauncher.h"
#include "win/MainWindow.h"
#include "win/Text.h"
#include "win/Window.h"

namespace qz::win {
namespace {

using Row = Control<AboutView, AboutScreen>;
// clang-format off
#define QZ_PART(name) #name, +[](AboutView& v) -> auto& { return v.name; }
// clang-format on

std::vector<Row> ControlTable() {
    return {
        {"logo", {}, {12, 12, 48, 48}, Look::Logo},
        {QZ_PART(programName), {76, 10, 220, 28}, Look::Large},
        {QZ_PART(version), {76, 40, 220, 18}},
        {QZ_PART(webSite), {76, 60, 220, 18}, Look::Link, &AboutScreen::OnWebSite},
        {QZ_PART(closeNotice), {12, 88, 284, 18}},
        {QZ_PART(exit), {216, 112, 80, 25}, Look::Plain, &AboutScreen::OnExit},
    };
}
#undef QZ_PART

constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;

} // namespace

AboutWindow::AboutWindow(Program& p, MainWindowModel& main, MainWindow& runner)
    : ScreenWindow(p, static_cast<AboutScreenHost&>(*this), runner), p_(p), main_(main) {
    window_ = CreateTopWindow(L"QuenzelAbout", &WindowProc<AboutWindow>, this, kStyle, WS_EX_DLGMODALFRAME,
                              runner.Handle(), {308, 149});
    form_.Build(window_, ControlTable());
    screen_.Load();
}

void AboutWindow::Render() {
    const AboutView& v = screen_.view;
    form_.Render(v);
    SetText(window_, Wide(v.caption));
    SetTopMost(window_, v.topMost);
    if (v.open != timerOn_) {
        timerOn_ = v.open;
        if (timerOn_)
            SetTimer(window_, kSecondTimer, 1000, nullptr);
        else
            KillTimer(window_, kSecondTimer);
    }
    if (v.open != (IsWindowVisible(window_) != FALSE)) ShowWindow(window_, v.open ? SW_SHOW : SW_HIDE);
}

LRESULT AboutWindow::OnMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (const auto answer = CommonMessage(window, message, wParam, lParam)) return *answer;
    switch (message) {
    case WM_COMMAND:
        // Escape leaves the screen as its Exit does.
        if (LOWORD(wParam) == IDCANCEL) runner_.Run([this] { screen_.Close(); });
        if (auto action = form_.Action(screen_, screen_.view, wParam, lParam)) runner_.Run(action);
        return 0;
    case WM_TIMER:
        if (wParam == kSecondTimer) runner_.Run([this] { screen_.OnSecond(); });
        return 0;
    default:
        break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

void AboutWindow::EnableMainControls() {
    main_.EnableMainControls();
}

void AboutWindow::OpenWebPage(const std::string& page) {
    qz::OpenWebPage(p_, page);
}

} // namespace qz::win
