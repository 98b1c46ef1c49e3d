#pragma once
#include <cstddef>
#include <string>
#include <string_view>

namespace qz {

bool IsValidIP(std::string_view text);
bool IsValidTime(std::string_view text);
std::string TimeText(long number); // 730 -> "07:30"

// The length of a setting's text in characters: code points when the text is UTF-8, bytes otherwise,
// so a name typed with accents is measured the way the user counts it.
size_t TextLength(std::string_view text);

// True when a log path ends with its folder separator: "\", and on POSIX systems also "/".
bool EndsWithFolderSeparator(std::string_view path);

} // namespace qz
