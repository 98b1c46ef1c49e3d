#include "tests/e2e/Quenzeld.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <random>
#include <stdexcept>
#include <thread>

extern char** environ;

namespace qz::test {
namespace fs = std::filesystem;

namespace {

std::optional<int> StatusOf(int waited) {
    if (WIFEXITED(waited)) return WEXITSTATUS(waited);
    if (WIFSIGNALED(waited)) return 128 + WTERMSIG(waited);
    return std::nullopt;
}

// An argument vector or environment block that execve can take.
class CStrings {
  public:
    explicit CStrings(std::vector<std::string> items) : items_(std::move(items)) {
        for (std::string& item : items_)
            pointers_.push_back(item.data());
        pointers_.push_back(nullptr);
    }
    char* const* get() { return pointers_.data(); }

  private:
    std::vector<std::string> items_;
    std::vector<char*> pointers_;
};

// This test program's environment with the given variables set.
std::vector<std::string> EnvironmentWith(const std::vector<std::pair<std::string, std::string>>& set) {
    std::vector<std::string> env;
    for (char** e = environ; *e != nullptr; ++e) {
        const std::string entry(*e);
        bool replaced = false;
        for (const auto& [name, value] : set)
            replaced = replaced || entry.starts_with(name + "=");
        if (!replaced) env.push_back(entry);
    }
    for (const auto& [name, value] : set)
        env.push_back(name + "=" + value);
    return env;
}

void ReapOrKill(pid_t pid) {
    if (pid <= 0) return;
    if (waitpid(pid, nullptr, WNOHANG) == pid) return;
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
}

} // namespace

bool Eventually(const std::function<bool()>& condition, std::chrono::milliseconds within) {
    const auto until = std::chrono::steady_clock::now() + within;
    for (;;) {
        if (condition()) return true;
        if (std::chrono::steady_clock::now() > until) return false;
        std::this_thread::sleep_for(50ms);
    }
}

int FreeUdpPort() {
    static std::atomic<int> next = [] {
        std::random_device seed;
        return std::uniform_int_distribution<int>(20000, 59000)(seed);
    }();
    for (int tries = 0; tries < 1000; ++tries) {
        const int port = next++;
        const int fd = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        sockaddr_in local{};
        local.sin_family = AF_INET;
        local.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        local.sin_port = htons(static_cast<uint16_t>(port));
        const bool free = bind(fd, reinterpret_cast<const sockaddr*>(&local), sizeof local) == 0;
        close(fd);
        if (free) return port;
    }
    throw std::runtime_error("no free UDP port");
}

std::string UniqueProgramName() {
    static std::atomic<int> count = 0;
    return "qz-watched-" + std::to_string(getpid()) + "-" + std::to_string(++count);
}

Station::Station(const Config& config) {
    WriteConfig(config);
    fs::create_directories(dir.path() / "Log");
}

void Station::WriteConfig(const Config& config) const {
    dir.Write("Data/Quenzel.ini", ConfigText(config));
}

bool Station::Logged(const LogEntry& entry) const {
    return CountLogged(entry) > 0;
}

size_t Station::CountLogged(const LogEntry& entry) const {
    size_t count = 0;
    for (const LogEntry& e : Log())
        count += e == entry ? 1 : 0;
    return count;
}

Quenzeld::Quenzeld(const TestWorld& world, const Station& station, const std::vector<std::string>& arguments,
                   int stdinFd)
    : station_(station) {
    // The start option that leaves out every power action must lead the command line to count.
    if (arguments.empty() || arguments.front() != "-InhibitShutdown")
        throw std::invalid_argument("quenzeld is started only with -InhibitShutdown first");
    const fs::path folder = station.Folder();
    std::vector<std::string> argv{QZ_QUENZELD};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    CStrings args(argv);
    CStrings env(EnvironmentWith({{"XDG_RUNTIME_DIR", world.runtime.path().string()},
                                  {"DBUS_SYSTEM_BUS_ADDRESS", "unix:path=" + (folder / "no-bus").string()}}));
    const std::string out = (folder / "stdout.txt").string();
    const std::string err = (folder / "stderr.txt").string();
    const std::string dir = folder.string();

    pid_ = fork();
    if (pid_ < 0) throw std::runtime_error("fork failed");
    if (pid_ == 0) {
        // Only async-signal-safe calls from here on.
        if (stdinFd >= 0) {
            setsid();
            ioctl(stdinFd, TIOCSCTTY, 0);
            dup2(stdinFd, STDIN_FILENO);
        } else {
            const int nothing = open("/dev/null", O_RDONLY);
            dup2(nothing, STDIN_FILENO);
        }
        const int o = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int e = open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (o < 0 || e < 0 || chdir(dir.c_str()) != 0) _exit(126);
        dup2(o, STDOUT_FILENO);
        dup2(e, STDERR_FILENO);
        execve(QZ_QUENZELD, args.get(), env.get());
        _exit(127);
    }
}

Quenzeld::~Quenzeld() {
    if (!status_) ReapOrKill(pid_);
}

void Quenzeld::Signal(int number) const {
    kill(pid_, number);
}

std::optional<int> Quenzeld::WaitExit(std::chrono::milliseconds within) {
    Eventually(
        [this] {
            int waited = 0;
            if (!status_ && waitpid(pid_, &waited, WNOHANG) == pid_) status_ = StatusOf(waited);
            return status_.has_value();
        },
        within);
    return status_;
}

bool Quenzeld::Running() {
    return !WaitExit(0ms).has_value();
}

WatchedProcess::WatchedProcess(const Station& station, int seconds) : name_(UniqueProgramName()) {
    const fs::path program = station.Folder() / name_;
    fs::copy_file("/bin/sleep", program);
    CStrings args({program.string(), std::to_string(seconds)});
    pid_ = fork();
    if (pid_ < 0) throw std::runtime_error("fork failed");
    if (pid_ == 0) {
        execv(program.c_str(), args.get());
        _exit(127);
    }
}

WatchedProcess::~WatchedProcess() {
    ReapOrKill(pid_);
}

bool WatchedProcess::Ended() {
    if (pid_ > 0 && waitpid(pid_, nullptr, WNOHANG) == pid_) pid_ = -1;
    return pid_ < 0;
}

} // namespace qz::test
