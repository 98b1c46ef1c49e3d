// The process scan against a bare walk of /proc/PID/comm and against pgrep, at the machine's own
// process count and with extra idle processes; the scan kept from the kernel's process events
// against the walk, at rest and under a storm of short processes. Prints the ratios; the times alone
// say little on a shared machine.
#include <benchmark/benchmark.h>

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "platform/linux/ProcEventTable.h"
#include "platform/linux/ProcProcessTable.h"
#include "sensing/ProcessScan.h"

extern char** environ;

namespace qz {
namespace {

const std::string kNames[3] = {"sleep", "quenzel-watched-worker-long", "bash"};

bool IsProcessEntry(const char* name) {
    return name[0] >= '1' && name[0] <= '9';
}

// Sleeping children that die with this process, however it ends: each asks the kernel for
// SIGKILL when its parent goes.
class IdleChildren {
  public:
    explicit IdleChildren(int count) {
        pids_.reserve(static_cast<size_t>(count));
        const pid_t parent = getpid();
        for (int i = 0; i < count; ++i) {
            pid_t pid = StartOne(parent);
            if (pid < 0) break;
            pids_.push_back(pid);
        }
    }
    ~IdleChildren() {
        for (pid_t pid : pids_)
            kill(pid, SIGKILL);
        for (pid_t pid : pids_) {
            while (waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
            }
        }
    }
    IdleChildren(const IdleChildren&) = delete;
    IdleChildren& operator=(const IdleChildren&) = delete;
    size_t size() const { return pids_.size(); }

  private:
    // Returns once the child runs sleep, so the table holds the idle process and not a copy of us.
    static pid_t StartOne(pid_t parent) {
        int ready[2];
        if (pipe2(ready, O_CLOEXEC) != 0) return -1;
        pid_t pid = fork();
        if (pid == 0) {
            prctl(PR_SET_PDEATHSIG, SIGKILL);
            if (getppid() != parent) _exit(1);
            char* argv[] = {const_cast<char*>("sleep"), const_cast<char*>("900"), nullptr};
            execv("/bin/sleep", argv);
            _exit(127);
        }
        close(ready[1]);
        char byte;
        if (pid > 0) {
            while (read(ready[0], &byte, 1) < 0 && errno == EINTR) {
            }
        }
        close(ready[0]);
        return pid;
    }

