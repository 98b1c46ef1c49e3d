#pragma once
#include <iosfwd>
#include <optional>

namespace qz {

// quenzeld's own options, --help and --version, each only as the whole command line. Writes the
// usage or the version to out and gives the exit status: 0, or 1 when out could not take it.
// Nothing for any other command line, which is the program's.
std::optional<int> AnswerHelpOrVersion(int argc, const char* const* argv, std::ostream& out);

} // namespace qz
