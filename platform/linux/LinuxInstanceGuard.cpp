#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cstdlib>
#include <map>
#include <string>

#include "platform/Backend.h"

namespace qz {
namespace {

// A named guard as a lock file: "held by another process" = flock refuses. Handles opened by this
// process share one held lock, so a second Create here reports no other holder, as a mutex would.
class LinuxInstanceGuard final : public InstanceGuard {
public:
    Handle Create(const std::string& name, bool, bool& existed) override {
        existed = false;
        std::string path = LockPath(name);
        int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        if (fd < 0) return 0;
        if (held_[path] > 0) {
            ++held_[path];
            paths_[fd] = path;
            return fd;
        }
        if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
            existed = true;
            return fd; // the caller closes it
        }
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

private:
    static std::string LockPath(const std::string& name) {
        if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime && *runtime)
            return std::string(runtime) + "/" + name + ".lock";
        return "/tmp/" + name + "-" + std::to_string(getuid()) + ".lock";
    }

    std::map<std::string, int> held_;
    std::map<int, std::string> paths_;
};

} // namespace

std::unique_ptr<InstanceGuard> MakeInstanceGuard() { return std::make_unique<LinuxInstanceGuard>(); }

} // namespace qz
