#include <gtest/gtest.h>

#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "console/Options.h"

namespace qz::test {
namespace {

// The usage names every option, command and the exit status; its wording is the program's own.
bool IsUsage(const std::string& printed) {
    for (const char* word : {"Usage: quenzeld", "--help", "--version", "-InhibitShutdown", "-AddErrorMessage",
                             "-StartShutdown", "-InhibitAdmin", "-AllowMulti", "Exit status"})
        if (printed.find(word) == std::string::npos) return false;
    return true;
}

TEST(HelpAndVersion, AnswerOnlyAsTheWholeCommandLineAndFailWhenTheOutputDoes) {
    struct Row {
        std::vector<const char*> args;
        std::optional<int> status;
        std::string printed;
    };
    const Row rows[] = {
        {{"--help"}, 0, "usage"},
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
        EXPECT_TRUE(r.printed == "usage" ? IsUsage(out.str()) : out.str() == r.printed) << out.str();
        std::ostringstream broken;
        broken.setstate(std::ios::badbit);
        EXPECT_EQ(AnswerHelpOrVersion(static_cast<int>(argv.size()), argv.data(), broken),
                  r.status ? std::optional<int>(1) : std::nullopt);
    }
}

} // namespace
} // namespace qz::test
