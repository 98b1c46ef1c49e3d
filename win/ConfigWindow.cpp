#include "win/ConfigWindow.h"

#include "app/App.h"
#include "screens/WebLauncher.h"
#include "win/MainWindow.h"
#include "win/Text.h"
#include "win/Window.h"

namespace qz::win {
namespace {

using Row = Control<ConfigView, ConfigScreen>;
#define QZ_PART(name) #name, &ConfigView::name

// The screen's rows, top to bottom: a label, the field, its hint, and on some rows a check box with
// its label at the far right.
std::vector<Row> ControlTable() {
    auto y = [](int row) { return 62 + row * 26; };
    auto label = [&](int row) { return Box{12, y(row) + 3, 112, 18}; };
    auto field = [&](int row) { return Box{128, y(row), 170, 22}; };
    auto hint = [&](int row) { return Box{304, y(row) + 3, 300, 18}; };
    auto checkLabel = [&](int row) { return Box{606, y(row) + 3, 126, 18}; };
    auto check = [&](int row) { return Box{738, y(row) + 2, 18, 20}; };
    auto heading = [&](int row) { return Box{12, y(row) + 6, 300, 18}; };
    auto button = [](int i) { return Box{222 + i * 108, 608, 100, 25}; };
    using S = ConfigScreen;
    return {
        {QZ_PART(TMessage), {12, 16, 560, 18}},
        {"Logo", {}, {706, 8, 48, 48}, Look::Logo, &S::OnLogo},
        {QZ_PART(GeneralHeading), heading(0)},
        {QZ_PART(Proc1L), label(1)},
        {QZ_PART(Proc1T), field(1)},
        {QZ_PART(Proc1M), hint(1)},
        {QZ_PART(RunOnTopL), checkLabel(1), Look::Right},
        {QZ_PART(RunOnTopT), check(1), Look::Plain, nullptr, &S::OnRunOnTopTicked},
        {QZ_PART(Proc2L), label(2)},
        {QZ_PART(Proc2T), field(2)},
        {QZ_PART(Proc2M), hint(2)},
        {QZ_PART(StartMinL), checkLabel(2), Look::Right},
        {QZ_PART(StartMinT), check(2)},
        {QZ_PART(Proc3L), label(3)},
        {QZ_PART(Proc3T), field(3)},
        {QZ_PART(Proc3M), hint(3)},
        {QZ_PART(ProcDelayL), label(4)},
        {QZ_PART(ProcDelayT), field(4)},
        {QZ_PART(ProcDelayM), hint(4)},
        {QZ_PART(DelTimeL), label(5)},
        {QZ_PART(DelTimeT), field(5)},
        {QZ_PART(DelTimeM), hint(5)},
        {QZ_PART(Del_OnL), checkLabel(5), Look::Right},
        {QZ_PART(Del_OnT), check(5), Look::Plain, nullptr, &S::OnFixedDelayTicked},
        {QZ_PART(StopTimeL), label(6)},
        {QZ_PART(StopTimeT), field(6)},
        {QZ_PART(StopTimeM), hint(6)},
        {QZ_PART(Stop_OnL), checkLabel(6), Look::Right},
        {QZ_PART(Stop_OnT), check(6), Look::Plain, nullptr, &S::OnFixedTimeTicked},
        {QZ_PART(LogLevelL), label(7)},
        {QZ_PART(LogLevelT), field(7), Look::Plain, nullptr, nullptr, &S::OnLogLevelChosen},
        {QZ_PART(LogLevelM), hint(7)},
        {QZ_PART(LogNameL), label(8)},
        {QZ_PART(LogNameT), field(8)},
        {QZ_PART(LogNameM), hint(8)},
        // The path field is wide, so its hint goes on the line below it.
        {QZ_PART(LogPathL), label(9)},
        {QZ_PART(LogPathT), {128, y(9), 476, 22}},
        {QZ_PART(LogPathM), {128, y(10) + 3, 476, 18}},
        {QZ_PART(StartDelayL), label(11)},
        {QZ_PART(StartDelayT), field(11)},
        {QZ_PART(StartDelayM), hint(11)},
        {QZ_PART(StartTimeL), checkLabel(11), Look::Right},
        {QZ_PART(StartTimeT), check(11), Look::Plain, nullptr, &S::OnStartAtTimeTicked},
        {QZ_PART(ShutdownHeading), heading(12)},
        {QZ_PART(ShutTimeL), label(13)},
        {QZ_PART(ShutTimeT), field(13)},
        {QZ_PART(ShutTimeM), hint(13)},
        {QZ_PART(ForceL), checkLabel(13), Look::Right},
        {QZ_PART(ForceT), check(13), Look::Plain, nullptr, &S::OnForceTicked},
        {QZ_PART(ShutNameL), label(14)},
        {QZ_PART(ShutNameT), field(14), Look::Plain, nullptr, nullptr, &S::OnShutdownTypeChosen},
        {QZ_PART(ShutTypeM), hint(14)},
        {QZ_PART(UExitL), checkLabel(14), Look::Right},
        {QZ_PART(UExitT), check(14)},
        {QZ_PART(CommsHeading), heading(15)},
        {QZ_PART(ComDelayL), label(16)},
        {QZ_PART(ComDelayT), field(16)},
        {QZ_PART(ComDelayM), hint(16)},
        {QZ_PART(DNameL), checkLabel(16), Look::Right},
        {QZ_PART(DNameT), check(16), Look::Plain, nullptr, &S::OnDomainNameTicked},
        {QZ_PART(IPAddL), label(17)},
        {QZ_PART(IPAddT), field(17)},
        {QZ_PART(IPAddM), hint(17)},
        {QZ_PART(Port1L), label(18)},
        {QZ_PART(Port1T), field(18)},
        {QZ_PART(Port1M), hint(18)},
        {QZ_PART(Port2L), label(19)},
        {QZ_PART(Port2T), field(19)},
        {QZ_PART(Port2M), hint(19)},
        {QZ_PART(Status), {12, 584, 742, 18}},
        {QZ_PART(Archive), button(0), Look::Plain, &S::OnArchive},
        {QZ_PART(ViewL), button(1), Look::Plain, &S::OnViewLog},
        {QZ_PART(Restore), button(2), Look::Plain, &S::OnRestore},
        {QZ_PART(Save), button(3), Look::Plain, &S::OnSave},
        {QZ_PART(ExitConfig), button(4), Look::Plain, &S::OnExit},
    };
}
#undef QZ_PART

constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;

} // namespace

ConfigWindow::ConfigWindow(Program& p, App& main, MainWindow& runner)
    : p_(p), main_(main), runner_(runner), screen_(p, *this) {
    window_ = CreateTopWindow(L"QuenzelConfig", &WindowProc<ConfigWindow>, this, kStyle, 0, runner.Handle(),
                              {766, 645});
    form_.Build(window_, ControlTable());
    screen_.Load();
}

ConfigWindow::~ConfigWindow() {
    SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
    DestroyWindow(window_);
}

void ConfigWindow::FollowTimer(UINT_PTR timer, bool enabled, UINT milliseconds) {
    bool& on = timer == kCloseCountdown ? countdownOn_ : timeoutOn_;
    if (on == enabled) return;
    on = enabled;
    if (on)
        SetTimer(window_, timer, milliseconds, nullptr);
    else
        KillTimer(window_, timer);
}

void ConfigWindow::Render() {
    const ConfigView& v = screen_.view;
    form_.Render(v);
    SetText(window_, Wide(v.caption));
    FollowTimer(kCloseCountdown, v.open && screen_.closeCountdownEnabled, 1000);
    FollowTimer(kStatusTimeout, v.open && screen_.statusTimeoutEnabled, 2000);
    if (v.open != (IsWindowVisible(window_) != FALSE)) ShowWindow(window_, v.open ? SW_SHOW : SW_HIDE);
}

LRESULT ConfigWindow::OnMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (const auto answer = FormMessage(form_, message, wParam, lParam)) return *answer;
    switch (message) {
    case WM_COMMAND:
        if (auto action = form_.Action(screen_, screen_.view, wParam, lParam)) runner_.Run(action);
        return 0;
    case WM_TIMER:
        if (wParam == kCloseCountdown) runner_.Run([this] { screen_.OnSecond(); });
        if (wParam == kStatusTimeout) {
            // It fires once; the view starts it again when it asks for it again.
            KillTimer(window, kStatusTimeout);
            timeoutOn_ = false;
            runner_.Run([this] { screen_.OnStatusTimeout(); });
        }
        return 0;
    case WM_ACTIVATE:
        if (LOWORD(wParam) != WA_INACTIVE) PostMessageW(window, kActivated, 0, 0);
        break;
    case kActivated:
        if (Open()) runner_.Run([this] { screen_.OnActivated(); });
        return 0;
    case WM_CLOSE:
        runner_.Run([this] { screen_.Close(); });
        return 0;
    default:
        break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

void ConfigWindow::ResetMonitor() {
    main_.monitor.Reset();
}

void ConfigWindow::ShowStatus() {
    main_.monitor.ShowStatus();
}

void ConfigWindow::EnableMainControls() {
    main_.window.EnableMainControls();
}

void ConfigWindow::SetTopMost(bool topMost) {
    win::SetTopMost(window_, topMost);
}

void ConfigWindow::OpenWebPage(const std::string& page) {
    qz::OpenWebPage(p_, page);
}

} // namespace qz::win
