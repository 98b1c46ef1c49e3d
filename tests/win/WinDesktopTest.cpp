#include <winsock2.h>

#include <gtest/gtest.h>

#include "app/ProgramReset.h"
#include "app/Startup.h"
#include "pictures/Pictures.h"
#include "platform/Backend.h"
#include "tests/link/Loopback.h"
#include "tests/win/WinWorld.h"
#include "win/AboutWindow.h"
#include "win/AlreadyRunningWindow.h"
#include "win/ConfigWindow.h"
#include "win/Icons.h"
#include "win/Text.h"
#include "win/WinHost.h"
#include "win/Window.h"

namespace qz::test {
namespace {

constexpr COLORREF kOrangeRef = 0x0080FF, kGreenRef = 0x006600, kBlueRef = 0xFF0000;

struct MenuItem {
    std::string caption;
    bool enabled;
};

// The popup menu's items as the user sees them; separators as "-".
std::vector<MenuItem> Menu(const win::MainWindow& window) {
    HMENU menu = window.BuildPopupMenu();
    std::vector<MenuItem> items;
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        wchar_t text[64] = {};
        GetMenuStringW(menu, static_cast<UINT>(i), text, 64, MF_BYPOSITION);
        const UINT state = GetMenuState(menu, static_cast<UINT>(i), MF_BYPOSITION);
        items.push_back({state & MF_SEPARATOR ? std::string("-") : win::Utf8(text), !(state & MF_GRAYED)});
    }
    DestroyMenu(menu);
    return items;
}

std::vector<std::string> Choosable(const win::MainWindow& window) {
    std::vector<std::string> choosable;
    for (const MenuItem& item : Menu(window))
        if (item.enabled && item.caption != "-") choosable.push_back(item.caption);
    for (const char* button : {"reset", "test", "configure", "about", "update", "exit"})
        if (Enabled(window.Find(button))) choosable.push_back(Text(window.Find(button)));
    return choosable;
}

// Every control shows its part of the view: texts, colours, weight, tooltips and enabled states.
TEST(MainWindow, ShowsTheViewInItsControls) {
    struct Case {
        const char* proc1;
        const char* title;
        COLORREF titleColour;
        bool titleBold;
        const char* counter;
        bool resetEnabled;
    };
    const Case cases[] = {
        {"worker.exe", "Shutdown if there is no activity for 5s", GetSysColor(COLOR_BTNTEXT), false,
         "Program Activation In 2s", true},
        {"", "Click Configure To Set Up Quenzel", kOrangeRef, true, "", false},
    };
    for (const Case& c : cases) {
        WinWorld w;
        w.Start(IniFile().Set("Proc1", c.proc1));
        HWND main = w.window->Handle(), title = w.window->Find("title");
        EXPECT_EQ(Text(main), "Quenzel");
        EXPECT_TRUE(IsWindowVisible(main));
        EXPECT_EQ(Text(title), c.title);
        EXPECT_EQ(Fore(title), c.titleColour);
        EXPECT_EQ(Back(title), GetSysColor(COLOR_BTNFACE));
        EXPECT_EQ(Bold(title), c.titleBold);
        EXPECT_EQ(Text(w.window->Find("counter")), c.counter);
        EXPECT_EQ(Fore(w.window->Find("counter")), kBlueRef);
        EXPECT_EQ(Enabled(w.window->Find("reset")), c.resetEnabled) << c.title;
        EXPECT_EQ(Text(w.window->Find("configure")), "&Configure");
        EXPECT_EQ(Tip(w.window->Controls().Tooltip(), w.window->Find("configure")), "Configure Quenzel");
        if (!*c.proc1) continue;
        Picture(main, "windows-main.png");
        // Moved to a screen of twice the dots per inch, the controls and their faces double.
        RECT before{}, after{}, frame{};
        GetClientRect(w.window->Find("reset"), &before);
        GetWindowRect(main, &frame);
        SendMessageW(main, win::kDpiChanged, MAKEWPARAM(192, 192), reinterpret_cast<LPARAM>(&frame));
        GetClientRect(w.window->Find("reset"), &after);
        EXPECT_EQ(after.right, 2 * before.right);
    }
}

// The main timer's messages run the monitor; the countdown paints the counter orange, turns Reset
// into Cancel and leaves only Cancel to choose in the popup menu.
TEST(MainWindow, TimerMessagesRunTheCountdown) {
    WinWorld w;
    w.Start(IniFile());
    w.world.processes.names.clear();
    for (int tick = 0; tick < 40 && w.p.monitor.phase != MonitorPhase::Shutdown; ++tick)
        SendMessageW(w.window->Handle(), WM_TIMER, win::MainWindow::kMainTimer, 0);
    ASSERT_EQ(w.p.monitor.phase, MonitorPhase::Shutdown);
    HWND counter = w.window->Find("counter");
    EXPECT_EQ(Text(counter).rfind("The Computer Will Shutdown In ", 0), 0u) << Text(counter);
    EXPECT_EQ(Back(counter), kOrangeRef);
    EXPECT_EQ(w.tray.Key(), "Shutdown");
    EXPECT_EQ(Choosable(*w.window), (std::vector<std::string>{"Cancel", "&Cancel"}));
    Picture(w.window->Handle(), "windows-countdown.png");
}

// The tray's popup items minimise into the tray and the icon's double click brings the window back.
TEST(MainWindow, TrayIconAndPopupMenu) {
    WinWorld w;
    w.Start(IniFile());
    HWND main = w.window->Handle();
    std::vector<std::string> captions;
    for (const MenuItem& item : Menu(*w.window))
        captions.push_back(item.caption);
    EXPECT_EQ(captions, (std::vector<std::string>{"About Quenzel", "-", "Configure", "Minimise", "Reset",
                                                  "Test", "Update", "-", "Close Quenzel"}));
    EXPECT_TRUE(w.tray.Shown());
    EXPECT_EQ(w.tray.Key(), "Start");
    const int minimise = win::MainWindow::kFirstMenuId + 4;
    SendMessageW(main, WM_COMMAND, minimise, 0);
    EXPECT_FALSE(IsWindowVisible(main));
    EXPECT_EQ(Menu(*w.window)[4].caption, "Restore");
    SendMessageW(main, win::Tray::kCallback, 1, WM_LBUTTONDBLCLK);
    EXPECT_TRUE(IsWindowVisible(main));
    EXPECT_FALSE(IsIconic(main));
    EXPECT_EQ(Menu(*w.window)[3].caption, "Minimise");
    if (std::getenv("QZ_PICTURES")) {
        // The menu as the right button opens it over the icon, with wine's tray put where the
        // taskbar's is: taken while it is up.
        static HWND tray = FindWindowW(nullptr, L"Wine System Tray");
        RECT at{};
        GetWindowRect(tray, &at);
        const int right = GetSystemMetrics(SM_CXSCREEN), bottom = GetSystemMetrics(SM_CYSCREEN);
        SetWindowPos(tray, HWND_TOPMOST, right - (at.right - at.left), bottom - (at.bottom - at.top), 0, 0,
                     SWP_NOSIZE | SWP_NOACTIVATE);
        SetCursorPos(right - (at.right - at.left) + 12, bottom - (at.bottom - at.top) + 12);
        SetTimer(nullptr, 0, 700, [](HWND, UINT, UINT_PTR timer, DWORD) {
            KillTimer(nullptr, timer);
            RECT menu{}, icons{};
            GetWindowRect(FindWindowW(L"#32768", nullptr), &menu);
            GetWindowRect(tray, &icons);
            Picture({std::min(menu.left, icons.left) - 12, std::min(menu.top, icons.top) - 36,
                     std::max(menu.right, icons.right) + 12, std::max(menu.bottom, icons.bottom) + 12},
                    "windows-tray-menu.png");
            EndMenu();
        });
        SendMessageW(main, win::Tray::kCallback, 1, WM_RBUTTONDOWN);
        Pump();
    }
}

// The About button opens the About screen and disables what may not run meanwhile; its Exit
// closes it and gives the controls back.
TEST(MainWindow, AboutScreenOpensAndCloses) {
    WinWorld w;
    w.Start(IniFile());
    Click(w.window->Find("about"));
    win::AboutWindow* about = w.window->About();
    ASSERT_TRUE(about);
    EXPECT_TRUE(IsWindowVisible(about->Handle()));
    EXPECT_EQ(Text(about->Handle()), "About Quenzel");
    EXPECT_EQ(Text(about->Find("programName")), "Quenzel");
    EXPECT_TRUE(Bold(about->Find("programName")));
    EXPECT_EQ(Fore(about->Find("webSite")), kBlueRef);
    EXPECT_EQ(Choosable(*w.window),
              (std::vector<std::string>{"Minimise", "Update", "Close Quenzel", "&Update", "&Exit"}));
    SendMessageW(about->Handle(), WM_TIMER, win::AboutWindow::kSecondTimer, 0);
    EXPECT_EQ(Text(about->Find("closeNotice")), "About will close in 60 sec");
    Picture(about->Handle(), "windows-about.png");
    Click(about->Find("exit"));
    EXPECT_TRUE(PumpUntil([&] { return w.window->About() == nullptr; }));
    EXPECT_TRUE(Enabled(w.window->Find("configure")));
}

// The configuration screen: typing, ticking and choosing reach the screen, its labels follow, and
// Save writes the file; Exit after the save resets the program.
TEST(ConfigWindow, EditsSavesAndCloses) {
    WinWorld w;
    w.Start(IniFile());
    Click(w.window->Find("configure"));
    win::ConfigWindow* config = w.window->Config();
    ASSERT_TRUE(config);
    auto find = [&](const char* name) { return config->Find(name); };
    EXPECT_EQ(Text(config->Handle()), "Quenzel Configuration");
    EXPECT_EQ(Text(find("processName1")), "worker.exe");
    EXPECT_EQ(Fore(find("processName1Hint")), kGreenRef);
    EXPECT_EQ(Fore(find("status")), kOrangeRef);
    EXPECT_EQ(Text(find("activationLabel")), "Activate After:");
    Picture(config->Handle(), "windows-config.png");

    Type(find("processName1"), "notepad.exe");
    Click(find("activateAtTime"));
    EXPECT_EQ(Text(find("activationLabel")), "Activate At:");
    EXPECT_EQ(Text(find("activation")), "");
    Type(find("activation"), "07:30");
    Choose(find("shutdownType"), "Hibernate");
    EXPECT_FALSE(Enabled(find("force")));
    EXPECT_EQ(Tip(config->Controls().Tooltip(), find("save")).rfind("Save Quenzel Configuration Values", 0),
              0u);
    Click(find("save"));
    EXPECT_EQ(Text(find("status")), "Changes Saved - Click Exit To Activate The Changes");
    const std::string saved = w.dir.Read("Data/Quenzel.ini");
    EXPECT_NE(saved.find("Proc1=notepad.exe"), std::string::npos) << saved;
    EXPECT_NE(saved.find("ShutType=5"), std::string::npos) << saved;
    SendMessageW(config->Handle(), WM_TIMER, win::ConfigWindow::kStatusTimeout, 0);
    EXPECT_EQ(Text(find("status")), "");

    Click(find("exit"));
    EXPECT_TRUE(PumpUntil([&] { return w.window->Config() == nullptr; }));
    EXPECT_EQ(Text(w.window->Find("counter")), "Program Activation At 07:30");
    EXPECT_EQ(Text(w.window->Find("title")), "Hibernate if there is no activity for 5s");
}

// Another copy holds the guard: the "already running" window, whose button ends the program.
TEST(AlreadyRunningWindow, ShowsTheMessageAndEnds) {
    WinWorld w;
    w.world.guard.otherHolds = true;
    w.dir.Write("Data/Quenzel.ini", IniFile().Text());
    ASSERT_EQ(Main(w.p), StartWindow::AlreadyRunning);
    win::AlreadyRunningWindow window(w.p);
    window.Load();
    EXPECT_EQ(Text(window.Handle()), "Quenzel Start Up Error");
    EXPECT_EQ(Text(window.Find("message")),
              "Quenzel is already running.\r\nOnly one instance can be\r\nrunning at a time.");
    EXPECT_EQ(Text(window.Find("exit")), "&OK");
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
        const std::string ini = IniFile().Set("CMain", 2).Set("IPAdd", "127.1.1.1").Set("Port1", port).Text();
        w.dir.Write("Data/Quenzel.ini", ini);
        w.p.rt.BoundPort ? w.window->Run([&] { ResetProgram(w.p, side); })
                         : w.Start(IniFile().Set("CMain", 2).Set("IPAdd", "127.1.1.1").Set("Port1", port));
        ASSERT_EQ(w.p.rt.BoundPort, port);
        ASSERT_TRUE(sender->SendTo("127.0.0.1", port, "<QZT000>"));
        EXPECT_TRUE(PumpUntil([&] { return Text(w.window->Handle()) == "Quenzel Slave - Test Mode"; }));
    }
}

