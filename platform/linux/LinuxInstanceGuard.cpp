#include "platform/linux/LinuxInstanceGuard.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cstdlib>
#include <map>
#include <string>

#include "platform/Backend.h"

namespace qz {
namespace {

// The folder's descriptor when it is a real folder of the user's that nobody else may write.
int OpenOwnFolder(const std::filesystem::path& folder, uid_t uid) {
    const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    struct stat status {};
    if (fd >= 0 && fstat(fd, &status) == 0 && status.st_uid == uid &&
        (status.st_mode & (S_IWGRP | S_IWOTH)) == 0)
        return fd;
    if (fd >= 0) close(fd);
    return -1;
}

bool UsableFolder(const std::filesystem::path& folder, uid_t uid, bool make) {
    if (make) mkdir(folder.c_str(), uid == 0 ? 0755 : 0700);
    const int fd = OpenOwnFolder(folder, uid);
    if (fd < 0) return false;
    close(fd);
    return true;
}

std::optional<std::filesystem::path> HomeOf(uid_t uid) {
    std::array<char, 4096> buffer{};
    passwd entry{};
    passwd* found = nullptr;
    if (getpwuid_r(uid, &entry, buffer.data(), buffer.size(), &found) != 0 || found == nullptr ||
        found->pw_dir == nullptr || *found->pw_dir != '/')
        return std::nullopt;
    return std::filesystem::path(found->pw_dir);
}

// A named guard as a lock file: "held by another process" = flock refuses. Handles opened by this
// process share one held lock, so a second Create here reports no other holder, as a mutex would.
// The holder writes its process id into the file for the copies it refuses.
class LinuxInstanceGuard final : public InstanceGuard {
  public:
    explicit LinuxInstanceGuard(std::optional<std::filesystem::path> folder) : folder_(std::move(folder)) {}

    Handle Create(const std::string& name, bool, bool& existed) override {
        existed = false;
        const int fd = OpenLock(name);
        if (fd < 0) return 0;
        const std::string path = LockPath(name);
        if (held_[path] > 0) {
            ++held_[path];
            paths_[fd] = path;
            return fd;
        }
        if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
            existed = true;
            return fd; // the caller closes it
        }
        const std::string pid = std::to_string(getpid()) + "\n";
        [[maybe_unused]] const bool told = ftruncate(fd, 0) == 0 && pwrite(fd, pid.data(), pid.size(), 0) ==
                                                                        static_cast<ssize_t>(pid.size());
        ++held_[path];
        paths_[fd] = path;
        return fd;
    }

    void Close(Handle handle) override {
        auto it = paths_.find(static_cast<int>(handle));
        if (it != paths_.end()) {
            if (--held_[it->second] == 0) flock(static_cast<int>(handle), LOCK_UN);
            paths_.erase(it);
        }
        close(static_cast<int>(handle));
    }

    Holder HolderOf(const std::string& name) override {
        Holder holder;
        const int fd = OpenLock(name);
        if (fd < 0) return holder;
        holder.where = LockPath(name);
        std::array<char, 32> text{};
        const ssize_t got = pread(fd, text.data(), text.size() - 1, 0);
        close(fd);
        if (got > 0) holder.pid = std::strtol(text.data(), nullptr, 10);
        return holder;
    }

  private:
    std::string LockPath(const std::string& name) const { return (*folder_ / (name + ".lock")).string(); }

    // The lock file, only when it is a regular file of this user's in the checked folder.
    int OpenLock(const std::string& name) const {
        if (!folder_) return -1;
        const int dir = OpenOwnFolder(*folder_, geteuid());
        if (dir < 0) return -1;
        const int fd = openat(dir, (name + ".lock").c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
        close(dir);
        struct stat status {};
        if (fd >= 0 && fstat(fd, &status) == 0 && S_ISREG(status.st_mode) && status.st_uid == geteuid())
            return fd;
        if (fd >= 0) close(fd);
        return -1;
    }

    std::optional<std::filesystem::path> folder_;
    std::map<std::string, int> held_;
    std::map<int, std::string> paths_;
};

} // namespace

std::optional<std::filesystem::path> LockFolder(uid_t uid, const std::filesystem::path& run,
                                                const std::optional<std::filesystem::path>& home) {
    if (uid == 0) {
        const std::filesystem::path folder = run / "quenzel";
        return UsableFolder(folder, uid, true) ? std::optional(folder) : std::nullopt;
    }
    if (const std::filesystem::path own = run / "user" / std::to_string(uid); UsableFolder(own, uid, false))
        return own;
    if (!home) return std::nullopt;
    const std::filesystem::path folder = *home / ".quenzel";
    return UsableFolder(folder, uid, true) ? std::optional(folder) : std::nullopt;
}

std::unique_ptr<InstanceGuard> MakeInstanceGuard() {
#ifdef QZ_TEST_LOCK_FOLDER
    // Only the test copies of the programs are built with this, so tests side by side never meet.
    if (const char* folder = std::getenv("QZ_TEST_LOCK_FOLDER"))
        return std::make_unique<LinuxInstanceGuard>(std::filesystem::path(folder));
#endif
    const uid_t uid = geteuid();
    return std::make_unique<LinuxInstanceGuard>(LockFolder(uid, "/run", HomeOf(uid)));
}

} // namespace qz
