#pragma once
#include <sys/types.h>

#include <filesystem>
#include <optional>

namespace qz {

// The folder of a user's single-instance lock, from the user id alone, never from the environment:
// for root <run>/quenzel (the service's runtime folder), for another user <run>/user/<uid> when it
// is theirs, else <home>/.quenzel. A folder that is missing is made; one that is a link, belongs
// to someone else or that others may write is refused (nothing), since whoever could create or
// hold the lock there could keep the program from starting.
std::optional<std::filesystem::path> LockFolder(uid_t uid, const std::filesystem::path& run,
                                                const std::optional<std::filesystem::path>& home);

} // namespace qz
