#pragma once
#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "tests/support/Fakes.h"
#include "tests/support/IniFile.h"
#include "tests/support/TempDir.h"
#include "win/Events.h"
#include "win/MainWindow.h"

namespace qz::test {

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
    ~WinWorld() { window.reset(); }

    void Start(const IniFile& ini, const std::string& commandLine = "") {
        dir.Write("Data/Quenzel.ini", ini.Text());
        dir.Write("Log/.keep", "");
        p.rt.CommandLine = commandLine;
        window->Load();
    }

    TempDir dir;
    WinTestHost host;
    FakeWorld world{dir.path()};
    Program p;
    win::Tray tray;
    std::unique_ptr<win::MainWindow> window;
};

// Runs the window messages that wait, until done says so or the time is up.
bool PumpUntil(const std::function<bool()>& done, DWORD milliseconds = 3000);
inline void Pump() {
    PumpUntil([] { return false; }, 0);
}

// What a control shows: its text; the colours and the weight its window paints it in; its tooltip.
std::string Text(HWND control);
COLORREF Fore(HWND control);
COLORREF Back(HWND control);
bool Bold(HWND control);
std::string Tip(HWND tooltip, HWND control);
bool Enabled(HWND control);
void Click(HWND control);
// Types text into an edit field as the keyboard would leave it.
void Type(HWND field, const std::string& text);
// Chooses the item of a list, as the user's choice reports it.
void Choose(HWND list, const std::string& item);

// With QZ_PICTURES naming a folder, leaves the window there as a picture: it names the screen's
// rectangle to take, and waits while the screenshot script takes it.
void Picture(HWND window, const char* file, int margin = 12);
void Picture(RECT screenArea, const char* file);

} // namespace qz::test
