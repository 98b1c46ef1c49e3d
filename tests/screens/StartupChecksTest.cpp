#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>

#ifndef _WIN32
#include <sys/resource.h>
#endif

#include "core/PathChecks.h"
#include "tests/support/TempDir.h"

namespace qz::test {
namespace {

using Check = std::function<Result<void>(const FileSys&)>;

std::optional<Fault> FaultOf(const Check& check, const TempDir& dir) {
    const Result<void> result = check(FileSys(dir.path()));
    return result ? std::nullopt : std::optional(result.fault());
}

// The fault of a folder or file that is there but cannot be checked (POSIX only here).
[[maybe_unused]] Fault Unchecked(const char* title, const std::string& subject,
                                 const std::filesystem::path& path, const std::string& reason) {
    return {MsgIcon::Critical, title,
            "Unable to check the " + subject + " " + path.string() + ".\r\n" + reason +
                ".\r\nThe program will now terminate."};
}

// Present in any case, each passes; missing, each has its own fault; where it cannot be checked (a
// link to itself), the fault names the path and the reason. The log file's faults: LogTest.
TEST(StartupChecks, EachFolderAndFilePassesOrGivesItsFault) {
    TempDir present, empty, loops;
    for (const char* path : {"DATA/quenzel.ini", "log/QUENZEL.LOG"})
        present.Write(path, "");
#ifndef _WIN32
    for (const char* loop : {"Data", "Log"})
        std::filesystem::create_symlink(loop, loops.path() / loop);
#endif
    const struct {
        Check check;
        const char *title, *subject, *path, *missing;
    } rows[] = {
        {CheckDataDir, "Data Directory Error", "data directory", "Data",
         "The data directory does not exist.\r\nTo restore the data directory\r\nreinstall the program.\r\n"},
        {[](const FileSys& f) { return CheckConfigFile(f, "Data\\Quenzel.ini"); }, "Configuration File Error",
         "configuration file", "Data/Quenzel.ini",
         "The configuration file is either missing or\r\ncorrupted. To restore the configuration file\r\n"
         "reinstall the program.\r\n"},
        {[](const FileSys& f) { return CheckLogDir(f, "Log\\"); }, "Log Directory Error", "log directory",
         "Log",
         "The log directory does not exist. This\r\ndirectory must be created manually if\r\nit is not the "
         "default one. To restore\r\nthe default log directory reinstall\r\nthe program.\r\n"},
    };
    for (const auto& r : rows) {
        EXPECT_FALSE(FaultOf(r.check, present)) << r.title;
        const std::string missing = std::string(r.missing) + "The program will now terminate.";
        EXPECT_EQ(FaultOf(r.check, empty), (Fault{MsgIcon::Critical, r.title, missing}));
#ifndef _WIN32
        const std::filesystem::path path = (loops.path() / r.path).make_preferred();
        EXPECT_EQ(FaultOf(r.check, loops),
                  Unchecked(r.title, r.subject, path, "Too many levels of symbolic links"));
#endif
    }
    // A folder is no file, a file no folder, and no name no folder.
    const FileSys files(present.path());
    EXPECT_FALSE(CheckConfigFile(files, "Data") || CheckLogDir(files, "Data\\Quenzel.ini") ||
                 CheckLogDir(files, ""));
}

#ifndef _WIN32
// The folder is there as "Data"; finding it for "data" needs a descriptor, and there is none.
TEST(StartupChecksDeathTest, OutOfDescriptorsIsNoMissingFolder) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the sanitizers' runtime needs descriptors of its own to check a pointer";
#endif
    TempDir dir;
    dir.Write("Data/Quenzel.ini", "");
    const Fault expected =
        Unchecked("Data Directory Error", "data directory", dir.path() / "data", "Too many open files");
    const auto checkWithoutDescriptors = [&] {
        const rlimit none{0, 0};
        setrlimit(RLIMIT_NOFILE, &none);
        std::_Exit(FaultOf(CheckDataDir, dir) == expected ? 0 : 1);
    };
    EXPECT_EXIT(checkWithoutDescriptors(), testing::ExitedWithCode(0), "");
}
#endif

} // namespace
} // namespace qz::test