    std::vector<pid_t> pids_;
};

size_t CountProcesses() {
    size_t count = 0;
    if (DIR* proc = opendir("/proc")) {
        while (const dirent* entry = readdir(proc))
            count += IsProcessEntry(entry->d_name) ? 1 : 0;
        closedir(proc);
    }
    return count;
}

// The names whose process a script may run, as a plain list: sh, bash, python3.11 ...
bool NeedsCommandLine(std::string_view comm) {
    if (comm.size() == 15) return true; // cut by the kernel
    while (!comm.empty() && ((comm.back() >= '0' && comm.back() <= '9') || comm.back() == '.'))
        comm.remove_suffix(1);
    for (std::string_view interpreter : {"sh", "bash", "dash", "zsh", "ksh", "mksh", "python", "perl"}) {
        if (comm == interpreter) return true;
    }
    return false;
}

// The least any reader of process names must do: open and read every comm and, with commandLines,
// the command line of each process whose name needs it (a cut name, an interpreter); nothing else.
size_t ReadEveryName(bool commandLines) {
    DIR* proc = opendir("/proc");
    if (proc == nullptr) return 0;
    const int procFd = dirfd(proc);
    size_t bytes = 0;
    char path[32];
    char comm[64];
    char cmdline[4096];
    while (const dirent* entry = readdir(proc)) {
        if (!IsProcessEntry(entry->d_name)) continue;
        size_t length = strnlen(entry->d_name, 16);
        std::memcpy(path, entry->d_name, length);
        std::memcpy(path + length, "/comm", sizeof "/comm");
        int fd = openat(procFd, path, O_RDONLY | O_CLOEXEC);
        if (fd < 0) continue;
        ssize_t got = read(fd, comm, sizeof comm);
        close(fd);
        if (got <= 0) continue;
        bytes += static_cast<size_t>(got);
        if (!commandLines || !NeedsCommandLine(std::string_view(comm, static_cast<size_t>(got) - 1)))
            continue;
        std::memcpy(path + length, "/cmdline", sizeof "/cmdline");
        fd = openat(procFd, path, O_RDONLY | O_CLOEXEC);
        if (fd < 0) continue;
        got = read(fd, cmdline, sizeof cmdline);
        close(fd);
        if (got > 0) bytes += static_cast<size_t>(got);
    }
    closedir(proc);
    return bytes;
}

bool RunPgrep(const std::string& name) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    std::string program = "pgrep", exact = "-x", pattern = name;
    char* argv[] = {program.data(), exact.data(), pattern.data(), nullptr};
    pid_t pid = -1;
    int rc = posix_spawnp(&pid, "pgrep", &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) return false;
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    // pgrep answers 0 (found) or 1 (none); anything else means it did not do the work.
    return WIFEXITED(status) && WEXITSTATUS(status) <= 1;
}

void Scan(benchmark::State& state, ProcessTable& table) {
    for (auto _ : state) {
        ScanResult result = ScanProcesses(table, kNames[0], kNames[1], kNames[2]);
        benchmark::DoNotOptimize(result);
        if (!result.ok) state.SkipWithError("the process table could not be read");
    }
}

void ScanBench(benchmark::State& state) {
    static const auto walk = MakeProcProcessTable("/proc");
    Scan(state, *walk);
}

// Made by main before the first round; null where the events cannot be had.
ProcEventTable* events = nullptr;

void EventScanBench(benchmark::State& state) {
    if (events == nullptr) {
        state.SkipWithError("no kernel process events (not root?)");
        return;
    }
    Scan(state, *events);
}

void BareNamesLoopBench(benchmark::State& state) {
    for (auto _ : state)
        benchmark::DoNotOptimize(ReadEveryName(true));
}

void BareCommLoopBench(benchmark::State& state) {
    for (auto _ : state)
        benchmark::DoNotOptimize(ReadEveryName(false));
}

// pgrep answers for one name per run, so the scan's answer for three names costs three runs.
void PgrepBench(benchmark::State& state) {
    for (auto _ : state) {
        for (const std::string& name : kNames) {
            if (!RunPgrep(name)) state.SkipWithError("pgrep could not be run");
        }
    }
}

// Registered in turns, so a burst of load from elsewhere on the machine hits all of them alike; the
// ratios use the median of the turns.
struct Peer {
    std::string name;
    void (*run)(benchmark::State&);
    int turns;
    double minSeconds;
};
const Peer kPeers[] = {{"scan", ScanBench, 5, 0.2},
                       {"bare_names_loop", BareNamesLoopBench, 5, 0.2},
                       {"bare_comm_loop", BareCommLoopBench, 5, 0.2},
                       {"pgrep_x3", PgrepBench, 3, 0.3},
                       {"events", EventScanBench, 5, 0.1}};
constexpr int kMostTurns = 5;

void RegisterTurns(const std::string& suffix) {
    for (int turn = 0; turn < kMostTurns; ++turn) {
        for (const Peer& peer : kPeers) {
            if (turn >= peer.turns) continue;
            benchmark::RegisterBenchmark((peer.name + suffix).c_str(), peer.run)
                ->Unit(benchmark::kMicrosecond)
                ->UseRealTime()
                ->MinTime(peer.minSeconds);
        }
    }
}

// Shows every run as usual and keeps the times of each benchmark's turns.
class RatioReporter : public benchmark::ConsoleReporter {
  public:
    RatioReporter() : ConsoleReporter(isatty(STDOUT_FILENO) ? OO_Defaults : OO_Tabular) {}

    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.run_type == Run::RT_Iteration && !run.error_occurred) {
                times_[run.run_name.function_name].push_back(run.GetAdjustedRealTime());
            }
        }
    }
    // Microseconds per call; 0 when the benchmark failed.
    double Median(const std::string& name) const {
        auto found = times_.find(name);
        if (found == times_.end()) return 0;
        std::vector<double> times = found->second;
        std::nth_element(times.begin(), times.begin() + static_cast<long>(times.size() / 2), times.end());
        return times[times.size() / 2];
    }

  private:
    std::map<std::string, std::vector<double>> times_;
};

