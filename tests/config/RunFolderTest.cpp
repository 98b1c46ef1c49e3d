#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "config/ConfigFile.h"
#include "config/ConfigWriter.h"
#include "tests/support/Fakes.h"
#include "tests/support/TempDir.h"

namespace qz::test {
namespace {

// The template the run script fills in, copied beside the test, with its creation time filled in.
std::string Template() {
    std::ifstream in("Quenzel.ini.in", std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    std::string filled = text.str();
    const size_t at = filled.find("@CREATED@");
    return at == std::string::npos ? filled : filled.replace(at, 9, "05-Dec-26 09:07:03");
}

TEST(RunFolder, TemplateIsWhatSaveWritesAfterRestoreOnAnEmptyScreen) {
    ConfigInput restored;
    restored.ComDelay = restored.ProcDelay = restored.ShutTime = "60";
    restored.Port1 = "10001";
    restored.Port2 = "10000";
    restored.DelTime = "90";
    restored.LogName = "Quenzel.log";
    restored.LogPath = "Log\\";
    restored.StartDelay = "2";
    restored.StopTime = "00:00";
    restored.Force = true;
    restored.LogLevel = 2;
    restored.ShutType = 1;
    EXPECT_EQ(Template(), ConfigFileText(restored, Role::Main, LocalTime{2026, 12, 5, 9, 7, 3}));
}

TEST(RunFolder, FreshFolderLoadsQuietlyAndWaitsToBeConfigured) {
    TempDir dir;
    dir.Write("Data/Quenzel.ini", Template());
    const Result<ConfigRead> read = ReadConfigFile(FileSys(dir.path()));
    ASSERT_TRUE(read);
    EXPECT_FALSE(read.value().complete);
    EXPECT_EQ(read.value().settings.shutdownDelay, 60);
}

} // namespace
} // namespace qz::test
