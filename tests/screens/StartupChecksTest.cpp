#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <tuple>

#ifndef _WIN32
#include <sys/resource.h>
#endif

#include "core/PathChecks.h"
#include "tests/support/TempDir.h"

namespace qz::test {
namespace {

using Check = std::function<Result<void>(const FileSys&)>;

const Check kDataDir = [](const FileSys& f) { return CheckDataDir(f); };
const Check kConfigFile = [](const FileSys& f) { return CheckConfigFile(f, "Data\\Quenzel.ini"); };
const Check kLogDir = [](const FileSys& f) { return CheckLogDir(f, "Log\\"); };
const Check kLogFile = [](const FileSys& f) { return CheckLogFile(f, "Log\\Quenzel.log"); };

std::optional<Fault> FaultOf(const Check& check, const TempDir& dir) {
    const Result<void> result = check(FileSys(dir.path()));
    return result ? std::nullopt : std::optional(result.fault());
}

#ifndef _WIN32
std::string Unchecked(const std::string& subject, const std::filesystem::path& path,
                      const std::string& reason) {
    return "Unable to check the " + subject + " " + path.string() + ".\r\n" + reason +
           ".\r\nThe program will now terminate.";
}
#endif

// Missing, each has its own fault; where it cannot be checked (a link to itself), the path and the reason.
TEST(StartupChecks, AMissingFolderOrFileOrOneThatCannotBeCheckedIsAFatalFault) {
    TempDir empty, loops;
#ifndef _WIN32
    for (const char* loop : {"Data", "Log"})
        std::filesystem::create_symlink(loop, loops.path() / loop);
#endif
    const struct {
        Check check;
        MsgIcon icon;
        const char *title, *missing, *what;
        std::filesystem::path path;
    } rows[] = {
        {kDataDir, MsgIcon::Critical, "Data Directory Error",
         "The data directory does not exist.\r\nTo restore the data directory\r\n"
         "reinstall the program.\r\nThe program will now terminate.",
         "data directory", "Data"},
        {kConfigFile, MsgIcon::Critical, "Configuration File Error",
         "The configuration file is either missing or\r\ncorrupted. To restore the "
         "configuration file\r\nreinstall the program.\r\nThe program will now terminate.",
         "configuration file", "Data/Quenzel.ini"},
        {kLogDir, MsgIcon::Critical, "Log Directory Error",
         "The log directory does not exist. This\r\ndirectory must be created manually if\r\n"
         "it is not the default one. To restore\r\nthe default log directory reinstall\r\n"
         "the program.\r\nThe program will now terminate.",
         "log directory", "Log"},
        {kLogFile, MsgIcon::Exclamation, "Log File Error",
         "The log file is either missing or\r\ncorrupted. Delete the log file if\r\n"
         "it exists and restart the program.\r\nThe program will now terminate.",
         "log file", "Log/Quenzel.log"},
    };
    for (const auto& r : rows) {
        EXPECT_EQ(FaultOf(r.check, empty), (Fault{r.icon, r.title, r.missing}));
#ifndef _WIN32
        EXPECT_EQ(FaultOf(r.check, loops), (Fault{r.icon, r.title,
                                                  Unchecked(r.what, (loops.path() / r.path).make_preferred(),
                                                            "Too many levels of symbolic links")}));
#endif
    }
}

#ifndef _WIN32
// The folder is there as "Data"; finding it for "data" needs a descriptor, and there is none.
TEST(StartupChecksDeathTest, OutOfDescriptorsIsNoMissingFolder) {
#if defined(__SANITIZE_ADDRESS__)
    // The sanitizers' runtime needs descriptors of its own to check a pointer, so it fails first.
    GTEST_SKIP() << "not under the sanitizers";
#endif
    TempDir dir;
    dir.Write("Data/Quenzel.ini", "");
    const std::string expected = Unchecked("data directory", dir.path() / "data", "Too many open files");
    const auto checkWithoutDescriptors = [&] {
        const rlimit none{0, 0};
        setrlimit(RLIMIT_NOFILE, &none);
        const auto fault = FaultOf(kDataDir, dir);
        std::fputs(fault ? fault->text.c_str() : "no fault", stderr);
        std::_Exit(fault && fault->text == expected ? 0 : 1);
    };
    EXPECT_EXIT(checkWithoutDescriptors(), testing::ExitedWithCode(0), "");
}
#endif

TEST(StartupChecks, APresentFolderOrFileOfAnyCasePassesAFolderIsNoFileAndAFileNoFolder) {
    TempDir dir;
    for (const char* path : {"DATA/quenzel.ini", "DATA/Folder.ini/inside", "log/QUENZEL.LOG",
                             "log/Folder.log/inside", "Data.txt"})
        dir.Write(path, "");
    for (const Check& check : {kDataDir, kConfigFile, kLogDir, kLogFile})
        EXPECT_FALSE(FaultOf(check, dir));
    const FileSys files(dir.path());
    EXPECT_EQ(std::tuple(CheckLogExists(files, "Log\\", "Quenzel.log").ok(),
                         CheckConfigFile(files, "Data\\Folder.ini").ok(),
                         CheckLogExists(files, "Log\\", "Folder.log").ok(),
                         CheckLogDir(files, "Data.txt").ok(), CheckLogDir(files, "").ok()),
              std::tuple(true, false, false, false, false));
}

} // namespace
} // namespace qz::test
