#include <winsock2.h>

#include "win/MainWindow.h"

#include <array>

#include "screens/WebLauncher.h"
#include "win/AboutWindow.h"
#include "win/ConfigWindow.h"
#include "win/Text.h"
#include "win/Window.h"

namespace qz::win {
namespace {

using Row = Control<MainView, MainWindowModel>;
// clang-format off
#define QZ_PART(name) #name, +[](MainView& v) -> auto& { return v.name; }
// clang-format on

// Every control of the window, the part of the view it shows and the handler it runs.
std::vector<Row> ControlTable() {
    constexpr int kButtonY = 74, kButtonW = 62, kButtonH = 25, kGap = 4;
    auto button = [](int i) { return Box{10 + i * (kButtonW + kGap), kButtonY, kButtonW, kButtonH}; };
    return {
        {"logo", {}, {10, 10, 48, 48}, Look::Logo, &MainWindowModel::OnLogo},
        // Room for the longest status sentence on two lines, so the window never changes its size.
        {QZ_PART(title), {68, 8, 334, 34}, Look::Wrap},
        {QZ_PART(counter), {68, 48, 250, 18}},
        {QZ_PART(statusLine), {322, 48, 80, 18}, Look::Centre},
        {QZ_PART(reset), button(0), Look::Plain, &MainWindowModel::OnReset},
        {QZ_PART(test), button(1), Look::Plain, &MainWindowModel::OnTest},
        {QZ_PART(configure), button(2), Look::Plain, &MainWindowModel::OnConfigure},
        {QZ_PART(about), button(3), Look::Plain, &MainWindowModel::OnAbout},
        {QZ_PART(update), button(4), Look::Plain, &MainWindowModel::OnUpdate},
        {QZ_PART(exit), button(5), Look::Plain, &MainWindowModel::OnExit},
    };
}
#undef QZ_PART

// The popup menu's items in their order; a row without a part is a separator.
struct MenuRow {
    MenuItemView MainView::*part;
    void (MainWindowModel::*handler)();
};
constexpr std::array<MenuRow, 11> kMenu{{
    {&MainView::menuAbout, &MainWindowModel::OnMenuAbout},
    {nullptr, nullptr},
    {&MainView::menuCancel, &MainWindowModel::OnMenuCancel},
    {&MainView::menuConfigure, &MainWindowModel::OnMenuConfigure},
    {&MainView::menuMinimise, &MainWindowModel::OnMenuMinimise},
    {&MainView::menuReset, &MainWindowModel::OnMenuReset},
    {&MainView::menuRestore, &MainWindowModel::OnMenuRestore},
    {&MainView::menuTest, &MainWindowModel::OnMenuTest},
    {&MainView::menuUpdate, &MainWindowModel::OnMenuUpdate},
    {nullptr, nullptr},
    {&MainView::menuExit, &MainWindowModel::OnMenuExit},
}};

constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;

} // namespace

MainWindow::MainWindow(Program& p, Tray& tray)
    : p_(p), tray_(tray), app_(p, *this), gate_([this] { Render(); }, [this](int) { Ended(); }) {
    window_ = CreateTopWindow(L"QuenzelMain", &WindowProc<MainWindow>, this, kStyle, 0, nullptr, {412, 109});
    form_.Build(window_, ControlTable());
    tray_.SetWindow(window_);
    taskbarCreated_ = RegisterWindowMessageW(L"TaskbarCreated");
}

MainWindow::~MainWindow() {
    config_.reset();
    about_.reset();
    if (window_) {
        SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
        DestroyWindow(window_);
    }
}

void MainWindow::Load() {
    Run([this] { app_.Load(); });
    Centre();
}

void MainWindow::Run(const EventGate::Handler& handler) {
    gate_.Run(handler);
}

void MainWindow::Tick() {
    Run([this] { app_.OnTimer(); });
}

void MainWindow::DataArrival() {
    Run([this] { app_.link.OnDatagram(); });
}

void MainWindow::Render() {
    const MainView& v = main_.view;
    form_.Render(v);
    SetText(window_, Wide(v.caption));
    tray_.Show(v.trayKey, v.trayTip);
    if (v.noticeSerial != noticed_) {
        noticed_ = v.noticeSerial;
        tray_.Notify(p_.rt.appTitle, v.notice);
    }
    RenderWindow();
    FollowTimer();
    FollowSocket();
    // A screen that has unloaded goes once its own message is over.
    if (about_) {
        about_->Render();
        if (!about_->Open()) PostMessageW(window_, kReap, 0, 0);
    }
    if (config_) {
        config_->Render();
        if (!config_->Open()) PostMessageW(window_, kReap, 0, 0);
    }
}

void MainWindow::RenderWindow() {
    const MainView& v = main_.view;
    rendering_ = true;
    // Without the window menu's Close command the title bar's close box is off as well.
    HMENU menu = GetSystemMenu(window_, FALSE);
    const bool hasClose = menu && GetMenuState(menu, SC_CLOSE, MF_BYCOMMAND) != static_cast<UINT>(-1);
    if (!v.closeAllowed && hasClose) {
        RemoveMenu(menu, SC_CLOSE, MF_BYCOMMAND);
        const int last = GetMenuItemCount(menu) - 1;
        if (last >= 0 && (GetMenuState(menu, static_cast<UINT>(last), MF_BYPOSITION) & MF_SEPARATOR))
            RemoveMenu(menu, static_cast<UINT>(last), MF_BYPOSITION);
        DrawMenuBar(window_);
    } else if (v.closeAllowed && !hasClose) {
        GetSystemMenu(window_, TRUE);
        DrawMenuBar(window_);
    }
    SetTopMost(window_, v.topMost);

    const bool visible = IsWindowVisible(window_) != FALSE;
    if (v.hidden) {
        if (visible) ShowWindow(window_, SW_HIDE);
    } else if (v.state == WindowState::Minimised) {
        if (!visible || !IsIconic(window_)) ShowWindow(window_, SW_SHOWMINNOACTIVE);
    } else if (!visible || IsIconic(window_)) {
        ShowWindow(window_, IsIconic(window_) ? SW_RESTORE : SW_SHOW);
    }
    if (v.centreRequests != centred_) {
        centred_ = v.centreRequests;
        Centre();
    }
    if (v.foregroundRequests != broughtForward_) {
        broughtForward_ = v.foregroundRequests;
        SetForeground();
    }
    // The menu opens after the handler, once the window shows the view it offers.
    if (v.popupRequests != poppedUp_) {
        poppedUp_ = v.popupRequests;
        PostMessageW(window_, kPopup, 0, 0);
    }
    rendering_ = false;
}

void MainWindow::Centre() {
    RECT frame{};
    GetWindowRect(window_, &frame);
    MONITORINFO screen{};
    screen.cbSize = sizeof(screen);
    if (!GetMonitorInfoW(MonitorFromWindow(window_, MONITOR_DEFAULTTOPRIMARY), &screen)) return;
    const RECT& work = screen.rcWork;
    const int width = frame.right - frame.left, height = frame.bottom - frame.top;
    SetWindowPos(window_, nullptr, work.left + (work.right - work.left - width) / 2,
                 work.top + (work.bottom - work.top - height) / 2, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void MainWindow::FollowTimer() {
    if (p_.rt.timerOn == timerOn_) return;
    timerOn_ = p_.rt.timerOn;
    if (timerOn_)
        SetTimer(window_, kMainTimer, 500, nullptr);
    else
        KillTimer(window_, kMainTimer);
}

// A reload of the settings may have closed the socket or bound a new one, possibly under the old
// handle's number: the port tells them apart. Winsock posts a message when data waits; nothing polls.
void MainWindow::FollowSocket() {
    const std::intptr_t handle = p_.svc.socket.NativeHandle();
    const int port = p_.rt.boundPort;
    if (handle == watchedSocket_ && port == watchedPort_) return;
    watchedSocket_ = handle;
    watchedPort_ = port;
    if (handle >= 0) WSAAsyncSelect(static_cast<SOCKET>(handle), window_, kSocket, FD_READ);
}

// A screen that is open already comes forward instead of a second one: a reset meanwhile (from the
// main station, say) gives the popup items back while the screen is still open.
void MainWindow::ShowAbout() {
    if (about_ && about_->Open()) {
        SetForegroundWindow(about_->Handle());
        return;
    }
    about_ = std::make_unique<AboutWindow>(p_, main_, *this);
}

void MainWindow::UnloadAbout() {
    if (about_) about_->Unload();
}

void MainWindow::ShowConfig() {
    if (config_ && config_->Open()) {
        SetForegroundWindow(config_->Handle());
        return;
    }
    config_ = std::make_unique<ConfigWindow>(p_, app_, *this);
}

void MainWindow::UnloadConfig() {
    if (config_) config_->Unload();
}

void MainWindow::SetForeground() {
    if (IsWindowVisible(window_)) SetForegroundWindow(window_);
}

HMENU MainWindow::BuildPopupMenu() const {
    HMENU menu = CreatePopupMenu();
    for (size_t i = 0; i < kMenu.size(); ++i) {
        if (!kMenu[i].part) {
            AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
            continue;
        }
        const MenuItemView& item = main_.view.*kMenu[i].part;
        if (!item.visible) continue;
        AppendMenuW(menu, MF_STRING | (item.enabled ? MF_ENABLED : MF_GRAYED),
                    static_cast<UINT_PTR>(kFirstMenuId + static_cast<int>(i)), Wide(item.caption).c_str());
    }
    return menu;
}

void MainWindow::TrackPopupMenu() {
    HMENU menu = BuildPopupMenu();
    POINT at{};
    GetCursorPos(&at);
    // The menu closes when the user clicks elsewhere only if its window is in the foreground.
    SetForegroundWindow(window_);
    ::TrackPopupMenu(menu, TPM_LEFTBUTTON | TPM_RIGHTALIGN | TPM_BOTTOMALIGN, at.x, at.y, 0, window_,
                     nullptr);
    PostMessageW(window_, WM_NULL, 0, 0);
    DestroyMenu(menu);
}

void MainWindow::OpenWebPage(const std::string& page) {
    qz::OpenWebPage(p_, page);
}

LRESULT MainWindow::OnMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (const auto answer = FormMessage(form_, message, wParam, lParam)) return *answer;
    if (message == taskbarCreated_ && taskbarCreated_ != 0) {
        tray_.Restore();
        return 0;
    }
    switch (message) {
    case WM_COMMAND: {
        const int menuIndex = LOWORD(wParam) - kFirstMenuId;
        if (lParam == 0 && menuIndex >= 0 && menuIndex < static_cast<int>(kMenu.size())) {
            if (const auto handler = kMenu[static_cast<size_t>(menuIndex)].handler)
                Run([this, handler] { (main_.*handler)(); });
        } else if (auto action = form_.Action(main_, main_.view, wParam, lParam)) {
            Run(action);
        }
        return 0;
    }
    case WM_TIMER:
        if (wParam == kMainTimer) Tick();
        return 0;
    case kSocket:
        if (WSAGETSELECTEVENT(lParam) == FD_READ) DataArrival();
        return 0;
    case Tray::kCallback:
        if (LOWORD(lParam) == WM_LBUTTONDBLCLK) Run([this] { main_.OnTrayDoubleClick(); });
        if (LOWORD(lParam) == WM_RBUTTONDOWN) Run([this] { main_.OnTrayRightClick(); });
        return 0;
    case kPopup:
        if (!EndedWith()) TrackPopupMenu();
        return 0;
    case WM_SIZE:
        // The window system's own minimise and restore; the window's own changes are the view's already.
        if (!rendering_ && (wParam == SIZE_MINIMIZED || wParam == SIZE_RESTORED))
            PostMessageW(window, kResized, 0, 0);
        break;
    case kResized: {
        if (EndedWith()) return 0;
        const WindowState now = IsIconic(window) ? WindowState::Minimised : WindowState::Normal;
        if (now != main_.view.state)
            Run([this, now] {
                main_.view.state = now;
                main_.OnResized();
            });
        return 0;
    }
    case WM_ACTIVATE:
        if (LOWORD(wParam) != WA_INACTIVE) PostMessageW(window, kActivated, 0, 0);
        break;
    case kActivated:
        Run([this] { main_.OnActivated(); });
        return 0;
    case kReap:
        if (about_ && !about_->Open()) about_.reset();
        if (config_ && !config_->Open()) config_.reset();
        return 0;
    // The user signs out or the system shuts down: the program ends as by its Exit button.
    case WM_ENDSESSION:
        if (wParam) Run([this] { main_.OnExit(); });
        return 0;
    case WM_CLOSE:
        if (!EndedWith() && main_.view.closeAllowed) Run([this] { main_.Close(); });
        return 0;
    default:
        break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

// The host handed control back after the end of the program: close down as if the process ended.
void MainWindow::Ended() {
    KillTimer(window_, kMainTimer);
    timerOn_ = false;
    tray_.Remove();
    if (about_) ShowWindow(about_->Handle(), SW_HIDE);
    if (config_) ShowWindow(config_->Handle(), SW_HIDE);
    ShowWindow(window_, SW_HIDE);
}

} // namespace qz::win