struct Round {
    int extra;
    size_t started;
    size_t processes;
    double scan, bare, pgrep, events, comm;
};

double Ratio(double numerator, double denominator) {
    return denominator > 0 ? numerator / denominator : 0;
}

void PrintRatios(const std::vector<Round>& rounds) {
    std::printf("\nProcess scan, three names, real time per call (median), all measured in this run\n");
    std::printf("%8s %9s %10s %10s %12s %10s %11s %10s %10s\n", "extra", "processes", "scan us", "bare us",
                "pgrep x3 us", "scan/bare", "pgrep/scan", "comm us", "scan/comm");
    bool allMet = true;
    for (const Round& r : rounds) {
        double scanToBare = Ratio(r.scan, r.bare);
        double pgrepToScan = Ratio(r.pgrep, r.scan);
        bool met = scanToBare > 0 && scanToBare <= 1.25 && pgrepToScan >= 20;
        allMet = allMet && met;
        std::printf("%8d %9zu %10.1f %10.1f %12.1f %10.2f %11.1f %10.1f %10.2f%s\n", r.extra, r.processes,
                    r.scan, r.bare, r.pgrep, scanToBare, pgrepToScan, r.comm, Ratio(r.scan, r.comm),
                    met ? "" : "  (target missed)");
        if (r.started != static_cast<size_t>(r.extra)) {
            std::printf("%8s only %zu of %d idle processes could be started\n", "", r.started, r.extra);
        }
    }
    std::printf("targets: scan/bare <= 1.25, pgrep/scan >= 20: %s\n", allMet ? "met" : "NOT met");

    std::printf("\nKernel process events against the walk, one scan a second as the monitor does\n");
    std::printf("%14s %9s %10s %10s %12s %14s\n", "extra", "processes", "walk us", "events us", "events/walk",
                "events % core");
    bool eventsMet = events != nullptr;
    for (const Round& r : rounds) {
        const double share = r.events / 1e4; // microseconds each second, as a percentage of one core
        const bool met = r.extra < 5000 || (r.events > 0 && Ratio(r.events, r.scan) <= 0.05 && share <= 0.1);
        eventsMet = eventsMet && met;
        std::printf("%8s %5d %9zu %10.1f %10.1f %12.4f %14.4f%s\n", "at", r.extra, r.processes, r.scan,
                    r.events, Ratio(r.events, r.scan), share, met ? "" : "  (target missed)");
    }
    std::printf("targets at 5000 extra: events/walk <= 1/20, events <= 0.1 %% of a core: %s\n",
                eventsMet ? "met" : "NOT met");
}

// Thread CPU time in microseconds.
double ThreadMicroseconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e6 + static_cast<double>(now.tv_nsec) / 1e3;
}

// A process that ends at once; vfork spares copying this program's memory.
__attribute__((noinline)) pid_t StartShortProcess() {
    const pid_t pid = vfork();
    if (pid == 0) _exit(0);
    return pid;
}

size_t CountOf(ProcessTable& table, const std::string& name) {
    size_t count = 0;
    table.ForEachName([&](std::string_view seen) { count += seen == name ? 1 : 0; });
    return count;
}

// True when the events count as many of our processes as a walk does: the idle ones and the copies
// of this program (the storm's have all ended). Counted between two walks that agree, so nothing
// changed in between; all names of a busy shared machine are never still long enough.
bool SameAsTheWalk(ProcessTable& walk) {
    for (const std::string& name : {std::string("sleep"), std::string(program_invocation_short_name)}) {
        bool same = false;
        for (int attempt = 0; attempt < 10 && !same; ++attempt) {
            const size_t before = CountOf(walk, name), kept = CountOf(*events, name);
            if (before != CountOf(walk, name)) continue;
            if (kept != before) return false;
            same = true;
        }
        if (!same) return false;
    }
    return true;
}