// Boxes: the program's icon and buttons as MessageBoxW styles, and its answers back.
TEST(WinHost, BoxStylesAndAnswers) {
    struct Case {
        MsgIcon icon;
        MsgButtons buttons;
        UINT style;
    };
    for (const Case& c :
         {Case{MsgIcon::Critical, MsgButtons::Ok, MB_OK | MB_ICONERROR},
          Case{MsgIcon::Exclamation, MsgButtons::YesNo, MB_YESNO | MB_ICONWARNING},
          Case{MsgIcon::Information, MsgButtons::YesNoCancel, MB_YESNOCANCEL | MB_ICONINFORMATION},
          Case{MsgIcon::None, MsgButtons::Ok, MB_OK}})
        EXPECT_EQ(win::BoxStyle(c.icon, c.buttons), c.style);
    EXPECT_EQ(win::AnswerOf(IDYES), Answer::Yes);
    EXPECT_EQ(win::AnswerOf(IDNO), Answer::No);
    EXPECT_EQ(win::AnswerOf(IDCANCEL), Answer::Cancel);
    EXPECT_EQ(win::AnswerOf(IDOK), Answer::Ok);
}

// A title longer than the box's text and buttons widens the box to show it whole.
TEST(WinHost, BoxesAreWideEnoughForTheirTitle) {
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
    win::WinHost host;
    EXPECT_EQ(host.ShowMessage(MsgIcon::Exclamation, MsgButtons::YesNo, win::Utf8(title), "Go on?"),
              Answer::No);
    KillTimer(nullptr, timer);
    EXPECT_GT(needed, 200);
    EXPECT_GE(width, needed);
}

