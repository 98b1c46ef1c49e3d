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

[[maybe_unused]] Fault Unchecked(const char* title, const std::string& subject,
                                 const std::filesystem::path& path, const std::string& reason) {
    return {MsgIcon::Critical, title,
            "Unable to check the " + subject + " " + path.string() + ".\r\n" + reason +
                ".\r\nThe program will now terminate."};
}

// Present in any case: passes; missing: its fault; unsearchable (a loop, no descriptor): path and reason.
TEST(StartupChecks, EachFolderAndFilePassesOrGivesItsFault) {
    TempDir present, empty, loops;
    present.Write("DATA/quenzel.ini", "");
    present.Write("log/QUENZEL.LOG", "");
#ifndef _WIN32
    for (const char* loop : {"Data", "Log"})
        std::filesystem::create_symlink(loop, loops.path() / loop);
#endif
    const std::tuple<Check, const char*, std::string, const char*, std::string> rows[] = {
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
    for (const auto& [check, title, subject, path, missing] : rows) {
        EXPECT_FALSE(FaultOf(check, present)) << title;
        EXPECT_EQ(FaultOf(check, empty),
                  (Fault{MsgIcon::Critical, title, missing + "The program will now terminate."}));
#ifndef _WIN32
        EXPECT_EQ(FaultOf(check, loops), Unchecked(title, subject, (loops.path() / path).make_preferred(),
                                                   "Too many levels of symbolic links"));
#endif
    }
    // A folder is no file, a file no folder, and no name no folder.
    const FileSys files(present.path());
    EXPECT_FALSE(CheckConfigFile(files, "Data") || CheckLogDir(files, "Data\\Quenzel.ini") ||
                 CheckLogDir(files, ""));
#if !defined(_WIN32) && !defined(__SANITIZE_ADDRESS__) // the sanitizers' runtime needs descriptors
    const Fault expected =
        Unchecked("Data Directory Error", "data directory", present.path() / "data", "Too many open files");
    const auto checkWithoutDescriptors = [&] {
        const rlimit none{0, 0};
        setrlimit(RLIMIT_NOFILE, &none);
        std::_Exit(FaultOf(CheckDataDir, present) != expected);
    };
    EXPECT_EXIT(checkWithoutDescriptors(), testing::ExitedWithCode(0), "");
#endif
}

} // namespace
} // namespace qz::test
