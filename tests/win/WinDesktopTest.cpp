#include <winsock2.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "app/ProgramReset.h"
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
    [[noreturn]] void EndProgram(int status) override { throw ProgramEnd{status}; }
};

bool PumpUntil(const std::function<bool()>& done, DWORD milliseconds = 3000) {
    for (const ULONGLONG end = GetTickCount64() + milliseconds; GetTickCount64() < end; Sleep(10)) {
        for (MSG message; PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE);)
            DispatchMessageW(&message);
        if (done()) return true;
    }
    return done();
}

const auto Text = [](HWND control) { return win::TextOf(control); };
const auto Enabled = [](HWND control) { return IsWindowEnabled(control) != FALSE; };
const auto Click = [](HWND control) { SendMessageW(control, BM_CLICK, 0, 0); };

// The text colour (or background) a label's window gives it when the label paints.
COLORREF Painted(HWND control, bool text = true) {
    HDC dc = CreateCompatibleDC(nullptr);
    SendMessageW(GetParent(control), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                 reinterpret_cast<LPARAM>(control));
    const COLORREF colour = text ? GetTextColor(dc) : GetBkColor(dc);
    DeleteDC(dc);
    return colour;
}
std::string Tip(const win::MainWindow& window, HWND control) {
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
    std::ofstream(request) << r.left - 12 << ',' << r.top - 36 << ',' << r.right + 12 << ',' << r.bottom + 12;
    PumpUntil([&] { return !std::filesystem::exists(request); }, 20000);
}

std::vector<std::string> ChoosableMenu(win::MainWindow& window) {
    HMENU menu = window.BuildPopupMenu();
    std::vector<std::string> captions;
    for (UINT i = 0; i < static_cast<UINT>(GetMenuItemCount(menu)); ++i) {
        wchar_t text[64] = {};
        GetMenuStringW(menu, i, text, 64, MF_BYPOSITION);
        if (!(GetMenuState(menu, i, MF_BYPOSITION) & (MF_SEPARATOR | MF_GRAYED)))
            captions.push_back(win::Utf8(text));
    }
    DestroyMenu(menu);
    return captions;
}

// The view (texts, colours, tooltips), tray, countdown, About, Configure (Exit after a save resets the
// program), twice the dots per inch, a slave's commands after each reload, what a second copy shows.
TEST(MainWindow, ShowsTheViewRunsTrayCountdownAndScreensFollowsTheDpiAndTheLink) {
    auto socket = MakeUdpSocket(), sender = MakeUdpSocket();
    TempDir dir;
    WinTestHost host;
    FakeWorld world{dir.path()};
    Program p(Services{host, world.clock, world.files, world.processes, world.power, *socket, world.resolver,
                       world.guard, world.system});
    win::Tray tray;
    win::MainWindow window(p, tray);
    dir.Write("Data/Quenzel.ini", IniFile().Set("Proc1", "worker.exe").Text());
    dir.Write("Log/.keep", "");
    window.Load();
    HWND main = window.Handle(), counter = window.Find("counter");
    EXPECT_EQ(std::tuple(Text(main), IsWindowVisible(main) != FALSE, Text(window.Find("title")),
                         Text(counter), Painted(counter), Tip(window, window.Find("configure")), tray.Key()),
              std::tuple("Quenzel"s, true, "Shutdown if there is no activity for 5s"s,
                         "Program Activation In 2s"s, kBlueRef, "Configure Quenzel"s, "Start"s));
    Picture(main, "windows-main.png");
    SendMessageW(main, WM_COMMAND, win::MainWindow::kFirstMenuId + 4, 0); // Minimise
    EXPECT_EQ(std::tuple(IsWindowVisible(main) != FALSE, ChoosableMenu(window)[3]),
              std::tuple(false, "Restore"s));
    SendMessageW(main, win::Tray::kCallback, 1, WM_LBUTTONDBLCLK);
    EXPECT_EQ(std::tuple(IsWindowVisible(main) != FALSE, IsIconic(main) != FALSE, ChoosableMenu(window)[2]),
              std::tuple(true, false, "Minimise"s));
    for (int tick = 0; tick < 40 && p.monitor.phase != MonitorPhase::Shutdown; ++tick)
        SendMessageW(main, WM_TIMER, win::MainWindow::kMainTimer, 0);
    EXPECT_EQ(std::tuple(Painted(counter, false), tray.Key(), ChoosableMenu(window),
                         Text(window.Find("reset")), Enabled(window.Find("configure"))),
              std::tuple(kOrangeRef, "Shutdown"s, std::vector<std::string>{"Cancel"}, "&Cancel"s, false));
    Picture(main, "windows-countdown.png");
    Click(window.Find("reset")); // Cancel

    Click(window.Find("about"));
    win::AboutWindow* about = window.About();
    ASSERT_TRUE(about);
    SendMessageW(about->Handle(), WM_TIMER, win::AboutWindow::kSecondTimer, 0);
    EXPECT_EQ(std::tuple(Text(about->Handle()), Text(about->Find("closeNotice")),
                         Enabled(window.Find("configure"))),
              std::tuple("About Quenzel"s, "About will close in 60 sec"s, false));
    Picture(about->Handle(), "windows-about.png");
    Click(about->Find("exit"));
    EXPECT_TRUE(PumpUntil([&] { return window.About() == nullptr; }));
    ASSERT_TRUE(Enabled(window.Find("configure")));

    Click(window.Find("configure"));
    win::ConfigWindow* config = window.Config();
    ASSERT_TRUE(config);
    auto find = [&](const char* name) { return config->Find(name); };
    EXPECT_EQ(
        std::tuple(Text(config->Handle()), Painted(find("processName1Hint")), Text(find("activationLabel"))),
        std::tuple("Quenzel Configuration"s, kGreenRef, "Activate After:"s));
    Picture(config->Handle(), "windows-config.png");
    Click(find("activateAtTime"));
    EXPECT_EQ(Text(find("activationLabel")), "Activate At:");
    SendMessageW(find("activation"), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"07:30")); // as typing does
    HWND type = find("shutdownType"); // Hibernate chosen as the user does
    SendMessageW(type, CB_SELECTSTRING, WPARAM(-1), LPARAM(L"Hibernate"));
    SendMessageW(config->Handle(), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(type), CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(type));
    Click(find("save"));
    EXPECT_EQ(Text(find("status")), "Changes Saved - Click Exit To Activate The Changes");
    Click(find("exit"));
    EXPECT_TRUE(PumpUntil([&] { return window.Config() == nullptr; }));
    EXPECT_EQ(std::tuple(Text(counter), Text(window.Find("title"))),
              std::tuple("Program Activation At 07:30"s, "Hibernate if there is no activity for 5s"s));

    RECT before{}, after{}, frame{};
    GetClientRect(window.Find("reset"), &before);
    GetWindowRect(main, &frame);
    SendMessageW(main, win::kDpiChanged, MAKEWPARAM(192, 192), reinterpret_cast<LPARAM>(&frame));
    GetClientRect(window.Find("reset"), &after);
    EXPECT_EQ(after.right, 2 * before.right);

    ASSERT_TRUE(sender->Bind(FreeUdpPort()));
    for (const int port : {FreeUdpPort(), FreeUdpPort()}) {
        dir.Write("Data/Quenzel.ini",
                  IniFile().Set("CMain", 2).Set("IPAdd", "127.1.1.1").Set("Port1", port).Text());
        window.Run([&] { ResetProgram(p, window.Logic().monitor); });
        ASSERT_TRUE(sender->SendTo("127.0.0.1", port, "<QZT000>"));
        EXPECT_TRUE(PumpUntil([&] { return Text(main) == "Quenzel Slave - Test Mode"; }));
    }

    win::AlreadyRunningWindow second(p); // what a second copy shows, with the guard held
    second.Load();
    EXPECT_EQ(Text(second.Find("message")),
              "Quenzel is already running.\r\nOnly one instance can be\r\nrunning at a time.");
    Picture(second.Handle(), "windows-already-running.png");
    Click(second.Find("exit"));
    EXPECT_EQ(second.EndedWith(), 1);
}

