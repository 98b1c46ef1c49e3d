// The user's hand for scripts/win-walk.sh: runs under wine beside the installed quenzel.exe, finds
// its windows and controls by their class and text, clicks and types into them as the user would,
// and asks the script for a picture at each step.
//   win-walk.exe PICTURE-FOLDER INSTALL-FOLDER
#include <windows.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

std::filesystem::path pictures;

[[noreturn]] void Fail(const char* what) {
    std::fprintf(stderr, "win-walk: %s\n", what);
    std::exit(1);
}

std::wstring TextOf(HWND window) {
    wchar_t text[256] = {};
    GetWindowTextW(window, text, 256);
    std::wstring out;
    for (const wchar_t* c = text; *c; ++c)
        if (*c != L'&') out += *c;
    return out;
}

// Waits for done to give a window; the walk fails when it does not come.
template <class F> HWND Await(F done, const char* what, DWORD milliseconds = 15000) {
    const ULONGLONG end = GetTickCount64() + milliseconds;
    while (GetTickCount64() < end) {
        if (HWND found = done()) return found;
        Sleep(50);
    }
    Fail(what);
}

HWND TopWindow(const wchar_t* className, const wchar_t* title = nullptr) {
    HWND window = FindWindowW(className, title);
    return window && IsWindowVisible(window) ? window : nullptr;
}

HWND Child(HWND parent, const std::wstring& text) {
    struct Search {
        std::wstring text;
        HWND found;
    } search{text, nullptr};
    EnumChildWindows(
        parent,
        [](HWND child, LPARAM data) -> BOOL {
            auto& s = *reinterpret_cast<Search*>(data);
            if (TextOf(child) != s.text || !IsWindowVisible(child)) return TRUE;
            s.found = child;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// The field a label names: the control made right after it.
HWND Field(HWND parent, const std::wstring& label) {
    HWND named = Child(parent, label);
    if (!named) Fail("a field's label is missing");
    return GetWindow(named, GW_HWNDNEXT);
}

void Type(HWND field, const wchar_t* text) {
    SendMessageW(field, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
}

void Click(HWND parent, const std::wstring& caption) {
    HWND button = Child(parent, caption);
    if (!button) Fail("a button is missing");
    SendMessageW(button, BM_CLICK, 0, 0);
}

RECT Around(std::initializer_list<HWND> windows) {
    RECT all{INT_MAX, INT_MAX, INT_MIN, INT_MIN};
    for (HWND w : windows) {
        RECT r{};
        GetWindowRect(w, &r);
        all = {std::min(all.left, r.left), std::min(all.top, r.top), std::max(all.right, r.right),
               std::max(all.bottom, r.bottom)};
    }
    // Room for the title bar the window manager draws above a window's own rectangle.
    return {all.left - 12, all.top - 36, all.right + 12, all.bottom + 12};
}

// Asks the script for the screen area as a picture and waits until it has been taken.
void Picture(const char* name, RECT area, DWORD settle = 400) {
    SetCursorPos(GetSystemMetrics(SM_CXSCREEN) - 1, 0);
    Sleep(settle);
    const auto request = pictures / (std::string(name) + ".take");
    std::ofstream(request) << area.left << ',' << area.top << ',' << area.right << ',' << area.bottom << '\n';
    Await([&] { return std::filesystem::exists(request) ? nullptr : GetDesktopWindow(); },
          "no picture taken");
    std::printf("%s\n", name);
}

// Wine's own tray, put in the lower right corner beside the main window.
HWND PlaceTray(HWND main) {
    HWND tray = Await([] { return TopWindow(nullptr, L"Wine System Tray"); }, "no tray");
    RECT t{}, m{};
    GetWindowRect(tray, &t);
    GetWindowRect(main, &m);
    SetWindowPos(tray, HWND_TOP, m.right + 24, m.bottom + 12, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE);
    return tray;
}

// The tray's balloon: a tooltip of wine's tray, not of the program.
HWND Balloon(DWORD program) {
    struct Search {
        DWORD program;
        HWND found;
    } search{program, nullptr};
    EnumWindows(
        [](HWND w, LPARAM data) -> BOOL {
            auto& s = *reinterpret_cast<Search*>(data);
            wchar_t kind[32] = {};
            GetClassNameW(w, kind, 32);
            DWORD owner = 0;
            GetWindowThreadProcessId(w, &owner);
            if (!IsWindowVisible(w) || owner == s.program || std::wstring(kind) != L"tooltips_class32")
                return TRUE;
            s.found = w;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 3) Fail("usage: win-walk.exe PICTURE-FOLDER INSTALL-FOLDER");
    pictures = argv[1];
    const std::wstring folder = argv[2];

    // 1: the installed folder, as the file manager shows it.
    HWND files = Await([] { return TopWindow(nullptr, L"Quenzel"); }, "no file manager window");
    Picture("windows-walk-1-installed.png", Around({files}), 1000);
    PostMessageW(files, WM_CLOSE, 0, 0);
    Await([&] { return IsWindow(files) ? nullptr : files; }, "the file manager stays");

    // 2: the desktop program started in its folder, for a trial.
    std::wstring command = L"\"" + folder + L"\\quenzel.exe\" -InhibitShutdown";
    STARTUPINFOW start{};
    start.cb = sizeof(start);
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &start,
                        &process))
        Fail("quenzel.exe does not start");
    HWND main = Await([] { return TopWindow(L"QuenzelMain"); }, "no main window");
    HWND tray = PlaceTray(main);
    Picture("windows-walk-2-started.png", Around({main, tray}), 1000);

    // 3: the configuration screen, filled in and saved. A trial closes it after 4 seconds.
    Click(main, L"Configure");
    HWND config = Await([] { return TopWindow(L"QuenzelConfig"); }, "no configuration screen");
    Type(Field(config, L"Process 1:"), L"render.exe");
    Type(Field(config, L"Process Delay:"), L"5");
    Type(Field(config, L"Shut Down Time:"), L"10");
    Click(config, L"Save");
    Await([&] { return Child(config, L"Changes Saved - Click Exit To Activate The Changes"); }, "not saved",
          1000);
    Picture("windows-walk-3-configured.png", Around({config}), 500);

    // 4: Exit resets the program with the new configuration; it activates after its start delay.
    Click(config, L"Exit");
    Await([] { return TopWindow(L"QuenzelConfig") ? nullptr : GetDesktopWindow(); }, "the screen stays");
    Picture("windows-walk-4-reset.png", Around({main, tray}), 300);

    // 5: render.exe does not run: after the process delay the countdown starts, the tray shows it
    // with its balloon. The trial's countdown lasts 6 seconds.
    Await([&] { return Child(main, L"Cancel"); }, "no countdown", 60000);
    HWND balloon = Await([&] { return Balloon(process.dwProcessId); }, "no balloon", 3000);
    Picture("windows-walk-5-countdown.png", Around({main, tray, balloon}), 300);

    // 6: cancelled by the main window's Cancel button: the program watches again.
    Click(main, L"Cancel");
    Await([&] { return Child(main, L"Cancel") ? nullptr : main; }, "the countdown goes on");
    Picture("windows-walk-6-cancelled.png", Around({main, tray}), 600);

    PostMessageW(main, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(process.hProcess, 5000) != WAIT_OBJECT_0) TerminateProcess(process.hProcess, 0);
    return 0;
}
