#pragma once
#include <cstdint>
#include <iosfwd>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/StartOption.h"

namespace qz {

// What a command line asks the program to do.
enum class Request { Run, Help, Version, Refuse };

struct Options {
    Request request = Request::Run;
    StartOption start = StartOption::None;
    bool allowMulti = false;
    std::vector<std::string> own; // the program's own options, in their order (for the log)
    std::string fault;            // why the command line is refused
};

// An option of the window system that the desktop program hands on to it untouched.
struct ForeignOption {
    std::string_view name; // with its one leading dash
    bool takesValue;       // the next argument is its value
    bool joinedValue;      // written as name=value
};

// The window system's options of the desktop program (Qt's).
std::span<const ForeignOption> QtOptions();

// Reads the arguments after the program's name. Every option stands on its own and is compared
// whole and with its case, wherever it stands; anything else refuses the whole command line, so a
// mistyped test option never becomes a real run. -h or --help anywhere asks for help.
Options ReadOptions(std::span<const std::string_view> arguments, std::span<const ForeignOption> foreign = {});
Options ReadOptions(int argc, const char* const* argv, std::span<const ForeignOption> foreign = {});
// The command line as the run-time record keeps it: the arguments joined with single blanks.
Options ReadOptions(const std::string& commandLine);

// The program's own options joined with single blanks, as the run-time record keeps them.
std::string CommandLineText(const Options& options);

// The usage of program ("quenzel" or "quenzeld").
std::string Usage(std::string_view program);

// Answers help and version on out, a refused command line with its fault and the usage on err.
// Gives the exit status (0 help and version, 1 when out could not take them, 2 refused), or
// nothing when the program is to run.
std::optional<int> AnswerOptions(const Options& options, std::string_view program, std::ostream& out,
                                 std::ostream& err);

} // namespace qz
