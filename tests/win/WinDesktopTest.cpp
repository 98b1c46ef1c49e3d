#include <winsock2.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "app/ProgramReset.h"
#include "app/Startup.h"
#include "pictures/Pictures.h"
#include "platform/Backend.h"
#include "tests/link/Loopback.h"
#include "tests/support/Fakes.h"
#include "tests/support/IniFile.h"
#include "tests/support/TempDir.h"
#include "win/AboutWindow.h"
#include "win/AlreadyRunningWindow.h"
#include "win/ConfigWindow.h"
#include "win/Icons.h"
#include "win/MainWindow.h"
#include "win/Text.h"
#include "win/WinHost.h"
#include "win/Window.h"

namespace qz::test {
namespace {

using namespace std::string_literals;
constexpr COLORREF kOrangeRef = 0x0080FF, kGreenRef = 0x006600, kBlueRef = 0xFF0000;

// Answers boxes as the fake host does; at the program's end it hands control back to the window.
struct WinTestHost : FakeHost {
    [[noreturn]] void EndProgram(int status) override {
        endedWith = status;
        throw win::ProgramEnd{status};
    }
};

// The desktop program's main window in a working folder of its own, with fakes for the world.
struct WinWorld {
    explicit WinWorld(UdpSocket* socket = nullptr)
        : p(Services{host, world.clock, world.files, world.processes, world.power,
                     socket ? *socket : world.socket, world.resolver, world.guard, world.system}),
          window(std::make_unique<win::MainWindow>(p, tray)) {
        world.processes.names = {"worker.exe"};
    }
    void Start(const IniFile& ini) {
        dir.Write("Data/Quenzel.ini", ini.Text());
        dir.Write("Log/.keep", "");
        window->Load();
    }
    HWND Find(const char* name) const { return window->Find(name); }
    TempDir dir;
    WinTestHost host;
    FakeWorld world{dir.path()};
    Program p;
    win::Tray tray;
    std::unique_ptr<win::MainWindow> window;
};

// Runs the window messages that wait, until done says so or the time is up.
bool PumpUntil(const std::function<bool()>& done, DWORD milliseconds = 3000) {
    for (const ULONGLONG end = GetTickCount64() + milliseconds;;) {
        for (MSG message; PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE);) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        if (done()) return true;
        const ULONGLONG now = GetTickCount64();
        if (now >= end) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(end - now), QS_ALLINPUT);
    }
}

const auto Text = [](HWND control) { return win::TextOf(control); };
const auto Enabled = [](HWND control) { return IsWindowEnabled(control) != FALSE; };
const auto Click = [](HWND control) { SendMessageW(control, BM_CLICK, 0, 0); };
// A single-line field reports the change to its window as typing does.
void Type(HWND field, const std::string& text) {
    SendMessageW(field, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(win::Wide(text).c_str()));
}
void Choose(HWND list, const std::string& item) {
    const LRESULT index = SendMessageW(list, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                       reinterpret_cast<LPARAM>(win::Wide(item).c_str()));
    SendMessageW(list, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    SendMessageW(GetParent(list), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(list), CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(list));
}

// The text colour (or background) a control's window gives it when the control paints.
COLORREF Painted(HWND control, bool text = true) {
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
bool Bold(HWND control) {
    LOGFONTW face{};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)), sizeof(face), &face);
    return face.lfWeight >= FW_BOLD;
}
template <class Window> std::string Tip(const Window& window, HWND control) {
    wchar_t text[512] = {};
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof(tool);
    tool.uFlags = TTF_IDISHWND;
    tool.hwnd = GetParent(control);
    tool.uId = reinterpret_cast<UINT_PTR>(control);
    tool.lpszText = text;
    SendMessageW(window.Controls().Tooltip(), TTM_GETTEXTW, 512, reinterpret_cast<LPARAM>(&tool));
    return win::Utf8(text);
}

// With QZ_PICTURES naming a folder, the screenshot script (for the docs) takes the window, framed,
// from the area written to NAME.take there, and the test waits while it does.
void Picture(HWND window, const char* file) {
    const char* folder = std::getenv("QZ_PICTURES");
    RECT r{};
    if (!folder || !GetWindowRect(window, &r)) return;
    SetCursorPos(GetSystemMetrics(SM_CXSCREEN) - 1, 0);
    PumpUntil([] { return false; }, 300); // painted, and framed by the window manager
    const std::filesystem::path request = std::filesystem::path(folder) / (std::string(file) + ".take");
    std::ofstream(request) << r.left - 12 << ',' << r.top - 36 << ',' << r.right + 12 << ',' << r.bottom + 12
                           << '\n';
    PumpUntil([&] { return !std::filesystem::exists(request); }, 20000);
}

