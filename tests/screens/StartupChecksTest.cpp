#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <tuple>

#ifndef _WIN32
#include <sys/resource.h>
#endif

#include "screens/StartupChecks.h"
#include "tests/support/Fakes.h"
#include "tests/support/TempDir.h"

namespace qz::test {
namespace {

using Check = std::function<void(Program&)>;

const Check kDataDir = [](Program& p) { CheckDataDir(p, "data"); };
const Check kConfigFile = [](Program& p) { CheckConfigFile(p, "configuration", "Data\\", "Quenzel.ini"); };
const Check kLogDir = [](Program& p) { CheckLogDir(p, "Log\\"); };
const Check kLogFile = [](Program& p) { CheckLogFile(p, "log", "Log\\", "Quenzel.log"); };

// Runs the check in the folder; the box it showed before it ended the program, or none.
std::optional<ShownMessage> BoxOf(const Check& check, const TempDir& dir, const char* appTitle = "Quenzel") {
    FakeWorld w(dir.path());
    w.program.rt.AppTitle = appTitle;
    w.program.rt.TimerEnabled = true;
    try {
        check(w.program);
    } catch (const ProgramEnded& end) {
        EXPECT_EQ(
            std::tuple(end.status, w.program.rt.TimerEnabled, w.host.trayRemovals, w.host.messages.size()),
            std::tuple(1, false, 1, size_t{1}));
        return w.host.messages.back();
    }
    return std::nullopt;
}

#ifndef _WIN32
std::string Unchecked(const std::string& subject, const std::filesystem::path& path,
                      const std::string& reason) {
    return "Unable to check the " + subject + " " + path.string() + ".\r\n" + reason +
           ".\r\nThe program will now terminate.";
}
#endif

// Missing, each shows its own box; where it cannot be checked (a link to itself), the same box gives
// the path and the system's reason instead.
TEST(StartupChecks, AMissingFolderOrFileOrOneThatCannotBeCheckedShowsItsBoxAndEndsTheProgram) {
    TempDir empty, loops;
#ifndef _WIN32
    for (const char* loop : {"Data", "Log"})
        std::filesystem::create_symlink(loop, loops.path() / loop);
#endif
    const struct {
        Check check;
        MsgIcon icon;
        const char *subject, *missing, *what;
        std::filesystem::path path;
    } rows[] = {
        {kDataDir, MsgIcon::Critical, " Data Directory Error",
         "The data directory does not exist.\r\nTo restore the data directory\r\n"
         "reinstall the program.\r\nThe program will now terminate.",
         "data directory", "Data"},
        {kConfigFile, MsgIcon::Critical, " Configuration File Error",
         "The configuration file is either missing or\r\ncorrupted. To restore the "
         "configuration file\r\nreinstall the program.\r\nThe program will now terminate.",
         "configuration file", "Data/Quenzel.ini"},
        {kLogDir, MsgIcon::Critical, " Log Directory Error",
         "The log directory does not exist. This\r\ndirectory must be created manually if\r\n"
         "it is not the default one. To restore\r\nthe default log directory reinstall\r\n"
         "the program.\r\nThe program will now terminate.",
         "log directory", "Log"},
        {kLogFile, MsgIcon::Exclamation, " Log File Error",
         "The log file is either missing or\r\ncorrupted. Delete the log file if\r\n"
         "it exists and restart the program.\r\nThe program will now terminate.",
         "log file", "Log/Quenzel.log"},
    };
    for (const auto& r : rows) {
        for (const std::string appTitle : {"Quenzel", "Quenzel Slave"}) {
            const auto box = BoxOf(r.check, empty, appTitle.c_str());
            ASSERT_TRUE(box) << r.subject;
            EXPECT_EQ(std::tuple(box->icon, box->buttons, box->title, box->text),
                      std::tuple(r.icon, MsgButtons::Ok, appTitle + r.subject, std::string(r.missing)));
        }
#ifndef _WIN32
        const auto box = BoxOf(r.check, loops, "Quenzel Slave");
        ASSERT_TRUE(box) << r.subject;
        EXPECT_EQ(std::tuple(box->icon, box->buttons, box->title, box->text),
                  std::tuple(r.icon, MsgButtons::Ok, "Quenzel Slave" + std::string(r.subject),
                             Unchecked(r.what, (loops.path() / r.path).make_preferred(),
                                       "Too many levels of symbolic links")));
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
        const auto box = BoxOf(kDataDir, dir);
        std::fputs(box ? box->text.c_str() : "no box", stderr);
        std::_Exit(box && box->text == expected ? 0 : 1);
    };
    EXPECT_EXIT(checkWithoutDescriptors(), testing::ExitedWithCode(0), "");
}
#endif

TEST(StartupChecks, APresentFolderOrFileOfAnyCasePassesAFolderIsNoFileAndAFileNoFolder) {
    TempDir dir;
    dir.Write("DATA/quenzel.ini", "[Comms]\n");
    dir.Write("DATA/Folder.ini/inside", "");
    dir.Write("log/QUENZEL.LOG", "");
    dir.Write("log/Folder.log/inside", "");
    dir.Write("Data.txt", "");
    for (const Check& check : {kDataDir, kConfigFile, kLogDir, kLogFile})
        EXPECT_FALSE(BoxOf(check, dir));
    for (const auto& [check, title] :
         {std::pair<Check, const char*>{
              [](Program& p) { CheckConfigFile(p, "configuration", "Data\\", "Folder.ini"); },
              "Quenzel Configuration File Error"},
          {[](Program& p) { CheckLogFile(p, "log", "Log\\", "Folder.log"); }, "Quenzel Log File Error"},
          {[](Program& p) { CheckDataDir(p, "Data.txt"); }, "Quenzel Data.txt Directory Error"},
          {[](Program& p) { CheckLogDir(p, ""); }, "Quenzel Log Directory Error"}}) {
        const auto box = BoxOf(check, dir);
        EXPECT_EQ(box ? box->title : "none", title);
    }
}

} // namespace
} // namespace qz::test
