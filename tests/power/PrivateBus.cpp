#include "tests/power/PrivateBus.h"

#include <csignal>
#include <fstream>
#include <thread>

#include <fcntl.h>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <systemd/sd-bus.h>
#include <unistd.h>

namespace qz::test {

namespace {

constexpr auto kPatience = std::chrono::seconds(10);

// Only the socket in the folder, for the user running the tests; anyone may own any name.
std::string BusConfig(const std::filesystem::path& folder) {
    return "<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN\"\n"
           " \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
           "<busconfig>\n"
           "  <type>session</type>\n"
           "  <listen>unix:path=" +
           (folder / "bus").string() +
           "</listen>\n"
           "  <auth>EXTERNAL</auth>\n"
           "  <policy context=\"default\">\n"
           "    <allow send_destination=\"*\" eavesdrop=\"true\"/>\n"
           "    <allow eavesdrop=\"true\"/>\n"
           "    <allow own=\"*\"/>\n"
           "  </policy>\n"
           "</busconfig>\n";
}

// Reads one line from the pipe, giving up after a while.
std::string ReadLine(int fd) {
    std::string line;
    const auto deadline = std::chrono::steady_clock::now() + kPatience;
    while (std::chrono::steady_clock::now() < deadline) {
        pollfd p{fd, POLLIN, 0};
        if (poll(&p, 1, 100) <= 0) continue;
        char c = 0;
        if (read(fd, &c, 1) != 1) break;
        if (c == '\n') return line;
        line += c;
    }
    return "";
}

} // namespace

bool Child::Start(const std::vector<std::string>& argv, int outputFd) {
    std::vector<char*> args;
    for (const auto& a : argv)
        args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    const pid_t parent = getpid();
    pid_ = fork();
    if (pid_ < 0) return false;
    if (pid_ == 0) {
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (getppid() != parent) _exit(127);
        if (outputFd >= 0) dup2(outputFd, STDOUT_FILENO);
        execv(args[0], args.data());
        _exit(127);
    }
    return true;
}

bool Child::Running() {
    if (pid_ <= 0) return false;
    if (waitpid(pid_, nullptr, WNOHANG) == 0) return true;
    pid_ = -1;
    return false;
}

void Child::Stop() {
    if (pid_ <= 0) return;
    kill(pid_, SIGTERM);
    waitpid(pid_, nullptr, 0);
    pid_ = -1;
}

PrivateBus::PrivateBus(const std::filesystem::path& folder) {
    const auto config = folder / "bus.conf";
    std::ofstream(config) << BusConfig(folder);
    int pipeFds[2];
    if (pipe2(pipeFds, O_CLOEXEC) != 0) return;
    if (daemon_.Start({QZ_DBUS_DAEMON, "--config-file=" + config.string(), "--nofork", "--print-address=1"},
                      pipeFds[1])) {
        address_ = ReadLine(pipeFds[0]);
    }
    close(pipeFds[0]);
    close(pipeFds[1]);
}

pid_t PrivateBus::OwnerOf(const std::string& name) const {
    sd_bus* bus = nullptr;
    int r = sd_bus_new(&bus);
    if (r >= 0) r = sd_bus_set_address(bus, address_.c_str());
    if (r >= 0) r = sd_bus_set_bus_client(bus, 1);
    if (r >= 0) r = sd_bus_start(bus);
    sd_bus_message* reply = nullptr;
    if (r >= 0)
        r = sd_bus_call_method(bus, "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
                               "GetConnectionUnixProcessID", nullptr, &reply, "s", name.c_str());
    uint32_t pid = 0;
    if (r >= 0) r = sd_bus_message_read(reply, "u", &pid);
    sd_bus_message_unref(reply);
    sd_bus_flush_close_unref(bus);
    return r >= 0 ? static_cast<pid_t>(pid) : 0;
}

bool FakeLogind::Start(const std::vector<std::string>& options) {
    std::vector<std::string> argv{QZ_FAKE_LOGIND, "--address", bus_.address(), "--log",
                                  (folder_ / "logind-calls.txt").string()};
    argv.insert(argv.end(), options.begin(), options.end());
    if (!process_.Start(argv)) return false;
    const auto deadline = std::chrono::steady_clock::now() + kPatience;
    while (std::chrono::steady_clock::now() < deadline && process_.Running()) {
        if (bus_.OwnerOf("org.freedesktop.login1") == process_.pid()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

std::vector<std::string> FakeLogind::TakeCalls() {
    std::ifstream in(folder_ / "logind-calls.txt");
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    std::vector<std::string> fresh(
        lines.begin() + static_cast<std::ptrdiff_t>(std::min(taken_, lines.size())), lines.end());
    taken_ = lines.size();
    return fresh;
}

} // namespace qz::test
