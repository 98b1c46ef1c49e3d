// The link's receive handler under a flood on loopback: datagrams a second taken in by a slave's
// handler, against a bare recv loop under the same flood, measured in turns in one run and printed
// as a ratio. The flood mixes every kind the handler tells apart: alive messages (which the slave
// answers), resets, invalid frames and unreadable scraps. A keyed slave takes a flood of forged
// proven datagrams, each of which costs it an HMAC, against the same bare loop; from that comes the
// share of one processor a flood of 100,000 forged datagrams a second takes from the monitor.
//
//   flood_bench [benchmark options]   the measurement
//   flood_bench --flood PORT SECONDS  only floods 127.0.0.1:PORT, to watch a running quenzeld
#include <benchmark/benchmark.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "bench/LoopbackSocket.h"
#include "link/Link.h"
#include "link/LinkProof.h"
#include "platform/Backend.h"
#include "tests/support/Fakes.h"
#include "tests/support/TempDir.h"

namespace qz {
namespace {

using Steady = std::chrono::steady_clock;
constexpr int kBurst = 40000; // datagrams per flood
// Alive, reset, a wrong length, an unknown sender, a scrap too short to read.
const std::vector<std::string> kKinds = {"<QZA100>", "<QZC000>", "<QZA199>", "<XYA100>", "QZ"};
constexpr const char* kKey = "0123456789abcdef0123456789abcdef";

// Proven messages of every command under another key, and one of them with a wrong tag.
std::vector<std::string> ForgedKinds() {
    std::vector<std::string> kinds;
    uint64_t counter = 1;
    for (const char* plain : {"<QZA100>", "<QZC000>", "<QZT000>"})
        kinds.push_back(SignLinkMessage(std::string(32, 'f'), Role::Main, plain, counter++).value_or(""));
    std::string wrongTag = SignLinkMessage(kKey, Role::Main, "<QZC000>", counter).value_or("");
    wrongTag[20] = wrongTag[20] == 'A' ? 'B' : 'A';
    kinds.push_back(wrongTag);
    return kinds;
}

// Sends the kinds in turn to 127.0.0.1:port, count datagrams or until the deadline; the number sent.
long Flood(int port, long count, Steady::time_point deadline,
           const std::vector<std::string>& kinds = kKinds) {
    bench::LoopbackSocket from;
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    to.sin_port = htons(static_cast<uint16_t>(port));
    long sent = 0;
    for (long i = 0; i < count && (i % 1024 != 0 || Steady::now() < deadline); ++i) {
        const std::string_view kind = kinds[static_cast<size_t>(i) % kinds.size()];
        if (sendto(from.fd, kind.data(), kind.size(), 0, reinterpret_cast<const sockaddr*>(&to), sizeof to) >
            0)
            ++sent;
    }
    return sent;
}

// The real socket, counting what it hands out.
class CountingSocket final : public UdpSocket {
  public:
    explicit CountingSocket(UdpSocket& real) : real_(real) {}
    void Close() override { real_.Close(); }
    bool Bind(int port) override { return real_.Bind(port); }
    bool SendTo(const std::string& ipv4, int port, const std::string& data) override {
        return real_.SendTo(ipv4, port, data);
    }
    std::optional<std::string> Receive() override {
        auto datagram = real_.Receive();
        if (datagram) ++received;
        return datagram;
    }
    std::intptr_t NativeHandle() const override { return real_.NativeHandle(); }
    long received = 0;

