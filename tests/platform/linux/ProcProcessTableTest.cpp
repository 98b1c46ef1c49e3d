#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <optional>
#include <thread>

#include "platform/Backend.h"
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
using test::Eventually;
using test::TempDir;

Names SortedNames(ProcessTable& table) {
    Names names;
    EXPECT_TRUE(table.ForEachName([&names](std::string_view name) { names.emplace_back(name); }));
    std::sort(names.begin(), names.end());
    return names;
}

std::string Args(std::initializer_list<std::string_view> args) {
    std::string cmdline;
    for (std::string_view arg : args)
        (cmdline += arg) += '\0';
    return cmdline;
}

TEST(ProcProcessTable, NamesProcessesAsTheKernelKeepsThemCompletedFromArgv0OrTheirScript) {
    struct Entry {
        const char* pid;
        std::optional<std::string> comm, cmdline;
        Names listedAs;
    };
    // cut: as long as the kernel keeps a name; pad: longer than any buffer of the reader
    const std::string cut = "quenzel-watched\n", pad(5000, 'd');
    TempDir proc;
    Names expected;
    for (const Entry& e : {
             Entry{"1999", cut, Args({"/opt/q/quenzel-watched-worker", "--x"}), {"quenzel-watched-worker"}},
             Entry{"102", cut, Args({"other-name"}), {"quenzel-watched"}},
             Entry{"103", cut, "", {"quenzel-watched"}},
             Entry{"105", cut, "/x/quenzel-watched" + pad + Args({"/real"}), {"quenzel-watched"}},
             Entry{"106", cut, Args({"/x/QUENZEL-WATCHED-worker"}), {"quenzel-watched"}},
             Entry{"107", cut, "/x/quenzel-watched-title, no NUL", {"quenzel-watched-title, no NUL"}},
             Entry{"108", "short\n", Args({"/bin/short-but-longer"}), {"short"}},
             Entry{"109", std::nullopt, std::nullopt, {}},  // ended during the walk
             Entry{"12ab", "impostor\n", std::nullopt, {}}, // not a process id
             // Interpreters: also known by the script's base name.
             Entry{"110", "python3\n", Args({"python3", "-u", "/srv/job.py", "-v"}), {"python3", "job.py"}},
             Entry{"111",
                   "python3.11\n",
                   Args({"/usr/bin/python3.11", "-W", "ignore", "-Xdev", "a b.py"}),
                   {"python3.11", "a b.py"}},
             Entry{"112", "python3\n", Args({"python3", "-c", "print()", "job.py"}), {"python3"}},
             Entry{"113", "python\n", Args({"python", "-um", "http.server"}), {"python"}},
             Entry{"114", "sh\n", Args({"/bin/sh", "-e", "./job.sh"}), {"sh", "job.sh"}},
             Entry{"115",
                   "bash\n",
                   Args({"bash", "--norc", "-o", "pipefail", "+O", "extglob", "job.sh"}),
                   {"bash", "job.sh"}},
             Entry{"116", "bash\n", Args({"bash", "-ec", "sleep 1", "job.sh"}), {"bash"}},
             Entry{"117", "perl\n", Args({"perl", "-w", "--", "/x/-my job.pl"}), {"perl", "-my job.pl"}},
             Entry{"118", "perl5.36.0\n", Args({"perl5.36.0", "-ne", "print", "file.pl"}), {"perl5.36.0"}},
             Entry{"119", "dash\n", Args({"dash", "-"}), {"dash"}}, // its input
             Entry{"120", "pythonista\n", Args({"pythonista", "job.py"}), {"pythonista"}},
             // Started by its #! line: the kernel keeps the script's cut name, argv[0] is the interpreter.
             Entry{
                 "121", cut, Args({"/bin/sh", "-e", "./quenzel-watched-job.sh"}), {"quenzel-watched-job.sh"}},
             Entry{"122", cut, Args({"/usr/bin/python3", "/x/other-script.py"}), {"quenzel-watched"}},
             Entry{"123", "python3\n", Args({"python3", "/x/quenzel" + pad + ".py"}), {"python3"}},
         }) {
        fs::create_directory(proc.path() / e.pid);
        if (e.comm) proc.Write(std::string(e.pid) + "/comm", *e.comm);
        if (e.cmdline) proc.Write(std::string(e.pid) + "/cmdline", *e.cmdline);
        expected.insert(expected.end(), e.listedAs.begin(), e.listedAs.end());
    }
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(SortedNames(*MakeProcProcessTable(proc.path().string())), expected);
}

