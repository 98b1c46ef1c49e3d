#pragma once
#include <string>
#include <string_view>

namespace qz {

bool IsValidIP(std::string_view text);
bool IsValidTime(std::string_view text);
std::string TimeText(long number); // 730 -> "07:30"

} // namespace qz