// The pictures: the logo's tile, ring and dot where they belong; each key's badge its own colour.
TEST(Pictures, LogoAndTrayBadges) {
    const pictures::Picture logo = pictures::DrawLogo(48);
    auto pixel = [](const pictures::Picture& p, int x, int y) {
        const uint8_t* at = &p.rgba[(static_cast<size_t>(y) * p.size + x) * 4];
        return static_cast<uint32_t>(at[0] << 24 | at[1] << 16 | at[2] << 8 | at[3]);
    };
    EXPECT_EQ(pixel(logo, 0, 0) & 0xFF, 0u) << "the rounded corner is clear";
    EXPECT_EQ(pixel(logo, 4, 24), 0x006600FFu) << "tile";
    EXPECT_EQ(pixel(logo, 24, 12), 0xFFFFFFFFu) << "the bar";
    EXPECT_EQ(pixel(logo, 38, 38), 0xFF8000FFu) << "the dot";
    const struct {
        const char* key;
        uint32_t badge;
    } badges[] = {
        {"Start", 0x005AD2FF}, {"Activate", 0x005AD2FF}, {"Activity", 0x28C828FF}, {"Shutdown", 0xD21414FF}};
    for (const auto& b : badges) {
        const auto picture = pictures::DrawTrayPicture(b.key, 32);
        ASSERT_TRUE(picture) << b.key;
        EXPECT_EQ(pixel(*picture, 24, 24), b.badge) << b.key;
        EXPECT_TRUE(win::TrayIcon(b.key, 16)) << b.key;
    }
    EXPECT_EQ(pictures::DrawTrayPicture("NoActivity", 32)->rgba, pictures::DrawLogo(32).rgba);
    EXPECT_FALSE(pictures::DrawTrayPicture("Other", 32));
}

} // namespace
} // namespace qz::test
