#include <gtest/gtest.h>

#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "console/Options.h"

namespace qz::test {
namespace {

const std::string kUsage =
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

TEST(HelpAndVersion, AnswerOnlyAsTheWholeCommandLineAndFailWhenTheOutputDoes) {
    struct Row {
        std::vector<const char*> args;
        std::optional<int> status;
        std::string printed;
    };
    const Row rows[] = {
        {{"--help"}, 0, kUsage},
        {{"--version"}, 0, "quenzeld 1.6\n"},
        {{}, std::nullopt, ""},
        {{"--help", "-AllowMulti"}, std::nullopt, ""},
        {{"-InhibitShutdown", "--version"}, std::nullopt, ""},
        {{"--Version"}, std::nullopt, ""},
        {{"-help"}, std::nullopt, ""},
        {{"--help "}, std::nullopt, ""},
    };
    for (const Row& r : rows) {
        std::vector<const char*> argv{"quenzeld"};
        argv.insert(argv.end(), r.args.begin(), r.args.end());
        SCOPED_TRACE(r.args.empty() ? "(none)" : r.args.front());
        std::ostringstream out;
        EXPECT_EQ(AnswerHelpOrVersion(static_cast<int>(argv.size()), argv.data(), out), r.status);
        EXPECT_EQ(out.str(), r.printed);
        std::ostringstream broken;
        broken.setstate(std::ios::badbit);
        EXPECT_EQ(AnswerHelpOrVersion(static_cast<int>(argv.size()), argv.data(), broken),
                  r.status ? std::optional<int>(1) : std::nullopt);
    }
}

} // namespace
} // namespace qz::test
