#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "platform/FileSys.h"
#include "tests/support/TempDir.h"

namespace qz {
namespace {

using test::TempDir;

TEST(FileSys, AppendNeverCreatesUsesPlatformLineEndsAndOnlyRegularFilesAreReadOrWrittenUnwaited) {
    namespace fs = std::filesystem;
    TempDir dir;
    FileSys files(dir.path());
    EXPECT_FALSE(files.AppendLine("Log\\q.log", "lost"));
    fs::create_directory(dir.path() / "Log");
    ASSERT_TRUE(files.CreateEmpty("Log\\q.log"));
    ASSERT_TRUE(files.AppendLine("Log\\q.log", "a\nb"));
    dir.Write("plain", "x");
    fs::create_directory(dir.path() / "folder");
#ifdef _WIN32
    EXPECT_EQ(dir.Read("Log/q.log"), "a\r\nb\r\n");
    const std::vector<std::string> hostile{"folder", "NUL", "CON"};
#else
    EXPECT_EQ(dir.Read("Log/q.log"), "a\nb\n");
    alarm(30); // a wait would hang the run; the alarm ends it as a failure instead
    for (const char* fifo : {"fifo", "plain.tmp"})
        ASSERT_EQ(mkfifo((dir.path() / fifo).c_str(), 0600), 0);
    fs::create_symlink("/dev/zero", dir.path() / "zero");
    fs::create_symlink("/dev/null", dir.path() / "null");
    const std::vector<std::string> hostile{"folder", "fifo", "zero", "null"};
    // A FIFO as the save's temporary file fails the save and leaves the old file.
    EXPECT_FALSE(files.ReplaceText("plain", "y"));
    EXPECT_EQ(dir.Read("plain"), "x");
#endif
    for (const std::string& name : hostile) {
        EXPECT_EQ(std::tuple(files.ReadText(name).has_value(), files.AppendLine(name, "x"),
                             files.CreateEmpty(name), files.ReplaceText(name, "x"),
                             files.CopyFile(name, "copy"), files.CopyFile("plain", name)),
                  std::tuple(false, false, false, false, false, false))
            << name;
    }
    EXPECT_FALSE(fs::exists(dir.path() / "copy"));
#ifndef _WIN32
    EXPECT_TRUE(fs::is_fifo(dir.path() / "fifo") && fs::is_symlink(dir.path() / "zero"));
    alarm(0);
#endif
    EXPECT_EQ(files.ReadText("plain", 1), "x");
    EXPECT_FALSE(files.ReadText("plain", 0));
    using V = std::vector<std::string>; // lines of either end
    EXPECT_EQ(std::tuple(SplitLines("a\r\nb\nc"), SplitLines("a\n\n"), SplitLines(""), SplitLines("\r\n")),
              std::tuple(V{"a", "b", "c"}, V{"a", ""}, V{}, V{""}));
}

} // namespace
} // namespace qz