  private:
    UdpSocket& real_;
};

class CountingEvents final : public LinkEvents {
  public:
    void RemoteReset() override { ++calls; }
    void RemoteTest() override { ++calls; }
    void ShowLinkError(const std::string&) override { ++calls; }
    void LogEvent(std::string_view, std::string_view) override {}
    long calls = 0;
};

struct Drained {
    long received = 0;
    double seconds = 0;    // from the first datagram taken in to the last
    double cpuSeconds = 0; // the taking thread's processor time meanwhile
};

double ThreadCpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

// Floods the port from another thread while take() empties the socket; take() answers how many it
// has taken in so far.
template <typename Take>
Drained DrainFlood(int fd, int port, Take take, const std::vector<std::string>& kinds = kKinds) {
    std::thread sender([port, &kinds] { Flood(port, kBurst, Steady::time_point::max(), kinds); });
    Drained result;
    Steady::time_point first{}, last{};
    const double cpuBefore = ThreadCpuSeconds();
    for (;;) {
        pollfd watch{fd, POLLIN, 0};
        if (poll(&watch, 1, 50) != 1) break; // the flood is over
        const long before = result.received;
        result.received = take();
        if (result.received > before) {
            last = Steady::now();
            if (before == 0) first = last;
        }
    }
    result.cpuSeconds = ThreadCpuSeconds() - cpuBefore;
    sender.join();
    result.seconds = std::chrono::duration<double>(last - first).count();
    return result;
}

// What the floods of one side came to.
struct Tally {
    std::vector<double> rates;    // datagrams a second of real time
    std::vector<double> cpuRates; // datagrams a second of the taking thread's processor time
    long lost = 0;
};
Tally handlerTally, bareTally, keyedTally;

void Record(benchmark::State& state, const Drained& drained, Tally& tally) {
    if (drained.received < 2 || drained.seconds <= 0 || drained.cpuSeconds <= 0)
        return state.SkipWithError("nothing came through");
    state.SetIterationTime(drained.seconds);
    state.SetItemsProcessed(state.items_processed() + drained.received);
    tally.rates.push_back(static_cast<double>(drained.received) / drained.seconds);
    tally.cpuRates.push_back(static_cast<double>(drained.received) / drained.cpuSeconds);
    tally.lost += kBurst - drained.received;
}

void HandlerUnderFlood(benchmark::State& state, bool keyed) {
    test::TempDir dir;
    test::FakeWorld world(dir.path());
    auto real = MakeUdpSocket();
    CountingSocket counting(*real);
    bench::LoopbackSocket mainStation; // hears the slave's answers and never reads them
    Program slave(Services{world.host, world.clock, world.files, world.processes, world.power, counting,
                           world.resolver, world.guard, world.system});
    slave.set.role = Role::Slave;
    slave.set.peerAddress = "127.0.0.1";
    slave.rt.peerPort = mainStation.Port();
    if (keyed) slave.link.key = kKey;
    const std::vector<std::string> kinds = keyed ? ForgedKinds() : kKinds;
    bench::LoopbackSocket probe;
    const int port = probe.Port();
    close(probe.fd);
    probe.fd = -1;
    if (!mainStation.ok || !counting.Bind(port)) return state.SkipWithError("no loopback port");
    CountingEvents events;
    const int fd = static_cast<int>(counting.NativeHandle());
    for (auto _ : state) {
        counting.received = 0;
        Record(state,
               DrainFlood(
                   fd, port,
                   [&] {
                       OnDatagram(slave, events);
                       return counting.received;
                   },
                   kinds),
               keyed ? keyedTally : handlerTally);
    }
    benchmark::DoNotOptimize(events.calls);
}

void BareUnderFlood(benchmark::State& state) {
    bench::LoopbackSocket socket;
    if (!socket.ok) return state.SkipWithError("no loopback socket");
    char buffer[2048];
    for (auto _ : state) {
        long received = 0;
        Record(state,
               DrainFlood(socket.fd, socket.Port(),
                          [&] {
                              while (recv(socket.fd, buffer, sizeof buffer, MSG_DONTWAIT) >= 0)
                                  ++received;
                              return received;
                          }),
               bareTally);
    }
}

double Median(std::vector<double> values) {
    if (values.empty()) return 0;
    std::nth_element(values.begin(), values.begin() + static_cast<long>(values.size() / 2), values.end());
    return values[values.size() / 2];
}

void PrintRatio() {
    const Tally& handler = handlerTally;
    const Tally& bare = bareTally;
    const Tally& keyed = keyedTally;
    if (handler.rates.empty() || bare.rates.empty() || keyed.rates.empty()) {
        std::printf("\nno ratio: a benchmark did not run\n");
        return;
    }
    auto lostPercent = [](const Tally& t) {
        return 100.0 * static_cast<double>(t.lost) / static_cast<double>(t.rates.size() * kBurst);
    };
    std::printf("\nFloods of %d datagrams on loopback, five kinds in turn (keyed: four forged kinds), all "
                "measured in this run (medians)\n",
                kBurst);
    std::printf("%-20s %7s %14s %18s %8s\n", "", "floods", "datagrams/s", "per CPU second", "lost");
    for (const auto& [name, t] : {std::pair{"link handler", &handler}, std::pair{"keyed, all forged", &keyed},
                                  std::pair{"bare recv loop", &bare}})
        std::printf("%-20s %7zu %14.0f %18.0f %7.1f%%\n", name, t->rates.size(), Median(t->rates),
                    Median(t->cpuRates), lostPercent(*t));
    std::printf("%-20s %7s %14.2f %18.2f\n", "ratio handler/bare", "",
                Median(handler.rates) / Median(bare.rates), Median(handler.cpuRates) / Median(bare.cpuRates));
    std::printf("%-20s %7s %14.2f %18.2f\n", "ratio keyed/bare", "", Median(keyed.rates) / Median(bare.rates),
                Median(keyed.cpuRates) / Median(bare.cpuRates));
    // What is left of one processor for the monitor's steps under 100,000 forged datagrams a second.
    std::printf("a keyed slave checking 100,000 forged datagrams a second: %.1f%% of one processor\n",
                100.0 * 100000.0 / Median(keyed.cpuRates));
}

} // namespace
} // namespace qz

int main(int argc, char** argv) {
    if (argc == 4 && std::string(argv[1]) == "--flood") {
        const int port = std::atoi(argv[2]), seconds = std::atoi(argv[3]);
        if (port <= 0 || port > 65535 || seconds <= 0) return 2;
        const long sent = qz::Flood(port, 1L << 40, qz::Steady::now() + std::chrono::seconds(seconds));
        std::printf("%ld\n", sent);
        return 0;
    }
    // In turns, so load from elsewhere on the machine falls on both alike.
    for (int turn = 0; turn < 5; ++turn) {
        benchmark::RegisterBenchmark("bare_recv_under_flood", qz::BareUnderFlood)
            ->Iterations(2)
            ->UseManualTime();
        benchmark::RegisterBenchmark("link_handler_under_flood", qz::HandlerUnderFlood, false)
            ->Iterations(2)
            ->UseManualTime();
        benchmark::RegisterBenchmark("keyed_handler_under_forged_flood", qz::HandlerUnderFlood, true)
            ->Iterations(2)
            ->UseManualTime();
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    qz::PrintRatio();
    return 0;
}
