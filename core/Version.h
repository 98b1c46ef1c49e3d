#pragma once

namespace qz {

inline constexpr int kVersionMajor = 1;
inline constexpr int kVersionMinor = 6;

} // namespace qz