// A thread starts short processes (each ends at once) at the rate while the monitor's step runs
// once a second, scanning by events and by walk in turn; the CPU time of each scan is the step's.
void StormRound(int extra, size_t processes, int perSecond, int seconds) {
    const auto walk = MakeProcProcessTable("/proc");
    ScanProcesses(*events, kNames[0], kNames[1], kNames[2]); // in its steady state when the storm begins
    const size_t walksBefore = events->Walks();
    std::atomic<bool> stop{false};
    std::atomic<long> forks{0};
    std::thread storm([&] {
        auto next = std::chrono::steady_clock::now();
        const int perTick = std::max(perSecond / 100, 1);
        while (!stop) {
            for (int i = 0; i < perTick; ++i) {
                const pid_t pid = StartShortProcess();
                if (pid > 0) {
                    while (waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
                    }
                    ++forks;
                }
            }
            next += std::chrono::milliseconds(10);
            std::this_thread::sleep_until(next);
        }
    });
    double eventCpu = 0, walkCpu = 0;
    bool read = true;
    const auto start = std::chrono::steady_clock::now();
    for (int second = 1; second <= seconds; ++second) {
        std::this_thread::sleep_until(start + std::chrono::seconds(second));
        double before = ThreadMicroseconds();
        read = ScanProcesses(*events, kNames[0], kNames[1], kNames[2]).ok && read;
        eventCpu += ThreadMicroseconds() - before;
        before = ThreadMicroseconds();
        read = ScanProcesses(*walk, kNames[0], kNames[1], kNames[2]).ok && read;
        walkCpu += ThreadMicroseconds() - before;
    }
    stop = true;
    storm.join();
    const double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const bool exact = SameAsTheWalk(*walk);
    const double ratio = Ratio(eventCpu, walkCpu);
    std::printf(
        "\nFork storm: %.0f short processes a second for %d s, %d extra idle (%zu processes), one scan "
        "of each kind a second\n",
        static_cast<double>(forks) / elapsed, seconds, extra, processes);
    std::printf("%28s %12s %12s %12s %10s\n", "", "events us/s", "walk us/s", "events/walk", "re-walks");
    std::printf("%28s %12.1f %12.1f %12.3f %10zu\n", "CPU of the scans", eventCpu / seconds,
                walkCpu / seconds, ratio, events->Walks() - walksBefore);
    std::printf("events count our processes as the walk does after the storm: %s\n", exact ? "yes" : "NO");
    std::printf("targets: events/walk <= 1 under the storm, exact afterwards: %s\n",
                read && exact && ratio > 0 && ratio <= 1 ? "met" : "NOT met");
}

} // namespace
} // namespace qz

int main(int argc, char** argv) {
    using namespace qz;
    // Seconds of the fork storm, and its rate: --storm_seconds=N --storm_rate=N before Google
    // Benchmark's own options.
    int stormSeconds = 10, stormRate = 1000;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        bool ours = true;
        if (arg.starts_with("--storm_seconds=")) {
            stormSeconds = std::atoi(arg.c_str() + 16);
        } else if (arg.starts_with("--storm_rate=")) {
            stormRate = std::atoi(arg.c_str() + 13);
        } else {
            ours = false;
        }
        if (ours) {
            std::copy(argv + i + 1, argv + argc, argv + i);
            --argc;
            --i;
        }
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    const auto eventTable = ProcEventTable::Open("/proc");
    events = eventTable.get();
    RatioReporter reporter;
    std::vector<Round> rounds;
    size_t processes = 0;
    for (int extra : {0, 1000, 5000}) {
        IdleChildren idle(extra);
        const std::string suffix = "/extra:" + std::to_string(extra);
        RegisterTurns(suffix);
        processes = CountProcesses();
        benchmark::RunSpecifiedBenchmarks(&reporter);
        benchmark::ClearRegisteredBenchmarks();
        rounds.push_back({extra, idle.size(), processes, reporter.Median("scan" + suffix),
                          reporter.Median("bare_names_loop" + suffix), reporter.Median("pgrep_x3" + suffix),
                          reporter.Median("events" + suffix), reporter.Median("bare_comm_loop" + suffix)});
        if (extra == 5000) {
            PrintRatios(rounds);
            if (events != nullptr && stormSeconds > 0) StormRound(extra, processes, stormRate, stormSeconds);
        }
    }
    benchmark::Shutdown();
    return 0;
}