// The popup menu's captions (separators as "-"), and what the user may choose there and on the buttons.
std::pair<std::vector<std::string>, std::vector<std::string>> Menu(const WinWorld& w) {
    HMENU menu = w.window->BuildPopupMenu();
    std::vector<std::string> captions, choosable;
    for (UINT i = 0; i < static_cast<UINT>(GetMenuItemCount(menu)); ++i) {
        wchar_t text[64] = {};
        GetMenuStringW(menu, i, text, 64, MF_BYPOSITION);
        const UINT state = GetMenuState(menu, i, MF_BYPOSITION);
        captions.push_back(state & MF_SEPARATOR ? "-"s : win::Utf8(text));
        if (!(state & (MF_SEPARATOR | MF_GRAYED))) choosable.push_back(captions.back());
    }
    DestroyMenu(menu);
    for (const char* button : {"reset", "test", "configure", "about", "update", "exit"})
        if (Enabled(w.Find(button))) choosable.push_back(Text(w.Find(button)));
    return {captions, choosable};
}

// The controls show the view (texts, colours, tooltips) and double on a screen of twice the dots per inch.
TEST(MainWindow, ShowsTheViewInItsControlsAndFollowsTheDpi) {
    WinWorld w;
    w.Start(IniFile().Set("Proc1", "worker.exe"));
    HWND main = w.window->Handle(), title = w.Find("title"), counter = w.Find("counter");
    EXPECT_EQ(std::tuple(Text(main), IsWindowVisible(main) != FALSE, Text(title), Painted(title),
                         Painted(title, false), Text(counter), Painted(counter), Text(w.Find("configure")),
                         Tip(*w.window, w.Find("configure"))),
              std::tuple("Quenzel"s, true, "Shutdown if there is no activity for 5s"s,
                         GetSysColor(COLOR_BTNTEXT), GetSysColor(COLOR_BTNFACE), "Program Activation In 2s"s,
                         kBlueRef, "&Configure"s, "Configure Quenzel"s));
    Picture(main, "windows-main.png");
    RECT before{}, after{}, frame{};
    GetClientRect(w.Find("reset"), &before);
    GetWindowRect(main, &frame);
    SendMessageW(main, win::kDpiChanged, MAKEWPARAM(192, 192), reinterpret_cast<LPARAM>(&frame));
    GetClientRect(w.Find("reset"), &after);
    EXPECT_EQ(after.right, 2 * before.right);
}

// The tray's popup items minimise into the tray and the icon's double click brings the window back;
// the main timer's messages run the monitor into the countdown: the counter turns orange, Reset
// becomes Cancel and only Cancel is left to choose.
TEST(MainWindow, TrayPopupMenuAndTimerMessagesRunTheCountdown) {
    WinWorld w;
    w.Start(IniFile());
    HWND main = w.window->Handle();
    EXPECT_EQ(Menu(w).first, (std::vector<std::string>{"About Quenzel", "-", "Configure", "Minimise", "Reset",
                                                       "Test", "Update", "-", "Close Quenzel"}));
    EXPECT_EQ(std::tuple(w.tray.Shown(), w.tray.Key()), std::tuple(true, "Start"s));
    SendMessageW(main, WM_COMMAND, win::MainWindow::kFirstMenuId + 4, 0); // Minimise
    EXPECT_EQ(std::tuple(IsWindowVisible(main) != FALSE, Menu(w).first[4]), std::tuple(false, "Restore"s));
    SendMessageW(main, win::Tray::kCallback, 1, WM_LBUTTONDBLCLK);
    EXPECT_EQ(std::tuple(IsWindowVisible(main) != FALSE, IsIconic(main) != FALSE, Menu(w).first[3]),
              std::tuple(true, false, "Minimise"s));
    w.world.processes.names.clear();
    for (int tick = 0; tick < 40 && w.p.monitor.phase != MonitorPhase::Shutdown; ++tick)
        SendMessageW(main, WM_TIMER, win::MainWindow::kMainTimer, 0);
    ASSERT_EQ(w.p.monitor.phase, MonitorPhase::Shutdown);
    EXPECT_TRUE(Text(w.Find("counter")).starts_with("The Computer Will Shutdown In "))
        << Text(w.Find("counter"));
    EXPECT_EQ(std::tuple(Painted(w.Find("counter"), false), w.tray.Key(), Menu(w).second),
              std::tuple(kOrangeRef, "Shutdown"s, std::vector<std::string>{"Cancel", "&Cancel"}));
    Picture(main, "windows-countdown.png");
}

