#pragma once
#include <sys/types.h>

#include <array>
#include <chrono>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace qz::test {

using namespace std::chrono_literals;

// A started program's standard stream: a file opened in its folder ("": closed) or a descriptor of ours.
using Stream = std::variant<std::string, int>;

// A program started from its full path, without a shell, leading a session of its own, with only the
// given environment. Killed when dropped, and by the kernel when the test dies first.
class Process {
  public:
    Process(const std::vector<std::string>& argv, const std::vector<std::string>& env = {},
            const std::filesystem::path& folder = "/",
            const std::array<Stream, 3>& streams = {"/dev/null", "/dev/null", "/dev/null"});
    ~Process();
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;
    void Signal(int number) const;
    // The exit status (128 + the signal that ended it); nothing while it still runs.
    std::optional<int> WaitExit(std::chrono::milliseconds within = 20s);
    bool Running() { return !WaitExit(0ms); }
    pid_t Pid() const { return pid_; }

  private:
    pid_t pid_ = -1;
    std::optional<int> status_;
};

// Polls until the condition holds; false when it did not within the time.
bool Eventually(const std::function<bool()>& condition, std::chrono::milliseconds within = 20s);

} // namespace qz::test
