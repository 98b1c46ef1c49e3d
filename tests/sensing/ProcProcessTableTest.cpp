#include <gtest/gtest.h>

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <optional>

#include "platform/Backend.h"
#include "platform/linux/ProcProcessTable.h"
#include "sensing/ProcessScan.h"
#include "tests/support/TempDir.h"

extern char** environ;

namespace qz {
namespace {

namespace fs = std::filesystem;
using Names = std::vector<std::string>;
using test::TempDir;

Names SortedNames(ProcessTable& table) {
    Names names;
    EXPECT_TRUE(table.ForEachName([&names](std::string_view name) { names.emplace_back(name); }));
    std::sort(names.begin(), names.end());
    return names;
}

TEST(ProcProcessTable, NamesProcessesAsTheKernelKeepsThemAndCompletesCutOnesFromArgv0) {
    struct Entry {
        const char* pid;
        std::optional<std::string> comm, cmdline;
        const char* listedAs; // none: not listed
    };
    const std::string cut = "quenzel-watched\n"; // as long as the kernel keeps a name
    TempDir proc;
    Names expected;
    for (const Entry& e : {
             Entry{"101", cut, std::string("/opt/q/quenzel-watched-worker\0--x\0", 34),
                   "quenzel-watched-worker"},
             Entry{"102", cut, std::string("other-name\0", 11), "quenzel-watched"},
             Entry{"103", cut, "", "quenzel-watched"},
             Entry{"105", cut, "/x/quenzel-watched" + std::string(5000, 'd') + std::string("/real\0", 6),
                   "quenzel-watched"},
             Entry{"106", cut, std::string("/x/QUENZEL-WATCHED-worker\0", 26), "quenzel-watched"},
             Entry{"108", "short\n", std::string("/bin/short-but-longer\0", 22), "short"},
             Entry{"109", std::nullopt, std::nullopt, nullptr},  // ended during the walk
             Entry{"12ab", "impostor\n", std::nullopt, nullptr}, // not a process id
         }) {
        fs::create_directory(proc.path() / e.pid);
        if (e.comm) proc.Write(std::string(e.pid) + "/comm", *e.comm);
        if (e.cmdline) proc.Write(std::string(e.pid) + "/cmdline", *e.cmdline);
        if (e.listedAs) expected.push_back(e.listedAs);
    }
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(SortedNames(*MakeProcProcessTable(proc.path().string())), expected);
}

// A real process of the given program and argv[0], ended and reaped at the end of its scope.
class Child {
  public:
    Child(const fs::path& program, std::string argv0) {
        std::string seconds = "60";
        char* argv[] = {argv0.data(), seconds.data(), nullptr};
        if (posix_spawn(&pid_, program.c_str(), nullptr, nullptr, argv, environ) != 0) pid_ = -1;
        // Until the new program's arguments are in place, its name is not final either.
        const std::string cmdlinePath = "/proc/" + std::to_string(pid_) + "/cmdline";
        for (int attempt = 0; pid_ > 0 && attempt < 5000; ++attempt, usleep(1000)) {
            std::ifstream in(cmdlinePath, std::ios::binary);
            const std::string cmdline{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
            if (cmdline.compare(0, argv0.size() + 1, argv0 + '\0') == 0) return;
        }
        ADD_FAILURE() << "the child did not start: " << argv0;
    }
    ~Child() {
        if (pid_ <= 0) return;
        kill(pid_, SIGTERM);
        waitpid(pid_, nullptr, 0);
    }

  private:
    pid_t pid_ = -1;
};

TEST(ProcProcessTable, FindsChildrenByTheirWholeLongNameCountsThemOnceAndLosesThemWhenTheyEnd) {
    TempDir dir;
    const std::string name = "qz" + std::to_string(getpid()) + "-watched-worker"; // unique to this run
    const fs::path program = dir.path() / name;
    fs::copy_file("/bin/sleep", program);
    const auto table = MakeProcessTable();
    const auto scan = [&] { return ScanProcesses(*table, name, name.substr(0, 15), "").code; };
    {
        Child byPath(program, program.string()), again(program, program.string()), byName(program, name);
        const Names names = SortedNames(*table);
        EXPECT_EQ(std::count(names.begin(), names.end(), name), 3);
        EXPECT_EQ(scan(), 1);
    }
    EXPECT_EQ(scan(), 0);
}

} // namespace
} // namespace qz