// About opens its screen and disables what may not run meanwhile; its Exit gives the controls back.
// Configure: typing, ticking and choosing reach the screen, its labels follow, Save writes the file
// and Exit after the save resets the program.
TEST(MainWindow, AboutAndConfigurationScreens) {
    WinWorld w;
    w.Start(IniFile());
    Click(w.Find("about"));
    win::AboutWindow* about = w.window->About();
    ASSERT_TRUE(about);
    EXPECT_EQ(std::tuple(Text(about->Handle()), Text(about->Find("programName")),
                         Bold(about->Find("programName")), Painted(about->Find("webSite")),
                         Enabled(w.Find("configure"))),
              std::tuple("About Quenzel"s, "Quenzel"s, true, kBlueRef, false));
    SendMessageW(about->Handle(), WM_TIMER, win::AboutWindow::kSecondTimer, 0);
    EXPECT_EQ(Text(about->Find("closeNotice")), "About will close in 60 sec");
    Picture(about->Handle(), "windows-about.png");
    Click(about->Find("exit"));
    EXPECT_TRUE(PumpUntil([&] { return w.window->About() == nullptr; }));
    ASSERT_TRUE(Enabled(w.Find("configure")));

    Click(w.Find("configure"));
    win::ConfigWindow* config = w.window->Config();
    ASSERT_TRUE(config);
    auto find = [&](const char* name) { return config->Find(name); };
    EXPECT_EQ(std::tuple(Text(config->Handle()), Text(find("processName1")),
                         Painted(find("processName1Hint")), Painted(find("status")),
                         Text(find("activationLabel"))),
              std::tuple("Quenzel Configuration"s, "worker.exe"s, kGreenRef, kOrangeRef, "Activate After:"s));
    Picture(config->Handle(), "windows-config.png");
    Type(find("processName1"), "notepad.exe");
    Click(find("activateAtTime"));
    EXPECT_EQ(std::tuple(Text(find("activationLabel")), Text(find("activation"))),
              std::tuple("Activate At:"s, std::string()));
    Type(find("activation"), "07:30");
    Choose(find("shutdownType"), "Hibernate");
    EXPECT_FALSE(Enabled(find("force")));
    EXPECT_TRUE(Tip(*config, find("save")).starts_with("Save Quenzel Configuration Values"));
    Click(find("save"));
    EXPECT_EQ(Text(find("status")), "Changes Saved - Click Exit To Activate The Changes");
    const std::string saved = w.dir.Read("Data/Quenzel.ini");
    EXPECT_TRUE(saved.find("Proc1=notepad.exe") != saved.npos && saved.find("ShutType=5") != saved.npos)
        << saved;
    SendMessageW(config->Handle(), WM_TIMER, win::ConfigWindow::kStatusTimeout, 0);
    EXPECT_EQ(Text(find("status")), "");
    Click(find("exit"));
    EXPECT_TRUE(PumpUntil([&] { return w.window->Config() == nullptr; }));
    EXPECT_EQ(std::tuple(Text(w.Find("counter")), Text(w.Find("title"))),
              std::tuple("Program Activation At 07:30"s, "Hibernate if there is no activity for 5s"s));
}

// Another copy holds the guard: the "already running" window, whose button ends the program.
TEST(AlreadyRunningWindow, ShowsTheMessageAndEnds) {
    WinWorld w;
    w.world.guard.otherHolds = true;
    w.dir.Write("Data/Quenzel.ini", IniFile().Text());
    ASSERT_EQ(Main(w.p), StartWindow::AlreadyRunning);
    win::AlreadyRunningWindow window(w.p);
    window.Load();
    EXPECT_EQ(std::tuple(Text(window.Handle()), Text(window.Find("message")), Text(window.Find("exit"))),
              std::tuple("Quenzel Start Up Error"s,
                         std::string(
                             "Quenzel is already running.\r\nOnly one instance can be\r\nrunning at a time."),
                         "&OK"s));
    Picture(window.Handle(), "windows-already-running.png");
    Click(window.Find("exit"));
    EXPECT_EQ(window.EndedWith(), 1);
}

struct MonitorSide : MonitorWindow {
    explicit MonitorSide(App& app) : monitor_(app.monitor) {}
    void ResetMonitor() override { monitor_.Reset(); }
    void ShowStatus() override { monitor_.ShowStatus(); }
    Monitor& monitor_;
};

// A slave on loopback: its main station's commands arrive as window messages, also after a reload
// has bound the socket to another port.
TEST(MainWindow, DatagramsArriveAsWindowMessagesAfterAReloadToo) {
    auto socket = MakeUdpSocket(), sender = MakeUdpSocket();
    ASSERT_TRUE(sender->Bind(FreeUdpPort()));
    WinWorld w(socket.get());
    MonitorSide side(w.window->Logic());
    for (const int port : {FreeUdpPort(), FreeUdpPort()}) {
        const IniFile ini = IniFile().Set("CMain", 2).Set("IPAdd", "127.1.1.1").Set("Port1", port);
        w.p.rt.BoundPort
            ? (w.dir.Write("Data/Quenzel.ini", ini.Text()), w.window->Run([&] { ResetProgram(w.p, side); }))
            : w.Start(ini);
        ASSERT_EQ(w.p.rt.BoundPort, port);
        ASSERT_TRUE(sender->SendTo("127.0.0.1", port, "<QZT000>"));
        EXPECT_TRUE(PumpUntil([&] { return Text(w.window->Handle()) == "Quenzel Slave - Test Mode"; }));
    }
}

