#pragma once
#include <sys/types.h>

#include <filesystem>
#include <string>
#include <vector>

namespace qz::test {

// A child process started from an argument vector (no shell), ended when dropped and by the
// kernel when the test process dies first.
class Child {
  public:
    Child() = default;
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;
    ~Child() { Stop(); }
    // Its standard output goes to outputFd when that is given.
    bool Start(const std::vector<std::string>& argv, int outputFd = -1);
    bool Running();
    void Stop();
    pid_t pid() const { return pid_; }

  private:
    pid_t pid_ = -1;
};

// A dbus-daemon of our own, listening on a socket in the folder; its address is empty when it
// did not start.
class PrivateBus {
  public:
    explicit PrivateBus(const std::filesystem::path& folder);
    const std::string& address() const { return address_; }
    pid_t OwnerOf(const std::string& name) const; // 0 when nobody owns the name

  private:
    Child daemon_;
    std::string address_;
};

// The fake logind on a private bus, writing the calls it receives to a file in the folder.
class FakeLogind {
  public:
    FakeLogind(const PrivateBus& bus, std::filesystem::path folder) : bus_(bus), folder_(std::move(folder)) {}
    // Starts it with these options and waits until it owns logind's name.
    bool Start(const std::vector<std::string>& options);
    void Stop() { process_.Stop(); }
    std::vector<std::string> TakeCalls(); // those received since the last time

  private:
    const PrivateBus& bus_;
    std::filesystem::path folder_;
    Child process_;
    size_t taken_ = 0;
};

} // namespace qz::test
