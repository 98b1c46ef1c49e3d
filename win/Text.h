#pragma once
#include <string>

namespace qz::win {

// The program's texts are UTF-8, or single-byte text where a file written by another editor is
// not valid UTF-8; both become the characters they stand for. What the user types comes back as UTF-8.
std::wstring Wide(const std::string& text);
std::string Utf8(const std::wstring& text);

} // namespace qz::win
