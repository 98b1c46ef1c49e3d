// The link's round trip on loopback: a main station's "<QZA100>" to its slave, the slave's answer
// with its pending message, and the main station reading it, all through the program's own
// handlers and sockets. Measured against a bare UDP echo over two sockets in the same run, and
// printed as the ratio of the two; the times alone say little on a shared machine.
#include <benchmark/benchmark.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench/LoopbackSocket.h"
#include "link/Link.h"
#include "platform/Backend.h"

namespace qz {
namespace {

using Clock = std::chrono::steady_clock;
constexpr const char* kLoopback = "127.0.0.1";
constexpr int kWaitMs = 1000;

// Round trip times in microseconds over all turns.
std::vector<double> linkSamples, bareSamples;

bool WaitReadable(int fd) {
    pollfd watch{fd, POLLIN, 0};
    return poll(&watch, 1, kWaitMs) == 1;
}

// The services the link's handlers never reach in this benchmark.
class NoHost final : public Host {
  public:
    Answer ShowMessage(MsgIcon, MsgButtons, const std::string& title, const std::string&) override {
        std::fprintf(stderr, "unexpected message box: %s\n", title.c_str());
        return Answer::Ok;
    }
    void RemoveTrayIcon() override {}
    [[noreturn]] void EndProgram(int) override { std::abort(); }
};
class NoProcesses final : public ProcessTable {
  public:
    bool ForEachName(const std::function<void(std::string_view)>&) override { return true; }
};
class NoPower final : public PowerApi {
  public:
    PrivilegeResult EnableShutdownPrivilege(PowerAction) override {
        return {PrivilegeStep::LookupFailed, ""};
    }
    bool ExitWindows(int, std::string&) override { return false; }
    bool SetSuspendState(bool, std::string&) override { return false; }
};
class NoGuard final : public InstanceGuard {
  public:
    Handle Create(const std::string&, bool, bool& existed) override {
        existed = false;
        return 0;
    }
    void Close(Handle) override {}
};
class NoSystem final : public SystemServices {
  public:
    void RaisePriority() override {}
    bool UserIsAdministrator() override { return false; }
    int OpenAddress(const std::string&) override { return 0; }
    bool StartViewer(const std::string&) override { return false; }
};
class NoEvents final : public LinkEvents {
  public:
    void RemoteReset() override {}
    void RemoteTest() override {}
    void ShowLinkError(const std::string&) override {}
    void LogEvent(std::string_view, std::string_view) override {}
};

// One station with the real socket and resolver, bound to listen on `listen` and sending to `peer`.
struct Station {
    Station(int16_t cmain, int listen, int peer) {
        program.set.role = cmain == 2 ? Role::Slave : Role::Main;
        program.set.peerAddress = kLoopback;
        program.rt.peerPort = peer;
        bound = socket->Bind(listen);
    }
    int Fd() const { return static_cast<int>(socket->NativeHandle()); }

