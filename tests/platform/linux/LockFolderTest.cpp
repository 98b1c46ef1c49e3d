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
    constexpr uid_t kUser = 4321;
    struct Folder {
        const char* path; // below the root holding run/ and home/
        uid_t owner;
        mode_t mode;
        const char* linkedFrom = nullptr;
    };
    struct Row {
        const char* name;
        uid_t uid;
        std::vector<Folder> folders;
        bool home;
        const char* chosen; // "" none
    };
    const Folder ownHome{"home/.quenzel", kUser, 0700};
    const Row rows[] = {
        {"root: made", 0, {}, true, "run/quenzel"},
        {"root: others may write", 0, {{"run/quenzel", 0, 0777}}, true, ""},
        {"root: someone else's", 0, {{"run/quenzel", kUser, 0755}}, true, ""},
        {"root: a link", 0, {{"elsewhere", 0, 0755, "run/quenzel"}}, true, ""},
        {"user: runtime folder", kUser, {{"run/user/4321", kUser, 0700}}, true, "run/user/4321"},
        {"user: runtime not theirs", kUser, {{"run/user/4321", 0, 0700}, ownHome}, true, "home/.quenzel"},
        {"user: runtime a link", kUser, {{"own", kUser, 0700, "run/user/4321"}, ownHome}, true, ownHome.path},
        {"user: home folder others may write", kUser, {{"home/.quenzel", kUser, 0777}}, true, ""},
        {"user: no home", kUser, {}, false, ""},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        test::TempDir root;
        fs::create_directories(root.path() / "run");
        fs::create_directories(root.path() / "home");
        for (const Folder& f : r.folders) {
            const fs::path path = root.path() / f.path;
            fs::create_directories(path);
            ASSERT_EQ(chown(path.c_str(), f.owner, f.owner), 0);
            ASSERT_EQ(chmod(path.c_str(), f.mode), 0);
            if (!f.linkedFrom) continue;
            fs::create_directories((root.path() / f.linkedFrom).parent_path());
            fs::create_directory_symlink(path, root.path() / f.linkedFrom);
        }
        const auto chosen = LockFolder(r.uid, root.path() / "run",
                                       r.home ? std::optional(root.path() / "home") : std::nullopt);
        EXPECT_EQ(chosen.value_or(fs::path()), *r.chosen ? root.path() / r.chosen : fs::path());
    }
}

} // namespace
} // namespace qz
