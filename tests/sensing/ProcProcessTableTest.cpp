#include <gtest/gtest.h>

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "platform/Backend.h"
#include "platform/linux/ProcProcessTable.h"
#include "sensing/ProcessScan.h"
#include "tests/support/TempDir.h"

extern char** environ;

namespace qz {
namespace {

namespace fs = std::filesystem;
using test::TempDir;

std::vector<std::string> SortedNames(ProcessTable& table) {
    std::vector<std::string> names;
    EXPECT_TRUE(table.ForEachName([&names](std::string_view name) { names.emplace_back(name); }));
    std::sort(names.begin(), names.end());
    return names;
}

long CountOf(const std::vector<std::string>& names, const std::string& name) {
    return std::count(names.begin(), names.end(), name);
}

TEST(ProcProcessTable, NamesProcessesAsTheKernelKeepsThem) {
    const std::string longPath(5000, 'd'); // longer than a page
    struct Entry {
        const char* pid;
        std::optional<std::string> comm;
        std::optional<std::string> cmdline;
        std::optional<std::string> listedAs;
    };
    const Entry entries[] = {
        {"1", "systemd\n", std::string("/sbin/init\0splash\0", 18), "systemd"},
        {"100", "no-newline", std::nullopt, "no-newline"},
        {"101", "quenzel-watched\n", std::string("/opt/q/quenzel-watched-worker-long\0--x\0", 39),
         "quenzel-watched-worker-long"},
        {"102", "quenzel-watched\n", std::string("other-name\0", 11), "quenzel-watched"},
        {"103", "quenzel-watched\n", "", "quenzel-watched"},
        {"104", "quenzel-watched\n", std::nullopt, "quenzel-watched"},
        {"105", "quenzel-watched\n", std::string("/usr/bin/quenzel-watched\0", 25), "quenzel-watched"},
        {"106", "quenzel-watched\n", "/x/quenzel-watched" + longPath + std::string("/real\0", 6),
         "quenzel-watched"},
        {"107", "quenzel-watched\n", std::string("/x/QUENZEL-WATCHED-worker\0", 26), "quenzel-watched"},
        {"108", "quenzel-watched\n", std::string("/x/quenzel-watched-worker/\0", 27), "quenzel-watched"},
        {"109", "short\n", std::string("/bin/short-but-longer\0", 22), "short"},
        {"110", "kworker/u8:2-events_unbound\n", "", "kworker/u8:2-events_unbound"},
        {"111", std::nullopt, std::nullopt, std::nullopt}, // ended during the walk
        {"self", "impostor\n", std::nullopt, std::nullopt},
        {"12ab", "impostor\n", std::nullopt, std::nullopt},
        {"12345678901", "impostor\n", std::nullopt, std::nullopt},
    };
    TempDir proc;
    std::vector<std::string> expected;
    for (const Entry& e : entries) {
        fs::create_directory(proc.path() / e.pid);
        if (e.comm) proc.Write(std::string(e.pid) + "/comm", *e.comm);
        if (e.cmdline) proc.Write(std::string(e.pid) + "/cmdline", *e.cmdline);
        if (e.listedAs) expected.push_back(*e.listedAs);
    }
    proc.Write("uptime", "1.0 1.0\n");
    std::sort(expected.begin(), expected.end());
    auto table = MakeProcProcessTable(proc.path().string());
    EXPECT_EQ(SortedNames(*table), expected);
}

TEST(ProcProcessTable, MissingProcFolderCannotBeRead) {
    TempDir dir;
    dir.Write("file", "x");
    for (const fs::path& root : {dir.path() / "absent", dir.path() / "file"}) {
        int visits = 0;
        auto table = MakeProcProcessTable(root.string());
        EXPECT_FALSE(table->ForEachName([&visits](std::string_view) { ++visits; })) << root;
        EXPECT_EQ(visits, 0) << root;
        ScanResult result = ScanProcesses(*table, "a", "", "");
        EXPECT_FALSE(result.ok);
        EXPECT_EQ(result.code, 0);
    }
}

// A name unique to this test process: tests of this program may run side by side.
std::string UniqueName(const std::string& tail) {
    std::string pid = std::to_string(getpid());
    return "qz" + std::string(7 - std::min<size_t>(7, pid.size()), '0') + pid + "-" + tail;
}

std::string Upper(std::string text) {
    for (char& c : text)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

fs::path CopyOfSleep(const TempDir& dir, const std::string& name) {
    fs::path program = dir.path() / name;
    fs::copy_file("/bin/sleep", program);
    fs::permissions(program, fs::perms::owner_all, fs::perm_options::add);
    return program;
}

// A real child process, ended and reaped at the latest when it goes out of scope.
class Child {
  public:
    Child(const fs::path& program, std::string argv0) {
        std::string seconds = "60";
        char* argv[] = {argv0.data(), seconds.data(), nullptr};
        if (posix_spawn(&pid_, program.c_str(), nullptr, nullptr, argv, environ) != 0) pid_ = -1;
        if (started()) WaitForArguments(argv0);
    }
    ~Child() { End(); }
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;
    bool started() const { return pid_ > 0; }
    void End() {
        if (pid_ <= 0) return;
        kill(pid_, SIGTERM);
        waitpid(pid_, nullptr, 0);
        pid_ = -1;
    }

  private:
    // posix_spawn returns while the kernel is still setting the new program up; until its
    // arguments are in place, neither its name nor its command line are final.
    void WaitForArguments(const std::string& argv0) const {
        const std::string path = "/proc/" + std::to_string(pid_) + "/cmdline";
        for (int attempt = 0; attempt < 5000; ++attempt) {
            std::ifstream in(path, std::ios::binary);
            std::string cmdline((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
            if (cmdline.compare(0, argv0.size() + 1, argv0 + '\0') == 0) return;
            usleep(1000);
        }
        ADD_FAILURE() << "the child did not start: " << argv0;
    }

    pid_t pid_ = -1;
};

TEST(ProcProcessTable, FindsAChildByItsFullNameUntilItEnds) {
    TempDir dir;
    const std::string name = UniqueName("watched-worker-long");
    ASSERT_GT(name.size(), 15u);
    fs::path program = CopyOfSleep(dir, name);
    auto table = MakeProcessTable();
    const std::string truncated = name.substr(0, 15);

    Child child(program, program.string());
    ASSERT_TRUE(child.started());
    ScanResult running = ScanProcesses(*table, Upper(name), truncated, "");
    EXPECT_TRUE(running.ok);
    EXPECT_EQ(running.code, 1);

    child.End();
    ScanResult ended = ScanProcesses(*table, Upper(name), truncated, "");
    EXPECT_TRUE(ended.ok);
    EXPECT_EQ(ended.code, 0);
}

TEST(ProcProcessTable, SeveralInstancesAreListedEachAndCountOnce) {
    TempDir dir;
    const std::string name = UniqueName("watched-worker-long");
    fs::path program = CopyOfSleep(dir, name);
    Child first(program, program.string()), second(program, program.string()), third(program, name);
    ASSERT_TRUE(first.started() && second.started() && third.started());
    auto table = MakeProcessTable();
    EXPECT_EQ(CountOf(SortedNames(*table), name), 3);
    ScanResult result = ScanProcesses(*table, name, Upper(name), "");
    EXPECT_TRUE(result.ok);
    EXPECT_EQ(result.code, 11);
}

TEST(ProcProcessTable, TruncatedNamesAreCompletedOnlyFromAMatchingArgv0) {
    TempDir dir;
    const std::string longName = UniqueName("watched-worker-long");
    const std::string comm = longName.substr(0, 15);
    const std::string exactName = UniqueName("watch");
    const std::string shortName = UniqueName("s");
    ASSERT_EQ(exactName.size(), 15u);
    struct Row {
        std::string file;
        std::string argv0; // empty: the program's full path
        std::string listedAs;
    };
    const Row rows[] = {
        {longName, "", longName},
        {longName, "unrelated-name", comm},
        {longName, comm + "-alias", comm + "-alias"},
        {longName, "/no/such/folder/" + longName, longName},
        {longName, "/no/such/" + longName + "/sleep", comm},
        {exactName, "", exactName},
        {shortName, shortName + "-but-longer", shortName},
    };
    auto table = MakeProcessTable();
    for (const Row& r : rows) {
        fs::path program = dir.path() / r.file;
        if (!fs::exists(program)) CopyOfSleep(dir, r.file);
        Child child(program, r.argv0.empty() ? program.string() : r.argv0);
        ASSERT_TRUE(child.started()) << r.argv0;
        std::vector<std::string> names = SortedNames(*table);
        EXPECT_EQ(CountOf(names, r.listedAs), 1) << r.file << " as " << r.argv0;
        if (r.listedAs != r.file) {
            EXPECT_EQ(CountOf(names, r.file), 0) << r.file << " as " << r.argv0;
        }
    }
}

} // namespace
} // namespace qz
