#pragma once
#include <cstdint>
#include <stdexcept>
#include <string>

#include "app/Program.h"

namespace qz {

inline constexpr int32_t kErrShutdownFailed = static_cast<int32_t>(0x8004062B);
inline constexpr int32_t kErrNoPrivilegeValue = static_cast<int32_t>(0x8004062C);
inline constexpr int32_t kErrNoProcess = static_cast<int32_t>(0x8004062D);
inline constexpr int32_t kErrNoPrivileges = static_cast<int32_t>(0x8004062E);
inline constexpr int32_t kErrInvalidFlags = static_cast<int32_t>(0x8004062F);

// A refused power action: number, source ("<exe>.mShutDown") and description.
struct PowerError : std::runtime_error {
    PowerError(int32_t number, std::string source, const std::string& description)
        : std::runtime_error(description), number(number), source(std::move(source)) {}
    int32_t number;
    std::string source;
};

bool EnableShutdownPrivilege(Program& p);
bool ShutdownSystem(Program& p, int32_t flags);
bool HibernateSystem(Program& p);
bool StandbySystem(Program& p);

} // namespace qz
