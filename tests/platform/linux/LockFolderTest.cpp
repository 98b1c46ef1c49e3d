#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include "platform/linux/LinuxInstanceGuard.h"
#include "tests/support/TempDir.h"

namespace qz {
namespace {

namespace fs = std::filesystem;

// A folder another user could create, replace or write is refused: a lock there could keep us from starting.
TEST(LockFolder, FollowsTheUserIdAloneAndTrustsOnlyTheUsersOwnFolder) {
    if (geteuid() != 0) GTEST_SKIP() << "needs root to give folders to other users";
    struct Row {
        uid_t uid, owner;
        mode_t mode;
        // folder: made below the root after the user's home/.quenzel (none: the user has no home)
        const char *folder, *chosen, *linkedFrom = nullptr; // chosen "": none
    };
    const Row rows[] = {
        {0, 0, 0755, "run", "run/quenzel"},
        {0, 0, 0777, "run/quenzel", ""},    // others may write
        {0, 4321, 0755, "run/quenzel", ""}, // someone else's
        {0, 0, 0755, "run/elsewhere", "", "run/quenzel"},
        {4321, 4321, 0700, "run/user/4321", "run/user/4321"}, // the user's runtime folder
        {4321, 0, 0700, "run/user/4321", "home/.quenzel"},    // not theirs
        {4321, 4321, 0777, "home/.quenzel", ""},              // others may write
        {4321, 0, 0, nullptr, ""},
    };
    for (const Row& r : rows) {
        test::TempDir root;
        const auto make = [&root](const char* folder, uid_t owner, mode_t mode) {
            const fs::path path = root.path() / folder;
            fs::create_directories(path);
            ASSERT_EQ(chown(path.c_str(), owner, owner), 0);
            ASSERT_EQ(chmod(path.c_str(), mode), 0);
        };
        make("home/.quenzel", 4321, 0700);
        if (r.folder) make(r.folder, r.owner, r.mode);
        if (r.linkedFrom) fs::create_directory_symlink(root.path() / r.folder, root.path() / r.linkedFrom);
        const auto chosen = LockFolder(r.uid, root.path() / "run",
                                       r.folder ? std::optional(root.path() / "home") : std::nullopt);
        EXPECT_EQ(chosen.value_or(fs::path()), *r.chosen ? root.path() / r.chosen : fs::path()) << &r - rows;
    }
}

} // namespace
} // namespace qz
