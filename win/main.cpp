// quenzel.exe: the desktop program on Windows, with its main window and tray icon.
#include <winsock2.h>

#include <windows.h>

#include <commctrl.h>

#include <memory>
#include <sstream>

#include "app/CommandLine.h"
#include "app/Machine.h"
#include "app/Startup.h"
#include "core/Program.h"
#include "win/AlreadyRunningWindow.h"
#include "win/MainWindow.h"
#include "win/Text.h"
#include "win/Tray.h"
#include "win/WinHost.h"

namespace {

// A window program has no console: help, version and a refused command line go into a box.
int Answer(const qz::Options& options) {
    std::ostringstream out, err;
    const auto status = qz::AnswerOptions(options, "quenzel", out, err);
    if (!status) return -1;
    const std::string text = out.str() + err.str();
    if (!text.empty())
        MessageBoxW(nullptr, qz::win::Wide(text).c_str(), L"Quenzel",
                    *status == 0 ? MB_ICONINFORMATION : MB_ICONERROR);
    return *status;
}

// Tab and the arrow keys move between the controls of the window the message is for.
int RunMessageLoop() {
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        HWND top = message.hwnd ? GetAncestor(message.hwnd, GA_ROOT) : nullptr;
        if (top && IsDialogMessageW(top, &message)) continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return static_cast<int>(message.wParam);
}

} // namespace

int main(int argc, char** argv) {
    const qz::Options options = qz::ReadOptions(argc, argv);
    if (const int status = Answer(options); status >= 0) return status;

    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);

    qz::win::WinHost host;
    qz::Machine machine;
    qz::Program p(machine.For(host));
    p.rt.exeName = "quenzel";
    p.rt.commandLine = qz::CommandLineText(options);

    qz::win::Tray tray;
    host.SetTray(&tray);
    std::unique_ptr<qz::win::AlreadyRunningWindow> alreadyRunning;
    std::unique_ptr<qz::win::MainWindow> main;
    if (qz::Main(p) == qz::StartWindow::AlreadyRunning) {
        alreadyRunning = std::make_unique<qz::win::AlreadyRunningWindow>(p);
        alreadyRunning->Load();
    } else {
        main = std::make_unique<qz::win::MainWindow>(p, tray);
        host.SetOwner(main->Handle());
        main->Load();
    }
    return RunMessageLoop();
}
