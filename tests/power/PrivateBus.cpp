#include "tests/power/PrivateBus.h"

#include <csignal>
#include <fstream>
#include <thread>

#include <fcntl.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <systemd/sd-bus.h>
#include <unistd.h>

namespace qz::test {

bool Child::Start(const std::vector<std::string>& argv, int outputFd) {
    std::vector<char*> args;
    for (const auto& a : argv)
        args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    const pid_t parent = getpid();
    pid_ = fork();
    if (pid_ == 0) {
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (getppid() != parent) _exit(127);
        if (outputFd >= 0) dup2(outputFd, STDOUT_FILENO);
        execv(args[0], args.data());
        _exit(127);
    }
    return pid_ > 0;
}

bool Child::Running() {
    if (pid_ > 0 && waitpid(pid_, nullptr, WNOHANG) != 0) pid_ = -1;
    return pid_ > 0;
}

void Child::Stop() {
    if (pid_ <= 0) return;
    kill(pid_, SIGTERM);
    waitpid(pid_, nullptr, 0);
    pid_ = -1;
}

PrivateBus::PrivateBus(const std::filesystem::path& folder) {
    // Only the socket in the folder; anyone may own any name.
    const auto config = folder / "bus.conf";
    std::ofstream(config) << "<busconfig><type>session</type><listen>unix:path=" << (folder / "bus").string()
                          << "</listen><auth>EXTERNAL</auth><policy context=\"default\">"
                             "<allow send_destination=\"*\"/><allow receive_sender=\"*\"/><allow own=\"*\"/>"
                             "</policy></busconfig>\n";
    int out[2];
    if (pipe2(out, O_CLOEXEC) != 0) return;
    const bool started = daemon_.Start(
        {QZ_DBUS_DAEMON, "--config-file=" + config.string(), "--nofork", "--print-address=1"}, out[1]);
    close(out[1]);
    for (char c = 0; started && read(out[0], &c, 1) == 1 && c != '\n';)
        address_ += c;
    close(out[0]);
}

pid_t PrivateBus::OwnerOf(const std::string& name) const {
    sd_bus* bus = nullptr;
    sd_bus_message* reply = nullptr;
    uint32_t pid = 0;
    int r = sd_bus_new(&bus);
    if (r >= 0) r = sd_bus_set_address(bus, address_.c_str());
    if (r >= 0) r = sd_bus_set_bus_client(bus, 1);
    if (r >= 0) r = sd_bus_start(bus);
    if (r >= 0)
        r = sd_bus_call_method(bus, "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
                               "GetConnectionUnixProcessID", nullptr, &reply, "s", name.c_str());
    if (r >= 0) r = sd_bus_message_read(reply, "u", &pid);
    sd_bus_message_unref(reply);
    sd_bus_flush_close_unref(bus);
    return r >= 0 ? static_cast<pid_t>(pid) : 0;
}

bool FakeLogind::Start(const std::vector<std::string>& options) {
    std::vector<std::string> argv{QZ_FAKE_LOGIND, bus_.address(), (folder_ / "logind-calls.txt").string()};
    argv.insert(argv.end(), options.begin(), options.end());
    if (!process_.Start(argv)) return false;
    for (int i = 0; i < 1000 && process_.Running(); ++i) {
        if (bus_.OwnerOf("org.freedesktop.login1") == process_.pid()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

std::vector<std::string> FakeLogind::TakeCalls() {
    std::ifstream in(folder_ / "logind-calls.txt");
    std::vector<std::string> fresh;
    size_t seen = 0;
    for (std::string line; std::getline(in, line);)
        if (++seen > taken_) fresh.push_back(line);
    taken_ = seen;
    return fresh;
}

} // namespace qz::test
