#include "console/Session.h"

#include "app/ProgramReset.h"
#include "app/Startup.h"
#include "config/ConfigFile.h"
#include "screens/AlreadyRunningScreen.h"

#ifdef _WIN32
#include <process.h>

#include "console/EventLoop.h"
#else
#include <unistd.h>
#endif

namespace qz {

Session::Session(Program& program, ConsoleHost& consoleHost, StatusPrinter& printer)
    : p(program), host(consoleHost), status(printer), app(program, consoleHost) {
    host.SetRefresh([this] { Render(); });
}

void Session::Start() {
    if (Main(p) == StartWindow::AlreadyRunning) {
        Refuse();
        return;
    }
    app.Load();
    app.window.OnActivated();
    shown = true;
    Render();
    // The status sentence speaks of a Configure button that only the desktop has.
    if (p.rt.notConfigured && host.Output().ErrIsTerminal()) host.Output().Note(SetupAdvice());
}

std::string Session::SetupAdvice() const {
    const bool slave = p.set.role == Role::Slave;
    std::string advice =
        "Quenzel is not set up yet. Edit " + p.svc.files.Resolve(kConfigPath).string() + "\n" +
        (slave ? "and give the main station's address under the key IPAdd.\n"
               : "and name the program to watch under the key Proc1 (for example Proc1=backup.sh).\n");
#ifdef _WIN32
    return advice + "Then reload the configuration: the key c, or set the event " +
           ReloadEventName(static_cast<unsigned long>(_getpid())) + ".\n";
#else
    return advice + "Then reload the configuration: kill -HUP " + std::to_string(getpid()) +
           ", or for the service\nsystemctl reload quenzeld.\n";
#endif
}

void Session::Refuse() {
    AlreadyRunningScreen refusal(p, host);
    refusal.Load();
    refusal.OnActivated();
    host.ShowMessage(MsgIcon::Critical, MsgButtons::Ok, refusal.view.caption, refusal.view.message);
    host.Output().Note(AnotherCopyNote(p));
    refusal.OnExit();
}

void Session::Tick() {
    app.OnTimer();
    Render();
}

void Session::DataArrival() {
    app.link.OnDatagram();
    Render();
}

void Session::Do(Command command) {
    const MainView& view = app.window.view;
    switch (command) {
    case Command::Reset:
        if (view.reset.enabled) app.window.OnReset();
        break;
    case Command::Test:
        if (view.test.enabled) app.window.OnTest();
        break;
    case Command::Reload:
        if (view.configure.enabled) Reload();
        break;
    case Command::Exit:
        app.window.OnExit();
        break;
    }
    Render();
}

// As after a saved configuration: the file is read again and the monitor starts over.
void Session::Reload() {
    ResetProgram(p, app.monitor);
}

void Session::Render() {
    if (shown) status.Show(app.window.view);
}

} // namespace qz
