#pragma once
#include <cstdint>
#include <optional>
#include <string_view>

namespace qz {

// A number as the configuration file holds it: blanks, tabs and line feeds anywhere are ignored,
// the longest beginning that forms a decimal number is taken (no number = 0), and the value is
// rounded half to even. nullopt when the value does not fit between min and max (the field's width).
std::optional<int64_t> ReadFileNumber(std::string_view text, int64_t min, int64_t max);

// The leading numeric value of a screen field: blanks skipped, sign, decimals, exponent and the
// prefixes &H and &O understood; no number = 0.
double LeadingNumber(std::string_view text);

// The text without the blanks at its ends.
std::string_view TrimBlanks(std::string_view text);

} // namespace qz
