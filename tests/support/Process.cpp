#include "tests/support/Process.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <stdexcept>
#include <thread>

namespace qz::test {

bool Eventually(const std::function<bool()>& condition, std::chrono::milliseconds within) {
    for (const auto until = std::chrono::steady_clock::now() + within; !condition();) {
        if (std::chrono::steady_clock::now() > until) return false;
        std::this_thread::sleep_for(20ms);
    }
    return true;
}

Process::Process(const std::vector<std::string>& argv, const std::vector<std::string>& env,
                 const std::filesystem::path& folder, const std::array<Stream, 3>& streams) {
    // Everything the child needs is ready before the fork: after it, only system calls.
    const auto pointers = [](const std::vector<std::string>& items) {
        std::vector<char*> list;
        for (const std::string& item : items)
            list.push_back(const_cast<char*>(item.c_str()));
        list.push_back(nullptr);
        return list;
    };
    const std::vector<char*> args = pointers(argv), environment = pointers(env);
    const pid_t parent = getpid();
    pid_ = fork();
    if (pid_ == 0) {
        prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (getppid() != parent || setsid() < 0 || chdir(folder.c_str()) != 0) _exit(127);
        for (int fd = 0; fd < 3; ++fd) {
            const Stream& stream = streams[static_cast<size_t>(fd)];
            const std::string* file = std::get_if<std::string>(&stream);
            if (file && file->empty()) {
                close(fd);
                continue;
            }
            const int from = file ? open(file->c_str(), fd == 0 ? O_RDWR : O_WRONLY | O_CREAT | O_TRUNC, 0644)
                                  : std::get<int>(stream);
            if (from < 0 || dup2(from, fd) < 0) _exit(127);
            if (file && from != fd) close(from);
        }
        execve(args[0], args.data(), environment.data());
        _exit(127);
    }
    if (pid_ < 0) throw std::runtime_error("cannot start " + argv[0]);
}

Process::~Process() {
    if (WaitExit(0ms)) return;
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
}

void Process::Signal(int number) const {
    kill(pid_, number);
}

std::optional<int> Process::WaitExit(std::chrono::milliseconds within) {
    int waited = 0;
    if (!status_ && Eventually([&] { return waitpid(pid_, &waited, WNOHANG) == pid_; }, within))
        status_ = WIFEXITED(waited) ? WEXITSTATUS(waited) : 128 + WTERMSIG(waited);
    return status_;
}

} // namespace qz::test
