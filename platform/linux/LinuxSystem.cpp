#include <fcntl.h>
#include <grp.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <vector>

#include "platform/Backend.h"

namespace qz {
namespace {

// Starts program with one argument, no shell, and does not wait for it. The child is reaped by a
// short-lived intermediate process so no zombie stays behind.
bool SpawnDetached(const char* program, const std::string& argument) {
    pid_t middle = fork();
    if (middle < 0) return false;
    if (middle == 0) {
        std::vector<char*> argv{const_cast<char*>(program), const_cast<char*>(argument.c_str()), nullptr};
        pid_t child = 0;
        int rc = posix_spawnp(&child, program, nullptr, nullptr, argv.data(), environ);
        _exit(rc == 0 ? 0 : 127);
    }
    int status = 0;
    while (waitpid(middle, &status, 0) < 0) {
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

class LinuxSystem final : public SystemServices {
  public:
    void RaisePriority() override { (void)setpriority(PRIO_PROCESS, 0, -10); }

    bool UserIsAdministrator() override {
        if (geteuid() == 0) return true;
        int count = getgroups(0, nullptr);
        if (count < 0) return false;
        std::vector<gid_t> groups(static_cast<size_t>(count) + 1);
        count = getgroups(count, groups.data());
        if (count < 0) return false;
        groups.resize(static_cast<size_t>(count));
        groups.push_back(getegid());
        for (gid_t gid : groups) {
            if (const group* g = getgrgid(gid)) {
                std::string name = g->gr_name;
                if (name == "sudo" || name == "wheel" || name == "admin") return true;
            }
        }
        return false;
    }

    // Mirrors the Windows convention: above 32 means the browser was started.
    int OpenAddress(const std::string& address) override {
        return SpawnDetached("xdg-open", address) ? 42 : 2;
    }

    bool StartViewer(const std::string& path) override { return SpawnDetached("xdg-open", path); }
};

} // namespace

std::unique_ptr<SystemServices> MakeSystemServices() {
    return std::make_unique<LinuxSystem>();
}

bool OpenClosedStandardStreams() {
    // In order, so that the lowest free descriptor is the one being filled.
    for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; ++fd) {
        if (fcntl(fd, F_GETFD) >= 0 || errno != EBADF) continue;
        const int opened = open("/dev/null", fd == STDIN_FILENO ? O_RDONLY : O_WRONLY);
        if (opened != fd) {
            if (opened >= 0) close(opened);
            return false;
        }
    }
    return true;
}

} // namespace qz
