#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <optional>
#include <thread>
#include <tuple>

#include "platform/linux/ProcEventTable.h"
#include "platform/linux/ProcProcessTable.h"
#include "sensing/ProcessScan.h"
#include "tests/support/Process.h"
#include "tests/support/TempDir.h"

namespace qz {
namespace {

namespace fs = std::filesystem;
using Names = std::vector<std::string>;
using namespace std::chrono_literals;
using namespace std::string_literals;
using test::TempDir;

Names SortedNames(ProcessTable& table) {
    Names names;
    EXPECT_TRUE(table.ForEachName([&names](std::string_view name) { names.emplace_back(name); }));
    std::sort(names.begin(), names.end());
    return names;
}

TEST(ProcProcessTable, NamesProcessesAsTheKernelKeepsThemCompletedFromArgv0OrTheirScript) {
    struct Entry {
        const char* pid;
        std::optional<std::string> comm, cmdline; // none: the file is missing
        Names listedAs;
    };
    // cut: as long as the kernel keeps a name (121: a script started by its #! line, argv[0] the
    // interpreter, the kernel keeps the script's cut name); pad: longer than any buffer of the reader
    const std::string cut = "quenzel-watched", pad(5000, 'd');
    TempDir proc;
    Names expected;
    for (const Entry& e : {
             Entry{"1999", cut, "/opt/q/quenzel-watched-worker\0--x\0"s, {"quenzel-watched-worker"}},
             Entry{"102", cut, "other-name\0"s, {cut}},
             Entry{"103", cut, "", {cut}},
             Entry{"105", cut, "/x/quenzel-watched" + pad + "\0/real\0"s, {cut}},
             Entry{"106", cut, "/x/QUENZEL-WATCHED-worker\0"s, {cut}},
             Entry{"107", cut, "/x/quenzel-watched-title, no NUL", {"quenzel-watched-title, no NUL"}},
             Entry{"121", cut, "/bin/sh\0-e\0./quenzel-watched-job.sh\0"s, {"quenzel-watched-job.sh"}},
             Entry{"108", "short", "/bin/short-but-longer\0"s, {"short"}},
             Entry{"109", {}, "x\0"s, {}},      // ended during the walk
             Entry{"12ab", "impostor", {}, {}}, // not a process id
             // Interpreters: also known by the script's base name.
             Entry{"110", "python3", "python3\0-u\0/srv/job.py\0-v\0"s, {"python3", "job.py"}},
             Entry{"111", "python3.11", "python3.11\0-W\0ignore\0-Xdev\0a b.py\0"s, {"python3.11", "a b.py"}},
             Entry{"113", "python", "python\0-um\0http.server\0"s, {"python"}},
             Entry{"115", "bash", "bash\0--norc\0-o\0pipefail\0+O\0extglob\0job.sh\0"s, {"bash", "job.sh"}},
             Entry{"117", "perl", "perl\0-w\0--\0/x/-my job.pl\0"s, {"perl", "-my job.pl"}},
             Entry{"118", "perl5.36.0", "perl5.36.0\0-ne\0print\0file.pl\0"s, {"perl5.36.0"}},
             Entry{"119", "dash", "dash\0-\0"s, {"dash"}}, // its input
             Entry{"120", "pythonista", "pythonista\0job.py\0"s, {"pythonista"}},
         }) {
        if (e.comm) proc.Write(std::string(e.pid) + "/comm", *e.comm + "\n");
        if (e.cmdline) proc.Write(std::string(e.pid) + "/cmdline", *e.cmdline);
        expected.insert(expected.end(), e.listedAs.begin(), e.listedAs.end());
    }
    std::sort(expected.begin(), expected.end());
    const auto table = MakeProcProcessTable(proc.path().string());
    EXPECT_EQ(SortedNames(*table), expected);

    // Any read error but an ended process fails the whole walk: a folder as comm or as a cut name's
    // cmdline, or comm a link to itself.
    for (const std::string broken : {"comm", "cmdline", "link"}) {
        const fs::path pid = proc.path() / "200";
        fs::create_directories(pid / broken);
        if (broken == "cmdline") proc.Write("200/comm", cut + "\n");
        if (broken == "link") fs::create_symlink(pid / "comm", pid / "comm");
        EXPECT_FALSE(table->ForEachName([](std::string_view) {})) << broken;
        fs::remove_all(pid);
    }
}

// The options of the proc file system mounted on the root (empty: another mount point), whether
// other users' processes are hidden, and our effective capabilities.
TEST(ProcProcessTable, SaysWhenHidepidHidesOtherUsersProcesses) {
    for (const auto& [options, hidden, capabilities] :
         std::vector<std::tuple<std::string, bool, const char*>>{
             {"rw", false, "0"},
             {"rw,hidepid=noaccess,subset=pid", true, "00000000a80425fb"}, // root without CAP_SYS_PTRACE
             {"rw,hidepid=off", false, "0"},
             {"rw,hidepid=0", false, "0"},
             {"rw,hidepid=2", false, "000001ffffffffff"}, // may trace every process, so sees them
             {"rw,hidepid=2,gid=" + std::to_string(getegid()), false, "0"}, // in the group the mount exempts
             {"rw,hidepid=2,gid=" + std::to_string(getegid() + 4711), true, "0"},
             {"", false, "0"},
         }) {
        TempDir proc;
        const std::string root = proc.path().string();
        std::string mountinfo = "22 1 0:21 / /proc rw,relatime - proc proc rw,hidepid=2\n";
        if (!options.empty())
            mountinfo += "23 1 0:22 / " + root + " rw,relatime - proc proc " + options + "\n";
        proc.Write("self/mountinfo", mountinfo);
        proc.Write("self/status", std::string("Name:\tquenzeld\nCapEff:\t") + capabilities + "\n");
        EXPECT_EQ(MakeProcProcessTable(root)->Watch().otherUsersHidden, hidden) << options;
        // The last mount on the point is the one seen.
        proc.Write("self/mountinfo", mountinfo + "24 1 0:23 / " + root + " rw - proc proc rw\n");
        EXPECT_FALSE(MakeProcProcessTable(root)->Watch().otherUsersHidden) << options;
    }
}

// A real process reading a pipe; ready once the kernel names it comm and it waits (state S), by
// which time the kernel has sent its events.
class Child {
  public:
    Child(const Names& argv, const std::string& comm) {
        EXPECT_EQ(pipe2(pipe_, O_CLOEXEC), 0);
        process_.emplace(argv, Names{"PATH=/usr/bin:/bin"}, "/",
                         std::array<test::Stream, 3>{pipe_[0], "/dev/null", "/dev/null"});
        close(pipe_[0]);
        WaitFor(comm);
    }
    ~Child() { close(pipe_[1]); }
    void Say(const std::string& comm) const { // a line on its input, then waits to be named comm
        EXPECT_EQ(write(pipe_[1], "\n", 1), 1);
        WaitFor(comm);
    }

