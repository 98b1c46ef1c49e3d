#include <gtest/gtest.h>

#include <functional>

#include "screens/StartupChecks.h"
#include "tests/support/Fakes.h"
#include "tests/support/TempDir.h"

namespace qz {
namespace {

using test::FakeWorld;
using test::ProgramEnded;
using test::TempDir;

using Check = std::function<void(Program&)>;

const Check kDataDir = [](Program& p) { CheckDataDir(p, "data"); };
const Check kConfigFile = [](Program& p) { CheckConfigFile(p, "configuration", "Data\\", "Quenzel.ini"); };
const Check kLogDir = [](Program& p) { CheckLogDir(p, "Log\\"); };
const Check kLogFile = [](Program& p) { CheckLogFile(p, "log", "Log\\", "Quenzel.log"); };

struct Fatal {
    const char* what;
    Check check;
    const char* appTitle;
    MsgIcon icon;
    const char* title;
    const char* text;
};

const char* const kDataText = "The data directory does not exist.\r\n"
                              "To restore the data directory\r\n"
                              "reinstall the program.\r\n"
                              "The program will now terminate.";
const char* const kConfigText = "The configuration file is either missing or\r\n"
                                "corrupted. To restore the configuration file\r\n"
                                "reinstall the program.\r\n"
                                "The program will now terminate.";
const char* const kLogDirText = "The log directory does not exist. This\r\n"
                                "directory must be created manually if\r\n"
                                "it is not the default one. To restore\r\n"
                                "the default log directory reinstall\r\n"
                                "the program.\r\n"
                                "The program will now terminate.";
const char* const kLogFileText = "The log file is either missing or\r\n"
                                 "corrupted. Delete the log file if\r\n"
                                 "it exists and restart the program.\r\n"
                                 "The program will now terminate.";

TEST(StartupChecks, MissingFolderOrFileShowsItsBoxAndEndsTheProgram) {
    for (const Fatal& r : {
             Fatal{"data", kDataDir, "Quenzel", MsgIcon::Critical, "Quenzel Data Directory Error", kDataText},
             Fatal{"data", kDataDir, "Quenzel Slave", MsgIcon::Critical, "Quenzel Slave Data Directory Error",
                   kDataText},
             Fatal{"config", kConfigFile, "Quenzel", MsgIcon::Critical, "Quenzel Configuration File Error",
                   kConfigText},
             Fatal{"config", kConfigFile, "Quenzel Slave", MsgIcon::Critical,
                   "Quenzel Slave Configuration File Error", kConfigText},
             Fatal{"log dir", kLogDir, "Quenzel", MsgIcon::Critical, "Quenzel Log Directory Error",
                   kLogDirText},
             Fatal{"log dir", kLogDir, "Quenzel Slave", MsgIcon::Critical,
                   "Quenzel Slave Log Directory Error", kLogDirText},
             Fatal{"log file", kLogFile, "Quenzel", MsgIcon::Exclamation, "Quenzel Log File Error",
                   kLogFileText},
             Fatal{"log file", kLogFile, "Quenzel Slave", MsgIcon::Exclamation,
                   "Quenzel Slave Log File Error", kLogFileText},
         }) {
        SCOPED_TRACE(std::string(r.what) + " / " + r.appTitle);
        TempDir dir;
        FakeWorld w(dir.path());
        w.program.rt.AppTitle = r.appTitle;
        w.program.rt.TimerEnabled = true;
        EXPECT_THROW(r.check(w.program), ProgramEnded);
        EXPECT_EQ(w.host.endedWith, 1);
        EXPECT_FALSE(w.program.rt.TimerEnabled);
        EXPECT_EQ(w.host.trayRemovals, 1);
        ASSERT_EQ(w.host.messages.size(), 1u);
        EXPECT_EQ(w.host.messages[0].icon, r.icon);
        EXPECT_EQ(w.host.messages[0].buttons, MsgButtons::Ok);
        EXPECT_EQ(w.host.messages[0].title, r.title);
        EXPECT_EQ(w.host.messages[0].text, r.text);
    }
}

TEST(StartupChecks, PresentFolderOrFilePassesQuietly) {
    TempDir dir;
    dir.Write("DATA/quenzel.ini", "[Comms]\n");
    dir.Write("log/QUENZEL.LOG", "");
    FakeWorld w(dir.path());
    for (const Check& check : {kDataDir, kConfigFile, kLogDir, kLogFile})
        check(w.program);
    CheckLogDir(w.program, "log");
    EXPECT_TRUE(w.host.messages.empty());
    EXPECT_EQ(w.host.trayRemovals, 0);
    EXPECT_FALSE(w.host.endedWith.has_value());
}

TEST(StartupChecks, WordsAndPathsAreTakenAsGiven) {
    struct Row {
        const char* what;
        Check check;
        const char* title;
    };
    TempDir dir;
    dir.Write("Data/Quenzel.ini/inside", "a folder where the file belongs");
    dir.Write("Log/Quenzel.log/inside", "");
    dir.Write("Data.txt", "a file where the folder belongs");
    for (const Row& r : {
             Row{"folder named like the file", kConfigFile, "Quenzel Configuration File Error"},
             Row{"folder named like the log", kLogFile, "Quenzel Log File Error"},
             Row{"empty log path", [](Program& p) { CheckLogDir(p, ""); }, "Quenzel Log Directory Error"},
             Row{"only a file of that name", [](Program& p) { CheckDataDir(p, "Data.txt"); },
                 "Quenzel Data.txt Directory Error"},
             Row{"word already capitalised", [](Program& p) { CheckLogFile(p, "Trace", "Log\\", "x.log"); },
                 "Quenzel Trace File Error"},
             Row{"empty word", [](Program& p) { CheckConfigFile(p, "", "Data\\", "none.ini"); },
                 "Quenzel  File Error"},
         }) {
        SCOPED_TRACE(r.what);
        FakeWorld w(dir.path());
        EXPECT_THROW(r.check(w.program), ProgramEnded);
        ASSERT_EQ(w.host.messages.size(), 1u);
        EXPECT_EQ(w.host.messages[0].title, r.title);
    }
}

} // namespace
} // namespace qz
