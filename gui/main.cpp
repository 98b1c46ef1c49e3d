#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <QApplication>
#include <QSocketNotifier>
#include <array>
#include <iostream>

#include "app/CommandLine.h"
#include "app/Machine.h"
#include "app/Startup.h"
#include "core/Program.h"
#include "gui/Desktop.h"
#include "gui/QtHost.h"
#include "gui/Tray.h"
#include "platform/Backend.h"

namespace {

// A signal handler reaches the event loop only through a descriptor it knows without being told.
int signalPipeWrite = -1;

void OnSignal(int) {
    const int saved = errno;
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = write(signalPipeWrite, &byte, 1);
    errno = saved;
}

// The read end of a pipe that SIGTERM and SIGINT write to; -1 when there is none.
int CatchEndSignals() {
    std::array<int, 2> ends{};
    if (pipe2(ends.data(), O_NONBLOCK | O_CLOEXEC) != 0) return -1;
    signalPipeWrite = ends[1];
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int number : {SIGTERM, SIGINT})
        sigaction(number, &action, nullptr);
    return ends[0];
}

} // namespace

int main(int argc, char** argv) {
    // Before anything else, so no descriptor of ours becomes a standard stream.
    if (!qz::OpenClosedStandardStreams()) return 1;
    // Answered before the window system is touched: help needs no display.
    const qz::Options options = qz::ReadOptions(argc, argv, qz::QtOptions());
    if (const auto status = qz::AnswerOptions(options, "quenzel", std::cout, std::cerr)) return *status;
    const int endSignals = CatchEndSignals();

    QApplication app(argc, argv);
    // The window lives in the tray when hidden; only the program's own end stops it.
    QApplication::setQuitOnLastWindowClosed(false);

    qz::QtHost host;
    qz::Machine machine;
    qz::Program p(machine.For(host));
    p.rt.exeName = "quenzel";
    p.rt.commandLine = qz::CommandLineText(options);

    qz::Tray tray;
    host.SetTray(&tray);
    const qz::Desktop desktop = qz::StartDesktop(p, tray);
    if (desktop.multiInst) std::cerr << qz::AnotherCopyNote(p) << std::flush;

    // Ended by the system or the terminal, the program ends as by its Exit button, log entry and all.
    if (endSignals >= 0) {
        auto* notifier = new QSocketNotifier(endSignals, QSocketNotifier::Read, &app);
        QObject::connect(notifier, &QSocketNotifier::activated, &app, [&desktop, &host, endSignals] {
            std::array<char, 16> drained{};
            while (read(endSignals, drained.data(), drained.size()) > 0) {
            }
            if (desktop.main)
                desktop.main->Run([&desktop] { desktop.main->Logic().window.OnExit(); });
            else
                host.EndProgram(1); // the "already running" copy never started
        });
    }
    return QApplication::exec();
}
