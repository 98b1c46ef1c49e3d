#include <QApplication>
#include <string>

#include "app/Program.h"
#include "gui/Desktop.h"
#include "gui/QtHost.h"
#include "gui/Tray.h"
#include "platform/Backend.h"

namespace {

// The program's arguments joined with single blanks. Qt has taken its own options out already.
std::string CommandLine(int argc, char** argv) {
    std::string line;
    for (int i = 1; i < argc; ++i) {
        if (i > 1) line += ' ';
        line += argv[i];
    }
    return line;
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    // The window lives in the tray when hidden; only the program's own end stops it.
    QApplication::setQuitOnLastWindowClosed(false);

    qz::QtHost host;
    qz::SystemClock clock;
    qz::FileSys files;
    const auto processes = qz::MakeProcessTable();
    const auto power = qz::MakePowerApi();
    const auto socket = qz::MakeUdpSocket();
    const auto resolver = qz::MakeNameResolver();
    const auto guard = qz::MakeInstanceGuard();
    const auto system = qz::MakeSystemServices();
    qz::Program p(qz::Services{host, clock, files, *processes, *power, *socket, *resolver, *guard, *system});
    p.rt.ExeName = "quenzel";
    p.rt.CommandLine = CommandLine(argc, argv);

    qz::Tray tray;
    host.SetTray(&tray);
    const qz::Desktop desktop = qz::StartDesktop(p, tray);
    return QApplication::exec();
}
