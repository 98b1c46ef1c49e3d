#pragma once
#include <cstdint>
#include <stdexcept>
#include <string>
#include <utility>

#include "core/Program.h"

namespace qz {

inline constexpr int32_t kErrShutdownFailed = static_cast<int32_t>(0x8004062B);
inline constexpr int32_t kErrNoPrivilegeValue = static_cast<int32_t>(0x8004062C);
inline constexpr int32_t kErrNoProcess = static_cast<int32_t>(0x8004062D);
inline constexpr int32_t kErrNoPrivileges = static_cast<int32_t>(0x8004062E);
inline constexpr int32_t kErrInvalidFlags = static_cast<int32_t>(0x8004062F);

// A refused power action: number, source ("<exe>.mShutDown") and description.
struct PowerError : std::runtime_error {
    PowerError(int32_t errorNumber, std::string errorSource, const std::string& description)
        : std::runtime_error(description), number(errorNumber), source(std::move(errorSource)) {}
    int32_t number;
    std::string source;
};

// Makes sure the process may carry out the action; raises 0x8004062C..E otherwise.
bool EnableShutdownPrivilege(Program& p, PowerAction action);
// Flags 0..31 as the window system's exit call takes them; raises 0x8004062B..F.
bool ShutdownSystem(Program& p, int32_t flags);
// Raise what the privilege step raises, or 0x8004062B when the system refuses to suspend.
bool HibernateSystem(Program& p);
bool StandbySystem(Program& p);

} // namespace qz