  private:
    void WaitFor(const std::string& comm) const {
        const std::string stat = "/proc/" + std::to_string(process_->Pid()) + "/stat";
        const auto named = [&] {
            std::string line;
            return std::getline(std::ifstream(stat), line) && line.find(" (" + comm + ") S ") != line.npos;
        };
        EXPECT_TRUE(test::Eventually(named, 5s)) << "the child never became " << comm;
    }
    int pipe_[2] = {-1, -1};
    std::optional<test::Process> process_;
};

// The kernel's events are seen between scans exactly as a walk sees the processes, long names
// completed and scripts known by their names; after a queue overrun the table walks again.
TEST(ProcEventTable, SeesAWatchedNameStartExecInRenameAndEndAtTheNextScanAsTheWalkDoes) {
    if (geteuid() != 0) GTEST_SKIP() << "the kernel's process events are for root";
    const auto events = ProcEventTable::Open("/proc", 4096); // room for a few events only
    ASSERT_NE(events, nullptr);
    const auto walk = MakeProcProcessTable("/proc");
    const std::string ours =
        "qz" + std::to_string(getpid()) + "-"; // starts the names of this run's processes
    const std::string name = ours + "watched-worker", cut = name.substr(0, 15), script = ours + "job.sh";
    TempDir dir;
    const Names sleep = {(dir.path() / name).string(), "60"},
                sh = {"/bin/sh", (dir.path() / script).string()};
    fs::copy_file("/bin/sleep", sleep[0]);
    dir.Write(script, "read line\nexec sleep 60\n");
    const auto runs = [&] { // 1: the sleep copy, 10: the script, 100: a process renamed to the cut name
        Names seen[2] = {SortedNames(*events), SortedNames(*walk)};
        for (Names& names : seen)
            std::erase_if(names, [&ours](const std::string& n) { return !n.starts_with(ours); });
        EXPECT_EQ(seen[0], seen[1]);
        return ScanProcesses(*events, name, script, cut).code;
    };
    EXPECT_EQ(runs(), 0);
    {
        Child sleeps(sleep, cut), shell(sh, "sh");
        EXPECT_EQ(runs(), 11) << "started";
        shell.Say("sleep");
        EXPECT_EQ(runs(), 1) << "exec'd into something else";
    }
    EXPECT_EQ(runs(), 0) << "ended";
    char own[16] = {};
    prctl(PR_GET_NAME, own);
    prctl(PR_SET_NAME, cut.c_str());
    EXPECT_EQ(runs(), 100) << "renamed into the name";
    prctl(PR_SET_NAME, own);
    std::thread([&] { // a thread of ours renamed: no process is
        prctl(PR_SET_NAME, cut.c_str());
        EXPECT_EQ(runs(), 0) << "a thread renamed";
    })
        .join();

    // A storm of short processes overruns the queue; the events after it are lost.
    auto ended = std::make_unique<Child>(sleep, cut);
    EXPECT_EQ(runs(), 1);
    const size_t walks = events->Walks();
    for (int i = 0; i < 300; ++i)
        if (const pid_t pid = fork(); pid == 0)
            _exit(0);
        else if (pid > 0)
            waitpid(pid, nullptr, 0);
    ended.reset();
    const Child started(sh, "sh");
    EXPECT_EQ(ScanProcesses(*events, name, script, cut).code, 10); // one scan: one walk
    EXPECT_EQ(events->Walks(), walks + 1);
}

} // namespace
} // namespace qz