TEST(ProcProcessTable, AnyReadErrorButAnEndedProcessFailsTheWholeWalk) {
    // "": comm is a folder; "loop": comm links to itself; else that comm and a folder as cmdline.
    for (const std::string comm : {"", "loop", "quenzel-watched\n", "python3\n"}) {
        TempDir proc;
        proc.Write("100/comm", "init\n");
        const fs::path pid = proc.path() / "200";
        fs::create_directory(pid);
        if (comm == "loop")
            fs::create_symlink(pid / "comm", pid / "comm");
        else if (comm.empty())
            fs::create_directory(pid / "comm");
        else
            proc.Write("200/comm", comm);
        if (comm.size() > 4) fs::create_directory(pid / "cmdline");
        EXPECT_FALSE(MakeProcProcessTable(proc.path().string())->ForEachName([](std::string_view) {}))
            << comm;
    }

    // Out of descriptors (EMFILE) once the folder is open: every name is unknown, none gone.
    TempDir proc;
    proc.Write("100/comm", "init\n");
    const auto table = MakeProcProcessTable(proc.path().string());
    rlimit limit{};
    ASSERT_EQ(getrlimit(RLIMIT_NOFILE, &limit), 0);
    const rlimit low{64, limit.rlim_max};
    ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &low), 0);
    std::vector<int> held;
    for (int fd; (fd = dup(STDERR_FILENO)) >= 0;)
        held.push_back(fd);
    close(held.back()); // the one the folder takes
    held.pop_back();
    const bool read = table->ForEachName([](std::string_view) {});
    for (int fd : held)
        close(fd);
    setrlimit(RLIMIT_NOFILE, &limit);
    EXPECT_FALSE(read);
    EXPECT_TRUE(table->ForEachName([](std::string_view) {}));
}

TEST(ProcProcessTable, SaysWhenHidepidHidesOtherUsersProcesses) {
    struct Row {
        std::string options; // of the proc file system mounted on the root; empty: another mount point
        const char* capabilities;
        bool hidden;
    };
    const std::string gid = ",gid=" + std::to_string(getegid()),
                      otherGid = ",gid=" + std::to_string(getegid() + 4711);
    for (const Row& r : {
             Row{"rw", "0000000000000000", false},
             Row{"rw,hidepid=invisible", "0000000000000000", true},
             Row{"rw,hidepid=2", "0000000000000000", true},
             Row{"rw,hidepid=noaccess,subset=pid", "00000000a80425fb", true}, // root without CAP_SYS_PTRACE
             Row{"rw,hidepid=off", "0000000000000000", false},
             Row{"rw,hidepid=0", "0000000000000000", false},
             Row{"rw,hidepid=2", "000001ffffffffff", false},       // may trace every process, so sees them
             Row{"rw,hidepid=2" + gid, "0000000000000000", false}, // in the group the mount exempts
             Row{"rw,hidepid=2" + otherGid, "0000000000000000", true},
             Row{"", "0000000000000000", false},
         }) {
        TempDir proc;
        const std::string root = proc.path().string();
        std::string mountinfo = "22 1 0:21 / /proc rw,relatime - proc proc rw,hidepid=2\n";
        if (!r.options.empty())
            mountinfo += "23 1 0:22 / " + root + " rw,relatime - proc proc " + r.options + "\n";
        proc.Write("self/mountinfo", mountinfo);
        proc.Write("self/status", std::string("Name:\tquenzeld\nCapEff:\t") + r.capabilities + "\n");
        EXPECT_EQ(MakeProcProcessTable(root)->Watch().otherUsersHidden, r.hidden) << r.options;
        // The last mount on the point is the one seen.
        proc.Write("self/mountinfo", mountinfo + "24 1 0:23 / " + root + " rw - proc proc rw\n");
        EXPECT_FALSE(MakeProcProcessTable(root)->Watch().otherUsersHidden) << r.options;
    }
}

