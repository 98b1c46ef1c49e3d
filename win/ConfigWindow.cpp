#include "win/ConfigWindow.h"

#include "app/App.h"
#include "app/ProgramEnd.h"
#include "screens/WebLauncher.h"
#include "win/MainWindow.h"
#include "win/Text.h"
#include "win/Window.h"

namespace qz::win {
namespace {

using Row = Control<ConfigView, ConfigScreen>;
// clang-format off
#define QZ_AT(name, part) name, +[](ConfigView& v) -> auto& { return v.part; }
// clang-format on

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
        {QZ_AT("closeNotice", closeNotice), {12, 16, 560, 18}},
        {"logo", {}, {706, 8, 48, 48}, Look::Logo, &S::OnLogo},
        {QZ_AT("generalHeading", generalHeading), heading(0)},
        {QZ_AT("processName1Label", processNames[0].label), label(1)},
        {QZ_AT("processName1", processNames[0].field), field(1)},
        {QZ_AT("processName1Hint", processNames[0].hint), hint(1)},
        {QZ_AT("runOnTopLabel", runOnTop.label), checkLabel(1), Look::Right},
        {QZ_AT("runOnTop", runOnTop.box), check(1), Look::Plain, nullptr, &S::OnRunOnTopTicked},
        {QZ_AT("processName2Label", processNames[1].label), label(2)},
        {QZ_AT("processName2", processNames[1].field), field(2)},
        {QZ_AT("processName2Hint", processNames[1].hint), hint(2)},
        {QZ_AT("runInTrayLabel", runInTray.label), checkLabel(2), Look::Right},
        {QZ_AT("runInTray", runInTray.box), check(2)},
        {QZ_AT("processName3Label", processNames[2].label), label(3)},
        {QZ_AT("processName3", processNames[2].field), field(3)},
        {QZ_AT("processName3Hint", processNames[2].hint), hint(3)},
        {QZ_AT("processDelayLabel", processDelay.label), label(4)},
        {QZ_AT("processDelay", processDelay.field), field(4)},
        {QZ_AT("processDelayHint", processDelay.hint), hint(4)},
        {QZ_AT("shutdownAfterLabel", shutdownAfter.label), label(5)},
        {QZ_AT("shutdownAfter", shutdownAfter.field), field(5)},
        {QZ_AT("shutdownAfterHint", shutdownAfter.hint), hint(5)},
        {QZ_AT("fixedDelayLabel", fixedDelay.label), checkLabel(5), Look::Right},
        {QZ_AT("fixedDelay", fixedDelay.box), check(5), Look::Plain, nullptr, &S::OnFixedDelayTicked},
        {QZ_AT("shutdownAtLabel", shutdownAt.label), label(6)},
        {QZ_AT("shutdownAt", shutdownAt.field), field(6)},
        {QZ_AT("shutdownAtHint", shutdownAt.hint), hint(6)},
        {QZ_AT("fixedTimeLabel", fixedTime.label), checkLabel(6), Look::Right},
        {QZ_AT("fixedTime", fixedTime.box), check(6), Look::Plain, nullptr, &S::OnFixedTimeTicked},
        {QZ_AT("logLevelLabel", logLevel.label), label(7)},
        {QZ_AT("logLevel", logLevel.list), field(7), Look::Plain, nullptr, nullptr, &S::OnLogLevelChosen},
        {QZ_AT("logLevelHint", logLevel.hint), hint(7)},
        {QZ_AT("logNameLabel", logName.label), label(8)},
        {QZ_AT("logName", logName.field), field(8)},
        {QZ_AT("logNameHint", logName.hint), hint(8)},
        // The path field is wide, so its hint goes on the line below it.
        {QZ_AT("logPathLabel", logPath.label), label(9)},
        {QZ_AT("logPath", logPath.field), {128, y(9), 476, 22}},
        {QZ_AT("logPathHint", logPath.hint), {128, y(10) + 3, 476, 18}},
        {QZ_AT("activationLabel", activation.label), label(11)},
        {QZ_AT("activation", activation.field), field(11)},
        {QZ_AT("activationHint", activation.hint), hint(11)},
        {QZ_AT("activateAtTimeLabel", activateAtTime.label), checkLabel(11), Look::Right},
        {QZ_AT("activateAtTime", activateAtTime.box), check(11), Look::Plain, nullptr,
         &S::OnActivateAtTimeTicked},
        {QZ_AT("shutdownHeading", shutdownHeading), heading(12)},
        {QZ_AT("countdownLabel", countdown.label), label(13)},
        {QZ_AT("countdown", countdown.field), field(13)},
        {QZ_AT("countdownHint", countdown.hint), hint(13)},
        {QZ_AT("forceLabel", force.label), checkLabel(13), Look::Right},
        {QZ_AT("force", force.box), check(13), Look::Plain, nullptr, &S::OnForceTicked},
        {QZ_AT("shutdownTypeLabel", shutdownType.label), label(14)},
        {QZ_AT("shutdownType", shutdownType.list), field(14), Look::Plain, nullptr, nullptr,
         &S::OnShutdownTypeChosen},
        {QZ_AT("shutdownTypeHint", shutdownType.hint), hint(14)},
        {QZ_AT("userExitLabel", userExit.label), checkLabel(14), Look::Right},
        {QZ_AT("userExit", userExit.box), check(14)},
        {QZ_AT("commsHeading", commsHeading), heading(15)},
        {QZ_AT("lostLinkDelayLabel", lostLinkDelay.label), label(16)},
        {QZ_AT("lostLinkDelay", lostLinkDelay.field), field(16)},
        {QZ_AT("lostLinkDelayHint", lostLinkDelay.hint), hint(16)},
        {QZ_AT("domainNameLabel", domainName.label), checkLabel(16), Look::Right},
        {QZ_AT("domainName", domainName.box), check(16), Look::Plain, nullptr, &S::OnDomainNameTicked},
        {QZ_AT("addressLabel", address.label), label(17)},
        {QZ_AT("address", address.field), field(17)},
        {QZ_AT("addressHint", address.hint), hint(17)},
        {QZ_AT("txPortLabel", txPort.label), label(18)},
        {QZ_AT("txPort", txPort.field), field(18)},
        {QZ_AT("txPortHint", txPort.hint), hint(18)},
        {QZ_AT("rxPortLabel", rxPort.label), label(19)},
        {QZ_AT("rxPort", rxPort.field), field(19)},
        {QZ_AT("rxPortHint", rxPort.hint), hint(19)},
        {QZ_AT("status", status), {12, 584, 742, 18}},
        {QZ_AT("archive", archive), button(0), Look::Plain, &S::OnArchive},
        {QZ_AT("viewLog", viewLog), button(1), Look::Plain, &S::OnViewLog},
        {QZ_AT("restore", restore), button(2), Look::Plain, &S::OnRestore},
        {QZ_AT("save", save), button(3), Look::Plain, &S::OnSave},
        {QZ_AT("exit", exit), button(4), Look::Plain, &S::OnExit},
    };
}
#undef QZ_AT

constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;

} // namespace

ConfigWindow::ConfigWindow(Program& p, App& main, MainWindow& runner)
    : ScreenWindow(p, static_cast<ConfigScreenHost&>(*this), runner), p_(p), main_(main) {
    window_ = CreateTopWindow(L"QuenzelConfig", &WindowProc<ConfigWindow>, this, kStyle, 0, runner.Handle(),
                              {766, 645});
    form_.Build(window_, ControlTable());
    screen_.Load();
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
    if (const auto answer = CommonMessage(window, message, wParam, lParam)) return *answer;
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
    default:
        break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

void ConfigWindow::ResetProgram() {
    qz::ResetProgram(p_, main_.monitor);
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

void ConfigWindow::EndProgram(const Fault& fault) {
    EndWithFault(p_, fault);
}

} // namespace qz::win
