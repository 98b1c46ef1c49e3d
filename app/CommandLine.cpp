#include "app/CommandLine.h"

#include <array>
#include <ostream>

#include "core/Program.h"

namespace qz {
namespace {

struct StartName {
    std::string_view text;
    StartOption option;
};
constexpr std::array<StartName, 4> kStartOptions{{{"-InhibitShutdown", StartOption::InhibitShutdown},
                                                  {"-AddErrorMessage", StartOption::AddErrorMessage},
                                                  {"-StartShutdown", StartOption::StartShutdown},
                                                  {"-InhibitAdmin", StartOption::InhibitAdmin}}};

constexpr std::array<ForeignOption, 22> kQtOptions{{
    {"-platform", true, false},
    {"-platformpluginpath", true, false},
    {"-platformtheme", true, false},
    {"-plugin", true, false},
    {"-qwindowgeometry", true, false},
    {"-geometry", true, false},
    {"-qwindowtitle", true, false},
    {"-title", true, false},
    {"-qwindowicon", true, false},
    {"-icon", true, false},
    {"-session", true, false},
    {"-display", true, false},
    {"-name", true, false},
    {"-style", true, true},
    {"-stylesheet", true, true},
    {"-qmljsdebugger", false, true},
    {"-reverse", false, false},
    {"-sync", false, false},
    {"-nograb", false, false},
    {"-dograb", false, false},
    {"-widgetcount", false, false},
    {"-testability", false, false},
}};

// How many arguments a foreign option takes up at arguments[i], 0 when it is none.
size_t ForeignLength(std::span<const std::string_view> arguments, size_t i,
                     std::span<const ForeignOption> foreign) {
    std::string_view argument = arguments[i];
    if (argument.starts_with("--")) argument.remove_prefix(1); // Qt takes either
    for (const ForeignOption& option : foreign) {
        if (argument == option.name) {
            if (!option.takesValue) return 1;
            return i + 1 < arguments.size() ? 2 : 0;
        }
        if (option.joinedValue && argument.size() > option.name.size() + 1 &&
            argument.starts_with(option.name) && argument[option.name.size()] == '=')
            return 1;
    }
    return 0;
}

Options Refused(std::string fault) {
    Options refused;
    refused.request = Request::Refuse;
    refused.fault = std::move(fault);
    return refused;
}

constexpr std::string_view kStartOptionsText =
    "Start options, at most one, to try the program: the countdown ends in a message box\n"
    "instead of the power action, and\n"
    "  -InhibitShutdown  the process and lost-link delays and the countdown last 6 seconds,\n"
    "                    and the About and configuration screens close after 4 seconds\n"
    "  -StartShutdown    the process and lost-link delays last 6 seconds\n"
    "  -AddErrorMessage  the configuration screen also says \"Invalid Data\" in a box\n"
    "  -InhibitAdmin     the user counts as no administrator (Exit then needs UserExit)\n"
    "Other options:\n"
    "  -AllowMulti       run beside another copy of the program\n"
    "  -h, --help        show this text and exit\n"
    "  --version         show the version and exit\n"
    "Options may stand in any order and are written exactly so; any other argument is\n"
    "refused and nothing starts.\n";

} // namespace

std::span<const ForeignOption> QtOptions() {
    return kQtOptions;
}

Options ReadOptions(std::span<const std::string_view> arguments, std::span<const ForeignOption> foreign) {
    Options options;
    bool help = false, version = false;
    std::string fault;
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::string_view argument = arguments[i];
        if (argument == "-h" || argument == "--help") {
            help = true;
        } else if (argument == "--version") {
            version = true;
        } else if (argument == "-AllowMulti") {
            options.allowMulti = true;
            options.own.emplace_back(argument);
        } else if (const size_t length = ForeignLength(arguments, i, foreign); length > 0) {
            i += length - 1;
        } else {
            const StartName* start = nullptr;
            for (const StartName& name : kStartOptions)
                if (argument == name.text) start = &name;
            if (start == nullptr) {
                if (fault.empty()) fault = "unknown option \"" + std::string(argument) + "\"";
            } else if (options.start != StartOption::None) {
                if (fault.empty()) fault = "only one start option at a time";
            } else {
                options.start = start->option;
                options.own.emplace_back(argument);
            }
        }
    }
    // Asked for help, the program helps even after a mistake.
    if (help)
        options.request = Request::Help;
    else if (!fault.empty())
        return Refused(fault);
    else if (version)
        options.request = Request::Version;
    return options;
}

