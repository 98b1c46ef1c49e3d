#include "power/ShutdownTypes.h"

#include <array>

namespace qz {

namespace {

// In the order of ShutdownType.
constexpr std::array<ShutdownTypeInfo, 6> kTypes{{
    {"Power Off", 8, 12, "The Computer Will Power Off In "},
    {"Reboot", 2, 6, "The Computer Will Reboot In "},
    {"Shutdown", 1, 5, "The Computer Will Shutdown In "},
    {"Monitor", 0, 0, "Quenzel Will Close In "},
    {"Hibernate", 0, 0, "The Computer Will Hibernate In "},
    {"Standby", 0, 0, "The Computer Will Standby In "},
}};

} // namespace

const ShutdownTypeInfo& InfoOf(ShutdownType type) {
    return kTypes[static_cast<size_t>(type)];
}

} // namespace qz
