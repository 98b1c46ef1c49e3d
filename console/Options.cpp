#include "console/Options.h"

#include <ostream>
#include <string>
#include <string_view>

#include "app/Program.h"

namespace qz {
namespace {

constexpr std::string_view kUsage =
    "Usage: quenzeld [START-OPTION] [-AllowMulti]\n"
    "       quenzeld --help | --version\n"
    "The Quenzel monitor without windows, in the current folder (Data/Quenzel.ini, Log/).\n"
    "\n"
    "Start options, first on the command line; under each the countdown ends in a message\n"
    "instead of the power action:\n"
    "  -InhibitShutdown  delays and countdown cut to 6 seconds\n"
    "  -AddErrorMessage  nothing more\n"
    "  -StartShutdown    delays cut to 6 seconds\n"
    "  -InhibitAdmin     the administrator test fails\n"
    "Last on the command line:\n"
    "  -AllowMulti       run beside another copy\n"
    "\n"
#ifdef _WIN32
    "Commands: Ctrl+C, Ctrl+Break or key q exit; key r reset (in the countdown: cancel);\n"
    "key t test.\n"
#else
    "Commands: SIGINT, SIGTERM or key q exit; SIGUSR1 or key r reset (in the countdown:\n"
    "cancel); SIGUSR2 or key t test; SIGHUP reload the configuration. Keys on a terminal only.\n"
#endif
    "Exit status: 0 after exit or a completed countdown; 1 after a fatal error or when another\n"
    "copy is running.\n";

} // namespace

std::optional<int> AnswerHelpOrVersion(int argc, const char* const* argv, std::ostream& out) {
    if (argc != 2) return std::nullopt;
    const std::string_view option = argv[1];
    if (option == "--help")
        out << kUsage;
    else if (option == "--version")
        out << "quenzeld " << kVersionMajor << '.' << kVersionMinor << '\n';
    else
        return std::nullopt;
    out.flush();
    return out ? 0 : 1;
}

} // namespace qz
