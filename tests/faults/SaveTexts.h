#pragma once
#include <string>

namespace qz::test {

// The two configurations the rewriter saves in turn. The second is large, so that a kill often
// lands while its bytes are still being written.
std::string SmallSaveText();
std::string LargeSaveText();

} // namespace qz::test
