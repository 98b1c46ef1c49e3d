#pragma once
#include <functional>
#include <string>

#include "app/Program.h"
#include "tests/support/Fakes.h"

namespace qz::test {

inline const std::string kCorruptTitle = "Quenzel Configuration File Error";
inline const std::string kCorruptText =
    "The configuration file is corrupted.\r\nReinstall the program to restore the "
    "file.\r\nThe program will now terminate.";

// Runs an action that may end the program; true when it did.
bool EndsProgram(const std::function<void()>& action);

// Expects that the action ended the program with the corrupted-configuration box and nothing else.
void ExpectCorruptEnd(FakeWorld& world, const std::function<void()>& action,
                      const std::string& title = kCorruptTitle);

// A complete file as an administrator would keep it, with comments and CR LF line ends.
std::string SampleFile();
// The settings SampleFile holds.
Settings SampleSettings();

} // namespace qz::test
