#include <gtest/gtest.h>

#include "platform/FileSys.h"
#include "tests/support/TempDir.h"

namespace qz {
namespace {

using test::TempDir;

TEST(FileSys, ProgramPathsFindFoldersWhateverTheirCase) {
    TempDir dir;
    dir.Write("Data/Quenzel.ini", "x");
    std::filesystem::create_directory(dir.path() / "Log");
    FileSys files(dir.path());
    struct Row {
        const char* path;
        bool folder;
        bool file;
    };
    for (const Row& r : {Row{"data", true, false}, Row{"data\\", true, false}, Row{"Data\\Quenzel.ini", false, true},
                         Row{"DATA\\quenzel.INI", false, true}, Row{"Log\\", true, false}, Row{"log", true, false},
                         Row{"Logs\\", false, false}, Row{"Data\\Other.ini", false, false}, Row{"", false, false}}) {
        EXPECT_EQ(files.FolderExists(r.path), r.folder) << r.path;
        EXPECT_EQ(files.FileExists(r.path), r.file) << r.path;
    }
}

TEST(FileSys, AppendNeverCreatesAndUsesPlatformLineEnds) {
    TempDir dir;
    FileSys files(dir.path());
    EXPECT_FALSE(files.AppendLine("Log\\q.log", "lost"));
    std::filesystem::create_directory(dir.path() / "Log");
    ASSERT_TRUE(files.CreateEmpty("Log\\q.log"));
    ASSERT_TRUE(files.AppendLine("Log\\q.log", "a\nb"));
#ifdef _WIN32
    EXPECT_EQ(dir.Read("Log/q.log"), "a\r\nb\r\n");
#else
    EXPECT_EQ(dir.Read("Log/q.log"), "a\nb\n");
#endif
}

TEST(FileSys, ReplaceKeepsTheOldFileWhenTheTargetCannotBeWritten) {
    TempDir dir;
    FileSys files(dir.path());
    dir.Write("Data/Quenzel.ini", "old");
    ASSERT_TRUE(files.ReplaceText("Data\\Quenzel.ini", "new"));
    EXPECT_EQ(dir.Read("Data/Quenzel.ini"), "new");
    std::filesystem::create_directories(dir.path() / "Data" / "Folder.ini");
    EXPECT_FALSE(files.ReplaceText("Data\\Folder.ini", "x"));
    EXPECT_FALSE(files.ReadText("Data\\Folder.ini").has_value());
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path() / "Data"), {}), 2);
}

TEST(SplitLines, AcceptsBothLineEnds) {
    using V = std::vector<std::string>;
    EXPECT_EQ(SplitLines("a\r\nb\nc"), (V{"a", "b", "c"}));
    EXPECT_EQ(SplitLines("a\n\n"), (V{"a", ""}));
    EXPECT_EQ(SplitLines(""), V{});
    EXPECT_EQ(SplitLines("\r\n"), V{""});
}

} // namespace
} // namespace qz
