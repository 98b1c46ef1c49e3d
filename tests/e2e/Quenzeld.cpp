#include "tests/e2e/Quenzeld.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <stdexcept>
#include <thread>

namespace qz::test {

bool Eventually(const std::function<bool()>& condition, std::chrono::milliseconds within) {
    for (const auto until = std::chrono::steady_clock::now() + within; !condition();) {
        if (std::chrono::steady_clock::now() > until) return false;
        std::this_thread::sleep_for(50ms);
    }
    return true;
}

Process::Process(std::vector<std::string> argv, std::vector<std::string> env,
                 const std::filesystem::path& folder, const std::array<std::string, 3>& streams) {
    auto pointers = [](std::vector<std::string>& items) {
        std::vector<char*> list;
        for (std::string& item : items)
            list.push_back(item.data());
        list.push_back(nullptr);
        return list;
    };
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
    // Opened by the leader of a new session, a terminal becomes its controlling one.
    for (int fd : {STDIN_FILENO, STDOUT_FILENO, STDERR_FILENO}) {
        const std::string& name = streams[static_cast<size_t>(fd)];
        if (name.empty())
            posix_spawn_file_actions_addclose(&actions, fd);
        else
            posix_spawn_file_actions_addopen(
                &actions, fd, name.c_str(), fd == STDIN_FILENO ? O_RDWR : O_WRONLY | O_CREAT | O_TRUNC, 0644);
    }
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSID);
    const int failed = posix_spawn(&pid_, argv[0].c_str(), &actions, &attributes, pointers(argv).data(),
                                   pointers(env).data());
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    if (failed != 0) throw std::runtime_error("cannot start " + argv[0]);
}

Process::~Process() {
    if (WaitExit(0ms)) return;
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
}

std::optional<int> Process::WaitExit(std::chrono::milliseconds within) {
    int waited = 0;
    if (!status_ && Eventually([&] { return waitpid(pid_, &waited, WNOHANG) == pid_; }, within))
        status_ = WIFEXITED(waited) ? WEXITSTATUS(waited) : 128 + WTERMSIG(waited);
    return status_;
}

// The start option that leaves out every power action counts only at the head of the line.
static std::vector<std::string> InhibitedCommandLine(const char* program,
                                                     std::vector<std::string> arguments) {
    if (arguments.empty() || arguments.front() != "-InhibitShutdown")
        throw std::invalid_argument("quenzeld is started only with -InhibitShutdown first");
    arguments.insert(arguments.begin(), program);
    return arguments;
}

Quenzeld::Quenzeld(const TestWorld& world, const Station& s, const std::vector<std::string>& arguments,
                   const std::array<std::string, 3>& streams, const char* program)
    : Process(InhibitedCommandLine(program, arguments),
              {"QZ_TEST_LOCK_FOLDER=" + world.runtime.path().string(),
               "XDG_RUNTIME_DIR=" + s.Folder().string(),
               "DBUS_SYSTEM_BUS_ADDRESS=unix:path=" + (s.Folder() / "no-bus").string(),
               "DBUS_SESSION_BUS_ADDRESS=unix:path=" + (s.Folder() / "no-bus").string(),
               "QT_QPA_PLATFORM=offscreen"},
              s.Folder(), streams),
      station(s) {}

WatchedProcess::WatchedProcess(const Station& station, int seconds)
    : name([&station] {
          static int count = 0;
          std::string unique = "qz-watched-" + std::to_string(getpid()) + "-" + std::to_string(++count);
          std::filesystem::copy_file("/bin/sleep", station.Folder() / unique);
          return unique;
      }()),
      process({(station.Folder() / name).string(), std::to_string(seconds)}, {}, station.Folder(),
              {"/dev/null", "/dev/null", "/dev/null"}) {}

} // namespace qz::test
