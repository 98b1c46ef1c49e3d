#include "power/ShutdownTypes.h"

#include <array>

namespace qz {

namespace {

constexpr std::array<ShutdownType, 6> kTypes{{
    {"Power Off", 8, 12, "The Computer Will Power Off In "},
    {"Reboot", 2, 6, "The Computer Will Reboot In "},
    {"Shutdown", 1, 5, "The Computer Will Shutdown In "},
    {"Monitor", 0, 0, "Quenzel Will Close In "},
    {"Hibernate", 0, 0, "The Computer Will Hibernate In "},
    {"Standby", 0, 0, "The Computer Will Standby In "},
}};

} // namespace

const ShutdownType* FindShutdownType(int code) {
    if (code < 1 || code > static_cast<int>(kTypes.size())) return nullptr;
    return &kTypes[static_cast<size_t>(code - 1)];
}

} // namespace qz