Options ReadOptions(int argc, const char* const* argv, std::span<const ForeignOption> foreign) {
    std::vector<std::string_view> arguments;
    for (int i = 1; i < argc; ++i)
        arguments.emplace_back(argv[i]);
    return ReadOptions(arguments, foreign);
}

Options ReadOptions(const std::string& commandLine) {
    std::vector<std::string_view> arguments;
    const std::string_view line = commandLine;
    for (size_t at = 0; at < line.size();) {
        const size_t end = std::min(line.find(' ', at), line.size());
        if (end > at) arguments.push_back(line.substr(at, end - at));
        at = end + 1;
    }
    return ReadOptions(arguments);
}

std::string CommandLineText(const Options& options) {
    std::string line;
    for (const std::string& option : options.own)
        line += (line.empty() ? "" : " ") + option;
    return line;
}

std::string Usage(std::string_view program) {
    const bool desktop = program == "quenzel";
    std::string usage = "Usage: " + std::string(program) + " [START-OPTION] [-AllowMulti]" +
                        (desktop ? " [QT-OPTIONS]\n" : "\n") + "       " + std::string(program) +
                        " -h | --help | --version\n";
    usage += desktop ? "Quenzel watches processes and powers the computer off when they have ended.\n"
                     : "The Quenzel monitor without windows: it watches processes and powers the computer\n"
                       "off when they have ended.\n";
    usage += "It works in the current folder: it reads its configuration from Data/Quenzel.ini and\n"
             "writes its log to Log/Quenzel.log (or where LogPath and LogName say).\n\n";
    usage += kStartOptionsText;
    if (desktop) {
        usage += "QT-OPTIONS such as -platform NAME, -display DISPLAY or -style STYLE go to Qt.\n\n"
                 "Exit status: 0 after Exit or a completed countdown; 1 after a fatal error or when\n"
                 "another copy is running; 2 for a command line it does not understand.\n";
        return usage;
    }
    usage += "  --new-key         alone on the command line: write a fresh link key to\n"
             "                    Data/Quenzel.key for pairing two stations, and exit\n\n";
#ifdef _WIN32
    usage += "Commands: Ctrl+C, Ctrl+Break, closing the console or the key q exit; the key r\n"
             "resets (in the countdown: cancels); the key t starts the test; the key c or a set\n"
             "event Local\\Quenzel.Reload.PID (PID: this copy's process id) reloads the\n"
             "configuration.\n";
#else
    usage += "Commands: SIGINT, SIGTERM or the key q exit; SIGUSR1 or the key r resets (in the\n"
             "countdown: cancels); SIGUSR2 or the key t starts the test; SIGHUP reloads the\n"
             "configuration. Keys on a terminal only.\n";
#endif
    usage += "Status lines go to standard output, message boxes to standard error.\n"
             "Exit status: 0 after exit or a completed countdown; 1 after a fatal error or when\n"
             "another copy is running; 2 for a command line it does not understand.\n";
    return usage;
}

std::optional<int> AnswerOptions(const Options& options, std::string_view program, std::ostream& out,
                                 std::ostream& err) {
    switch (options.request) {
    case Request::Run:
        return std::nullopt;
    case Request::Help:
        out << Usage(program) << std::flush;
        return out ? 0 : 1;
    case Request::Version:
        out << program << ' ' << kVersionMajor << '.' << kVersionMinor << '\n' << std::flush;
        return out ? 0 : 1;
    case Request::Refuse:
        break;
    }
    err << program << ": " << options.fault << "\n\n" << Usage(program) << std::flush;
    return 2;
}

} // namespace qz