TEST(WinHost, ALongTitleWidensTheBoxAndEachKindShowsItsIconAndButtons) {
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
    EXPECT_EQ(std::tuple(win::BoxStyle(MsgIcon::Critical, MsgButtons::Ok),
                         win::BoxStyle(MsgIcon::Exclamation, MsgButtons::YesNo),
                         win::BoxStyle(MsgIcon::Information, MsgButtons::YesNoCancel),
                         win::AnswerOf(IDCANCEL)),
              std::tuple(UINT{MB_ICONERROR}, UINT{MB_ICONWARNING | MB_YESNO},
                         UINT{MB_ICONINFORMATION | MB_YESNOCANCEL}, Answer::Cancel));
}

// The logo's clear rounded corner, tile, bar and dot; each key's badge its own colour.
TEST(Pictures, LogoAndTrayBadges) {
    auto pixel = [](const pictures::Picture& p, int x, int y) {
        const uint8_t* at = &p.rgba[(static_cast<size_t>(y) * p.size + x) * 4];
        return static_cast<uint32_t>(at[0] << 24 | at[1] << 16 | at[2] << 8 | at[3]);
    };
    const pictures::Picture logo = pictures::DrawLogo(48);
    EXPECT_EQ(
        std::tuple(pixel(logo, 0, 0) & 0xFF, pixel(logo, 4, 24), pixel(logo, 24, 12), pixel(logo, 38, 38)),
        std::tuple(0u, 0x006600FFu, 0xFFFFFFFFu, 0xFF8000FFu));
    const std::pair<const char*, uint32_t> badges[] = {{"Start", 0x005AD2FFu},
                                                       {"Activate", 0x005AD2FFu},
                                                       {"Activity", 0x28C828FFu},
                                                       {"Shutdown", 0xD21414FFu}};
    for (const auto& [key, badge] : badges) {
        EXPECT_EQ(pixel(pictures::DrawTrayPicture(key, 32).value(), 24, 24), badge) << key;
        EXPECT_TRUE(win::TrayIcon(key, 16)) << key;
    }
    EXPECT_EQ(pictures::DrawTrayPicture("NoActivity", 32)->rgba, pictures::DrawLogo(32).rgba);
    EXPECT_FALSE(pictures::DrawTrayPicture("Other", 32));
}

} // namespace
} // namespace qz::test