// Boxes: the program's icon and buttons as MessageBoxW styles, its answers back, and a title longer
// than the text and buttons widens the box to show it whole.
TEST(WinHost, BoxStylesAnswersAndWidth) {
    using win::BoxStyle;
    EXPECT_EQ(std::tuple(BoxStyle(MsgIcon::Critical, MsgButtons::Ok),
                         BoxStyle(MsgIcon::Exclamation, MsgButtons::YesNo),
                         BoxStyle(MsgIcon::Information, MsgButtons::YesNoCancel),
                         BoxStyle(MsgIcon::None, MsgButtons::Ok)),
              std::tuple(UINT{MB_OK | MB_ICONERROR}, UINT{MB_YESNO | MB_ICONWARNING},
                         UINT{MB_YESNOCANCEL | MB_ICONINFORMATION}, UINT{MB_OK}));
    EXPECT_EQ(
        std::tuple(win::AnswerOf(IDYES), win::AnswerOf(IDNO), win::AnswerOf(IDCANCEL), win::AnswerOf(IDOK)),
        std::tuple(Answer::Yes, Answer::No, Answer::Cancel, Answer::Ok));
    static const std::wstring title = L"Quenzel Start Up Error - a title far longer than its text";
    static LONG width = 0, needed = 0;
    const UINT_PTR timer = SetTimer(nullptr, 0, 100, [](HWND, UINT, UINT_PTR, DWORD) {
        HWND box = FindWindowW(L"#32770", title.c_str());
        if (!box || width) return;
        RECT frame{};
        GetWindowRect(box, &frame);
        width = frame.right - frame.left;
        NONCLIENTMETRICSW metrics{};
        metrics.cbSize = sizeof(metrics);
        SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0);
        HDC dc = GetDC(box);
        HFONT font = CreateFontIndirectW(&metrics.lfCaptionFont);
        SelectObject(dc, font);
        SIZE text{};
        GetTextExtentPoint32W(dc, title.c_str(), static_cast<int>(title.size()), &text);
        ReleaseDC(box, dc);
        DeleteObject(font);
        needed = text.cx + GetSystemMetrics(SM_CXSIZE); // and the close box beside it
        PostMessageW(box, WM_COMMAND, IDNO, 0);
    });
    EXPECT_EQ(win::WinHost().ShowMessage(MsgIcon::Exclamation, MsgButtons::YesNo, win::Utf8(title), "Go on?"),
              Answer::No);
    KillTimer(nullptr, timer);
    EXPECT_GT(needed, 200);
    EXPECT_GE(width, needed);
}

// The pictures: the logo's tile, ring and dot where they belong; each key's badge its own colour.
TEST(Pictures, LogoAndTrayBadges) {
    auto pixel = [](const pictures::Picture& p, int x, int y) {
        const uint8_t* at = &p.rgba[(static_cast<size_t>(y) * p.size + x) * 4];
        return static_cast<uint32_t>(at[0] << 24 | at[1] << 16 | at[2] << 8 | at[3]);
    };
    const pictures::Picture logo = pictures::DrawLogo(48);
    // The rounded corner is clear; the tile, the bar and the dot.
    EXPECT_EQ(
        std::tuple(pixel(logo, 0, 0) & 0xFF, pixel(logo, 4, 24), pixel(logo, 24, 12), pixel(logo, 38, 38)),
        std::tuple(0u, 0x006600FFu, 0xFFFFFFFFu, 0xFF8000FFu));
    for (const auto& [key, badge] : {std::pair{"Start", 0x005AD2FFu},
                                     {"Activate", 0x005AD2FFu},
                                     {"Activity", 0x28C828FFu},
                                     {"Shutdown", 0xD21414FFu}}) {
        const auto picture = pictures::DrawTrayPicture(key, 32);
        ASSERT_TRUE(picture) << key;
        EXPECT_EQ(pixel(*picture, 24, 24), badge) << key;
        EXPECT_TRUE(win::TrayIcon(key, 16)) << key;
    }
    EXPECT_EQ(pictures::DrawTrayPicture("NoActivity", 32)->rgba, pictures::DrawLogo(32).rgba);
    EXPECT_FALSE(pictures::DrawTrayPicture("Other", 32));
}

} // namespace
} // namespace qz::test
