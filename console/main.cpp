// quenzeld: the monitor without windows, for servers, services and scripts.
#include <exception>
#include <iostream>
#include <string_view>

#include "app/CommandLine.h"
#include "app/LinkKey.h"
#include "app/Machine.h"
#include "console/EventLoop.h"
#include "console/OutputChannel.h"
#include "platform/Backend.h"
#include "platform/FileSys.h"

namespace {

int RunQuenzeld(const qz::Options& options, qz::ConsoleOutput& output) {
    qz::ConsoleHost host(output);
    qz::Machine machine;
    qz::Program program(machine.For(host));
    program.rt.commandLine = qz::CommandLineText(options);
    program.rt.exeName = "quenzeld";

    qz::StatusPrinter status(output);
    qz::Session session(program, host, status);
    auto events = qz::MakeEventSource();
    return qz::RunEventLoop(session, *events);
}

} // namespace

int main(int argc, char** argv) {
    // Before anything else, so no descriptor of ours becomes a standard stream.
    if (!qz::OpenClosedStandardStreams()) return 1;
    // Only writes the link's key into the working folder; nothing starts.
    if (argc == 2 && std::string_view(argv[1]) == "--new-key")
        return qz::WriteNewLinkKey(qz::FileSys{}, std::cout, std::cerr);
    const qz::Options options = qz::ReadOptions(argc, argv);
    // These touch neither the single-instance lock nor the working folder.
    if (const auto status = qz::AnswerOptions(options, "quenzeld", std::cout, std::cerr)) return *status;

    qz::OutputChannel outChannel(qz::MakeStreamEnd(1)), errChannel(qz::MakeStreamEnd(2));
    std::ostream out(&outChannel), err(&errChannel);
    qz::ConsoleOutput output(out, err, qz::IsTerminal(1), qz::IsTerminal(2));
    int status = 1;
    try {
        status = RunQuenzeld(options, output);
    } catch (const std::exception& error) {
        output.Finish();
        err << "quenzeld: " << error.what() << std::endl;
    }
    output.Finish();
    if (const long dropped = outChannel.DroppedLines() + errChannel.DroppedLines(); dropped > 0)
        err << "quenzeld: " << dropped << " lines of output could not be written\n" << std::flush;
    return status;
}
