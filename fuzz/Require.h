#pragma once
#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace qz::fuzz {

// A broken invariant is a finding: say which one and abort, so the fuzzer keeps the input.
inline void Require(bool holds, std::string_view what) {
    if (holds) return;
    std::fprintf(stderr, "broken invariant: %.*s\n", static_cast<int>(what.size()), what.data());
    std::abort();
}

} // namespace qz::fuzz
