// quenzeld: the monitor without windows, for servers, services and scripts.
#include <exception>
#include <iostream>

#include "console/EventLoop.h"
#include "console/Options.h"
#include "platform/Backend.h"
#include "platform/FileSys.h"

namespace {

int RunQuenzeld(int argc, const char* const* argv, qz::ConsoleOutput& output) {
    qz::ConsoleHost host(output);
    qz::SystemClock clock;
    qz::FileSys files; // the current folder
    auto processes = qz::MakeProcessTable();
    auto power = qz::MakePowerApi();
    auto socket = qz::MakeUdpSocket();
    auto resolver = qz::MakeNameResolver();
    auto guard = qz::MakeInstanceGuard();
    auto system = qz::MakeSystemServices();
    qz::Program program(
        qz::Services{host, clock, files, *processes, *power, *socket, *resolver, *guard, *system});
    program.rt.CommandLine = qz::JoinArguments(argc, argv);
    program.rt.ExeName = "quenzeld";

    qz::StatusPrinter status(output);
    qz::Session session(program, host, status);
    auto events = qz::MakeEventSource();
    return qz::RunEventLoop(session, *events);
}

} // namespace

int main(int argc, char** argv) {
    // Before anything else: these touch neither the single-instance lock nor the working folder.
    if (const auto status = qz::AnswerHelpOrVersion(argc, argv, std::cout)) return *status;
    qz::ConsoleOutput output(std::cout, std::cerr, qz::StdoutIsTerminal());
    int status = 1;
    try {
        status = RunQuenzeld(argc, argv, output);
    } catch (const std::exception& error) {
        output.Finish();
        std::cerr << "quenzeld: " << error.what() << std::endl;
        return 1;
    }
    output.Finish();
    return status;
}
