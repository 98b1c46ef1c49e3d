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

Names SortedNames(ProcessTable& table) {
    Names names;
    EXPECT_TRUE(table.ForEachName([&names](std::string_view name) { names.emplace_back(name); }));
    std::sort(names.begin(), names.end());
    return names;
}

TEST(ProcProcessTable, NamesProcessesAsTheKernelKeepsThemCompletedFromArgv0OrTheirScript) {
    using Entry = std::tuple<const char*, std::optional<std::string>, std::optional<std::string>, Names>;
    // cut: as long as the kernel keeps a name (121: a #! script); pad: beyond any buffer; none: no file
    const std::string cut = "quenzel-watched", pad(5000, 'd');
    test::TempDir proc;
    Names expected;
    for (const auto& [pid, comm, cmdline, listedAs] : std::vector<Entry>{
             {"1999", cut, "/opt/q/quenzel-watched-worker\0--x\0"s, {"quenzel-watched-worker"}},
             {"102", cut, "other-name\0"s, {cut}},
             {"103", cut, "", {cut}},
             {"105", cut, "/x/quenzel-watched" + pad + "\0/real\0"s, {cut}},
             {"106", cut, "/x/QUENZEL-WATCHED-worker\0"s, {cut}},
             {"107", cut, "/x/quenzel-watched-title, no NUL", {"quenzel-watched-title, no NUL"}},
             {"121", cut, "/bin/sh\0-e\0./quenzel-watched-job.sh\0"s, {"quenzel-watched-job.sh"}},
             {"108", "short", "/bin/short-but-longer\0"s, {"short"}},
             {"109", {}, "x\0"s, {}},      // ended during the walk
             {"12ab", "impostor", {}, {}}, // not a process id
             {"110", "python3", "python3\0-u\0/srv/job.py\0-v\0"s, {"python3", "job.py"}}, // and the script
             {"111", "python3.11", "python3.11\0-W\0ignore\0-Xdev\0a b.py\0"s, {"python3.11", "a b.py"}},
             {"113", "python", "python\0-um\0http.server\0"s, {"python"}},
             {"115", "bash", "bash\0--norc\0-o\0pipefail\0+O\0extglob\0job.sh\0"s, {"bash", "job.sh"}},
             {"117", "perl", "perl\0-w\0--\0/x/-my job.pl\0"s, {"perl", "-my job.pl"}},
             {"118", "perl5.36.0", "perl5.36.0\0-ne\0print\0file.pl\0"s, {"perl5.36.0"}},
             {"119", "dash", "dash\0-\0"s, {"dash"}}, // its input
             {"120", "pythonista", "pythonista\0job.py\0"s, {"pythonista"}},
         }) {
        if (comm) proc.Write(std::string(pid) + "/comm", *comm + "\n");
        if (cmdline) proc.Write(std::string(pid) + "/cmdline", *cmdline);
        expected.insert(expected.end(), listedAs.begin(), listedAs.end());
    }
    std::sort(expected.begin(), expected.end());
    const auto table = MakeProcProcessTable(proc.path().string());
    EXPECT_EQ(SortedNames(*table), expected);

    // Any read error but an ended process fails the walk: a folder as comm or cmdline, a comm link loop.
    for (const std::string broken : {"comm", "cmdline", "link"}) {
        const fs::path pid = proc.path() / "200";
        fs::create_directories(pid / broken);
        if (broken == "cmdline") proc.Write("200/comm", cut + "\n");
        if (broken == "link") fs::create_symlink(pid / "comm", pid / "comm");
        EXPECT_FALSE(table->ForEachName([](std::string_view) {})) << broken;
        fs::remove_all(pid);
    }
}

// The options of the proc mounted on the root (empty: none there), hidden or not, our capabilities;
// the last mount on a point is the one seen.
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
        test::TempDir proc;
        const std::string root = proc.path().string();
        std::string mountinfo = "22 1 0:21 / /proc rw,relatime - proc proc rw,hidepid=2\n";
        if (!options.empty())
            mountinfo += "23 1 0:22 / " + root + " rw,relatime - proc proc " + options + "\n";
        proc.Write("self/mountinfo", mountinfo);
        proc.Write("self/status", std::string("Name:\tquenzeld\nCapEff:\t") + capabilities + "\n");
        EXPECT_EQ(MakeProcProcessTable(root)->Watch().otherUsersHidden, hidden) << options;
        proc.Write("self/mountinfo", mountinfo + "24 1 0:23 / " + root + " rw - proc proc rw\n");
        EXPECT_FALSE(MakeProcProcessTable(root)->Watch().otherUsersHidden) << options;
    }
}

// A real process reading a pipe; ready once named comm and waiting (state S): its events are sent.
struct Child {
    Child(const Names& argv, const std::string& comm) {
        EXPECT_EQ(pipe2(pipe_, O_CLOEXEC), 0);
        process_.emplace(argv, Names{"PATH=/usr/bin:/bin"}, "/",
                         std::array<test::Stream, 3>{pipe_[0], "/dev/null", "/dev/null"});
        close(pipe_[0]);
        WaitFor(comm);
    }
    ~Child() { close(pipe_[1]); }
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

TEST(ProcEventTable, SeesAWatchedNameStartExecInRenameAndEndAtTheNextScanAsTheWalkDoes) {
    if (geteuid() != 0) GTEST_SKIP() << "the kernel's process events are for root";
    const auto events = ProcEventTable::Open("/proc", 4096); // room for a few events only
    ASSERT_NE(events, nullptr);
    const auto walk = MakeProcProcessTable("/proc");
    const std::string ours = "qz" + std::to_string(getpid()) + "-"; // this run's processes' names
    const std::string name = ours + "watched-worker", cut = name.substr(0, 15), script = ours + "job.sh";
    test::TempDir dir;
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
        EXPECT_EQ(write(shell.pipe_[1], "\n", 1), 1); // the line it waits for
        shell.WaitFor("sleep");
        EXPECT_EQ(runs(), 1) << "exec'd into something else";
    }
    EXPECT_EQ(runs(), 0) << "ended";
    char own[16] = {};
    prctl(PR_GET_NAME, own);
    prctl(PR_SET_NAME, cut.c_str());
    EXPECT_EQ(runs(), 100) << "renamed into the name";
    prctl(PR_SET_NAME, own);
    std::jthread([&] { // a thread of ours renamed, joined at once: no process is
        prctl(PR_SET_NAME, cut.c_str());
        EXPECT_EQ(runs(), 0) << "a thread renamed";
    });

    auto ended = std::make_unique<Child>(sleep, cut);
    EXPECT_EQ(runs(), 1);
    const size_t walks = events->Walks();
    for (int i = 0; i < 300; ++i) // a storm of short processes overruns the queue: events are lost
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