// A real process reading a pipe; ready once the kernel names it comm and it waits (state S), by
// which time the kernel has sent its events.
class Child {
  public:
    Child(const Names& argv, const std::string& comm)
        : process_(argv, {"PATH=/usr/bin:/bin"}, "/", {Input(), "/dev/null", "/dev/null"}) {
        close(read_);
        WaitFor(comm);
    }
    ~Child() { close(write_); }
    void WaitFor(const std::string& comm) const {
        const auto named = [&] {
            std::ifstream in("/proc/" + std::to_string(process_.Pid()) + "/stat");
            const std::string line{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
            const size_t open = line.find('('), close = line.rfind(") S ");
            return close != std::string::npos && line.substr(open + 1, close - open - 1) == comm;
        };
        EXPECT_TRUE(Eventually(named, 5s)) << "the child never became " << comm;
    }
    void Say(const std::string& comm) const { // a line on its input, then waits to be named comm
        EXPECT_EQ(write(write_, "\n", 1), 1);
        WaitFor(comm);
    }

  private:
    int Input() {
        int ends[2] = {-1, -1};
        EXPECT_EQ(pipe2(ends, O_CLOEXEC), 0);
        write_ = ends[1];
        return read_ = ends[0];
    }
    int read_ = -1, write_ = -1;
    test::Process process_;
};

const std::string kOurs = "qz" + std::to_string(getpid()) + " "; // starts the names of this run's processes

std::string UniqueName(size_t length, std::string_view suffix) { // exactly length characters
    std::string name = kOurs;
    name.resize(length - suffix.size(), 'w');
    return name + std::string(suffix);
}

TEST(ProcProcessTable, FindsScriptsByTheirScriptsNameWhateverStartsThem) {
    struct Row {
        std::string script; // "@" in args stands for its path
        const char* firstLine;
        Names args;
        std::string comm; // what the kernel names the process
        int16_t code;     // 1: found by the script's name, 100: by comm
    };
    const std::string sixteen = UniqueName(16, ".sh"), longPy = UniqueName(24, " job.py");
    for (const Row& r : {
             Row{sixteen, "#!/bin/sh -e\n", {"@"}, sixteen.substr(0, 15), 1}, // cut by the kernel
             Row{longPy, "#!/usr/bin/env python3\n", {"@"}, "python3", 101},
             Row{longPy, "#!/usr/bin/python3 -u\n", {"@"}, longPy.substr(0, 15), 1},
             Row{UniqueName(13, ".sh"), "", {"/bin/sh", "-c", "read line", "@"}, "sh", 100}, // only $0
         }) {
        SCOPED_TRACE(r.firstLine);
        TempDir dir;
        const fs::path path = dir.path() / r.script;
        dir.Write(r.script,
                  r.firstLine + std::string(r.script.ends_with(".py") ? "import sys\nsys.stdin.read()\n"
                                                                      : "read line\n"));
        fs::permissions(path, fs::perms::owner_all);
        Names args = r.args;
        std::replace(args.begin(), args.end(), std::string("@"), path.string());
        const auto table = MakeProcessTable();
        {
            Child child(args, r.comm);
            EXPECT_EQ(ScanProcesses(*table, r.script, "", r.comm).code, r.code);
        }
        EXPECT_EQ(ScanProcesses(*table, r.script, "", "").code, 0);
    }
}

Names OursIn(ProcessTable& table) {
    Names names = SortedNames(table);
    std::erase_if(names, [](const std::string& n) { return !n.starts_with(kOurs); });
    return names;
}

// The kernel's events are seen between scans exactly as a walk sees the processes; after a queue
// overrun the table walks again.
TEST(ProcEventTable, SeesAWatchedNameStartExecInRenameAndEndAtTheNextScanAsTheWalkDoes) {
    if (geteuid() != 0) GTEST_SKIP() << "the kernel's process events are for root";
    const auto events = ProcEventTable::Open("/proc", 4096); // room for a few events only
    ASSERT_NE(events, nullptr);
    EXPECT_TRUE(events->Watch().kernelEvents);
    const auto walk = MakeProcProcessTable("/proc");
    TempDir dir;
    const std::string name = UniqueName(15, "-seen");
    const fs::path sleep = dir.path() / name, shell = dir.path() / "shell" / name;
    fs::copy_file("/bin/sleep", sleep);
    fs::create_directory(dir.path() / "shell");
    fs::copy_file("/bin/sh", shell);
    const auto runs = [&] {
        const bool seen = ScanProcesses(*events, name, "", "").code == 1;
        EXPECT_EQ(OursIn(*events), OursIn(*walk));
        return seen;
    };
    ASSERT_FALSE(runs());
    {
        Child started({sleep.string(), "60"}, name);
        EXPECT_TRUE(runs()) << "started";
    }
    EXPECT_FALSE(runs()) << "ended";
    {
        Child execs({shell.string(), "-c", "read line; exec sleep 60"}, name);
        EXPECT_TRUE(runs()) << "a copy of sh under the name";
        Child shellExecs({"/bin/sh", "-c", "read line; exec \"$0\" 60", sleep.string()}, "sh");
        execs.Say("sleep");
        EXPECT_FALSE(runs()) << "exec'd into something else";
        shellExecs.Say(name);
        EXPECT_TRUE(runs()) << "exec'd into the name";
    }
    {
        Child renames({"/usr/bin/python3", "-c",
                       "import ctypes, sys\nsys.stdin.readline()\nctypes.CDLL(None).prctl(15, b'" + name +
                           "')\nsys.stdin.read()\n"},
                      "python3");
        EXPECT_FALSE(runs());
        renames.Say(name);
        EXPECT_TRUE(runs()) << "renamed into the name";
    }
    std::thread([&] { // a thread of ours renamed: no process is
        prctl(PR_SET_NAME, name.c_str());
        EXPECT_FALSE(runs()) << "a thread renamed";
    })
        .join();
    EXPECT_FALSE(runs());

    // A storm of short processes overruns the queue; the events after it are lost.
    const std::string after = UniqueName(15, "-new");
    fs::copy_file("/bin/sleep", dir.path() / after);
    auto ended = std::make_unique<Child>(Names{sleep.string(), "60"}, name);
    EXPECT_TRUE(runs());
    const size_t walks = events->Walks();
    for (int i = 0; i < 300; ++i)
        if (const pid_t pid = fork(); pid == 0)
            _exit(0);
        else if (pid > 0)
            waitpid(pid, nullptr, 0);
    ended.reset();
    const Child started({(dir.path() / after).string(), "60"}, after);
    EXPECT_EQ(OursIn(*events), Names{after});
    EXPECT_EQ(events->Walks(), walks + 1);
}

} // namespace
} // namespace qz
