// The process scan against a bare walk of /proc/PID/comm and against pgrep, at the machine's own
// process count and with extra idle processes. Prints the ratios; the times alone say little on a
// shared machine.
#include <benchmark/benchmark.h>

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "platform/Backend.h"
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

// The least any reader of process names must do: open and read every comm, nothing else.
size_t ReadEveryComm() {
    DIR* proc = opendir("/proc");
    if (proc == nullptr) return 0;
    const int procFd = dirfd(proc);
    size_t bytes = 0;
    char path[32];
    char comm[64];
    while (const dirent* entry = readdir(proc)) {
        if (!IsProcessEntry(entry->d_name)) continue;
        size_t length = strnlen(entry->d_name, 16);
        std::memcpy(path, entry->d_name, length);
        std::memcpy(path + length, "/comm", sizeof "/comm");
        int fd = openat(procFd, path, O_RDONLY | O_CLOEXEC);
        if (fd < 0) continue;
        ssize_t got = read(fd, comm, sizeof comm);
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

void ScanBench(benchmark::State& state) {
    auto table = MakeProcessTable();
    for (auto _ : state) {
        ScanResult result = ScanProcesses(*table, kNames[0], kNames[1], kNames[2]);
        benchmark::DoNotOptimize(result);
        if (!result.ok) state.SkipWithError("the process table could not be read");
    }
}

void BareCommLoopBench(benchmark::State& state) {
    for (auto _ : state)
        benchmark::DoNotOptimize(ReadEveryComm());
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
                       {"bare_comm_loop", BareCommLoopBench, 5, 0.2},
                       {"pgrep_x3", PgrepBench, 3, 0.3}};
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
    double scan, bare, pgrep;
};

double Ratio(double numerator, double denominator) {
    return denominator > 0 ? numerator / denominator : 0;
}

void PrintRatios(const std::vector<Round>& rounds) {
    std::printf("\nProcess scan, three names, real time per call (median), all measured in this run\n");
    std::printf("%8s %9s %10s %10s %12s %10s %11s\n", "extra", "processes", "scan us", "bare us",
                "pgrep x3 us", "scan/bare", "pgrep/scan");
    bool allMet = true;
    for (const Round& r : rounds) {
        double scanToBare = Ratio(r.scan, r.bare);
        double pgrepToScan = Ratio(r.pgrep, r.scan);
        bool met = scanToBare > 0 && scanToBare <= 1.25 && pgrepToScan >= 20;
        allMet = allMet && met;
        std::printf("%8d %9zu %10.1f %10.1f %12.1f %10.2f %11.1f%s\n", r.extra, r.processes, r.scan, r.bare,
                    r.pgrep, scanToBare, pgrepToScan, met ? "" : "  (target missed)");
        if (r.started != static_cast<size_t>(r.extra)) {
            std::printf("%8s only %zu of %d idle processes could be started\n", "", r.started, r.extra);
        }
    }
    std::printf("targets: scan/bare <= 1.25, pgrep/scan >= 20: %s\n", allMet ? "met" : "NOT met");
}

} // namespace
} // namespace qz

int main(int argc, char** argv) {
    using namespace qz;
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    RatioReporter reporter;
    std::vector<Round> rounds;
    for (int extra : {0, 1000, 5000}) {
        IdleChildren idle(extra);
        const std::string suffix = "/extra:" + std::to_string(extra);
        RegisterTurns(suffix);
        size_t processes = CountProcesses();
        benchmark::RunSpecifiedBenchmarks(&reporter);
        benchmark::ClearRegisteredBenchmarks();
        rounds.push_back({extra, idle.size(), processes, reporter.Median("scan" + suffix),
                          reporter.Median("bare_comm_loop" + suffix), reporter.Median("pgrep_x3" + suffix)});
    }
    PrintRatios(rounds);
    benchmark::Shutdown();
    return 0;
}
