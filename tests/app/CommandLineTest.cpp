#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "app/CommandLine.h"

namespace qz::test {
namespace {

using Args = std::vector<std::string_view>;
constexpr int kRuns = -1;

TEST(CommandLine, EveryOptionAnywhereAndNothingElse) {
    struct Row {
        Args args;
        bool desktop;
        int status; // kRuns: the program starts
        StartOption start;
        bool allowMulti;
        std::string printed; // for a refusal the fault after "<program>: ", before the usage
    };
    const auto S = StartOption::StartShutdown, I = StartOption::InhibitShutdown, N = StartOption::None;
    const std::string once = "only one start option at a time";
    const auto unknown = [](const char* option) { return "unknown option \"" + std::string(option) + "\""; };
    // Qt's options, with their values, in either dash form and with an attached value.
    const Args qt{"-platform", "offscreen",     "-InhibitShutdown", "--display",
                  ":1",        "-style=fusion", "-reverse"};
    const Row rows[] = {
        {{}, false, kRuns, N, false, ""},
        {{"-AddErrorMessage"}, false, kRuns, StartOption::AddErrorMessage, false, ""},
        {{"-InhibitAdmin"}, false, kRuns, StartOption::InhibitAdmin, false, ""},
        {{"-AllowMulti", "-StartShutdown"}, false, kRuns, S, true, ""},
        {{"-StartShutdown", "-AllowMulti", "-AllowMulti"}, false, kRuns, S, true, ""},
        {{"-AllowMulti", "-InhibitShutdown"}, true, kRuns, I, true, ""},
        {{"-InhibitShutdwn"}, false, 2, N, false, unknown("-InhibitShutdwn")},
        {{"-inhibitshutdown"}, false, 2, N, false, unknown("-inhibitshutdown")},
        {{"-AllowMulti", "-allowmulti"}, false, 2, N, false, unknown("-allowmulti")},
        {{"-InhibitShutdownNow"}, false, 2, N, false, unknown("-InhibitShutdownNow")},
        {{"-StartShutdown", "-InhibitShutdown"}, false, 2, N, false, once},
        {{"-InhibitShutdown", "-InhibitShutdown"}, false, 2, N, false, once},
        {{"-InhibitShutdown x"}, false, 2, N, false, unknown("-InhibitShutdown x")},
        {{""}, false, 2, N, false, unknown("")},
        {{"-platform", "offscreen"}, false, 2, N, false, unknown("-platform")},
        {qt, true, kRuns, I, false, ""},
        {{"-style", "-InhibitShutdown"}, true, kRuns, N, false, ""}, // a value, whatever it looks like
        {{"-platform"}, true, 2, N, false, unknown("-platform")},
        {{"-platform=offscreen"}, true, 2, N, false, unknown("-platform=offscreen")},
        {{"-x", "-InhibitShutdown"}, true, 2, N, false, unknown("-x")},
        // Help wins wherever it stands; the version only on a line without mistakes.
        {{"-InhibitShutdwn", "-h"}, false, 0, N, false, "usage"},
        {{"-AllowMulti", "--help"}, true, 0, N, true, "usage"},
        {{"--version"}, false, 0, N, false, "quenzeld 1.6\n"},
        {{"-InhibitShutdown", "--version"}, true, 0, I, false, "quenzel 1.6\n"},
        {{"--version", "-Foo"}, false, 2, N, false, unknown("-Foo")},
        {{"--Version"}, false, 2, N, false, unknown("--Version")},
        {{"-help"}, false, 2, N, false, unknown("-help")},
    };
    for (const Row& r : rows) {
        const std::string program = r.desktop ? "quenzel" : "quenzeld";
        SCOPED_TRACE(testing::Message() << program << " " << &r - rows);
        const Options options =
            ReadOptions(r.args, r.desktop ? QtOptions() : std::span<const ForeignOption>());
        std::ostringstream out, err;
        EXPECT_EQ(AnswerOptions(options, program, out, err).value_or(kRuns), r.status);
        EXPECT_EQ(std::tuple(options.start, options.allowMulti), std::tuple(r.start, r.allowMulti));
        const std::string usage = Usage(program); // names each program's own options and the working folder
        const auto has = [&usage](const char* word) { return usage.find(word) != std::string::npos; };
        for (const char* word :
             {"-InhibitShutdown  ", "-AddErrorMessage  ", "-StartShutdown  ", "-InhibitAdmin  ",
              "-AllowMulti  ", "-h, --help  ", "--version  ", "Data/Quenzel.ini", "Log/", "current folder",
              "Exit status", "2 for a command line"})
            EXPECT_TRUE(has(word)) << word;
        EXPECT_EQ(std::tuple(has("-platform"), has("Commands:"), has("--new-key  ")),
                  std::tuple(r.desktop, !r.desktop, !r.desktop));
        EXPECT_EQ(std::tuple(out.str(), err.str()),
                  r.status == 2 ? std::tuple(std::string(), program + ": " + r.printed + "\n\n" + usage)
                                : std::tuple(r.printed == "usage" ? usage : r.printed, std::string()));
        if (r.status == kRuns) { // the run-time record reads its own joined text back alike
            const Options again = ReadOptions(CommandLineText(options));
            EXPECT_EQ(std::tuple(again.request, again.start, again.allowMulti),
                      std::tuple(Request::Run, r.start, r.allowMulti));
        }
        std::ostringstream broken;
        broken.setstate(std::ios::badbit);
        EXPECT_TRUE(r.status != 0 || AnswerOptions(options, program, broken, err) == 1);
    }
}

} // namespace
} // namespace qz::test