    NoHost host;
    SystemClock clock;
    FileSys files;
    NoProcesses processes;
    NoPower power;
    std::unique_ptr<UdpSocket> socket = MakeUdpSocket();
    std::unique_ptr<NameResolver> resolver = MakeNameResolver();
    NoGuard guard;
    NoSystem system;
    Program program{Services{host, clock, files, processes, power, *socket, *resolver, guard, system}};
    NoEvents events;
    bool bound = false;
};

// Two loopback ports that are free now: held by bare sockets that give them up when asked.
std::pair<int, int> FreePorts() {
    bench::LoopbackSocket a, b;
    return {a.Port(), b.Port()};
}

double Micros(Clock::duration d) {
    return std::chrono::duration<double, std::micro>(d).count();
}

void LinkRoundTrip(benchmark::State& state, std::vector<double>& samples) {
    const auto [mainPort, slavePort] = FreePorts();
    Station main(1, mainPort, slavePort);
    Station slave(2, slavePort, mainPort);
    if (!main.bound || !slave.bound) {
        state.SkipWithError("no loopback ports");
        return;
    }
    for (auto _ : state) {
        const auto start = Clock::now();
        main.program.rt.linkMessage = "<QZA100>";
        main.program.rt.linkMark = "-";
        SendLinkMessage(main.program);
        if (!WaitReadable(slave.Fd())) return state.SkipWithError("the slave heard nothing");
        OnDatagram(slave.program, slave.events);
        if (!WaitReadable(main.Fd())) return state.SkipWithError("the slave did not answer");
        OnDatagram(main.program, main.events);
        samples.push_back(Micros(Clock::now() - start));
        if (main.program.rt.linkMark != "C") return state.SkipWithError("the answer was not a valid message");
    }
}

void BareEcho(benchmark::State& state, std::vector<double>& samples) {
    bench::LoopbackSocket a, b;
    if (!a.ok || !b.ok) {
        state.SkipWithError("no loopback sockets");
        return;
    }
    const std::string message = "<QZA100>";
    char buffer[64];
    auto send = [&](const bench::LoopbackSocket& from, const bench::LoopbackSocket& to, const char* data,
                    size_t size) {
        return sendto(from.fd, data, size, 0, reinterpret_cast<const sockaddr*>(&to.address),
                      sizeof to.address) == static_cast<ssize_t>(size);
    };
    for (auto _ : state) {
        const auto start = Clock::now();
        if (!send(a, b, message.data(), message.size()) || !WaitReadable(b.fd))
            return state.SkipWithError("the echo heard nothing");
        const ssize_t got = recv(b.fd, buffer, sizeof buffer, 0);
        if (got <= 0 || !send(b, a, buffer, static_cast<size_t>(got)) || !WaitReadable(a.fd))
            return state.SkipWithError("the echo did not answer");
        benchmark::DoNotOptimize(recv(a.fd, buffer, sizeof buffer, 0));
        samples.push_back(Micros(Clock::now() - start));
    }
}

double Percentile(std::vector<double> values, double fraction) {
    if (values.empty()) return 0;
    const auto index = static_cast<size_t>(fraction * static_cast<double>(values.size() - 1));
    std::nth_element(values.begin(), values.begin() + static_cast<long>(index), values.end());
    return values[index];
}

void PrintRatios() {
    const std::vector<double>& link = linkSamples;
    const std::vector<double>& bare = bareSamples;
    if (link.empty() || bare.empty()) {
        std::printf("\nno ratio: a benchmark did not run\n");
        return;
    }
    const double linkMedian = Percentile(link, 0.5), bareMedian = Percentile(bare, 0.5);
    const double linkP99 = Percentile(link, 0.99), bareP99 = Percentile(bare, 0.99);
    std::printf("\nLoopback round trip main -> slave -> main, all measured in this run\n");
    std::printf("%-18s %9s %11s %10s\n", "", "samples", "median us", "p99 us");
    std::printf("%-18s %9zu %11.1f %10.1f\n", "link handlers", link.size(), linkMedian, linkP99);
    std::printf("%-18s %9zu %11.1f %10.1f\n", "bare UDP echo", bare.size(), bareMedian, bareP99);
    std::printf("%-18s %9s %11.2f %10.2f\n", "ratio link/bare", "", linkMedian / bareMedian,
                linkP99 / bareP99);
}

} // namespace
} // namespace qz

int main(int argc, char** argv) {
    // In turns, so load from elsewhere on the machine falls on both alike.
    for (int turn = 0; turn < 5; ++turn) {
        benchmark::RegisterBenchmark("bare_udp_echo",
                                     [](benchmark::State& s) { qz::BareEcho(s, qz::bareSamples); })
            ->Iterations(4000)
            ->UseRealTime();
        benchmark::RegisterBenchmark("link_round_trip",
                                     [](benchmark::State& s) { qz::LinkRoundTrip(s, qz::linkSamples); })
            ->Iterations(4000)
            ->UseRealTime();
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    qz::PrintRatios();
    return 0;
}
