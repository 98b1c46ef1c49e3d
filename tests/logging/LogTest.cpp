#include <gtest/gtest.h>

#include <filesystem>

#include "logging/Log.h"
#include "tests/logging/LogWorld.h"

namespace qz {
namespace {

using test::LogWorld;
using test::Native;
using test::ProgramEnded;

const char* const kNewLog = "Quenzel\nVersion 1.6\nFile Created\n05-Dec-26 10:30:00\n";

TEST(TimeStamp, TwoDigitFieldsAndEnglishMonths) {
    struct Row {
        LocalTime t;
        const char* text;
    };
    for (const Row& r : {
             Row{{2026, 12, 5, 10, 30, 0}, "05-Dec-26 10:30:00"},
             Row{{2000, 1, 1, 0, 0, 0}, "01-Jan-00 00:00:00"},
             Row{{2009, 2, 28, 23, 59, 59}, "28-Feb-09 23:59:59"},
             Row{{2031, 3, 9, 7, 5, 3}, "09-Mar-31 07:05:03"},
             Row{{2024, 4, 30, 12, 0, 0}, "30-Apr-24 12:00:00"},
             Row{{2024, 5, 1, 1, 1, 1}, "01-May-24 01:01:01"},
             Row{{2024, 6, 15, 18, 45, 30}, "15-Jun-24 18:45:30"},
             Row{{2024, 7, 4, 4, 4, 4}, "04-Jul-24 04:04:04"},
             Row{{2024, 8, 31, 9, 9, 9}, "31-Aug-24 09:09:09"},
             Row{{2024, 9, 10, 10, 10, 10}, "10-Sep-24 10:10:10"},
             Row{{2024, 10, 11, 11, 11, 11}, "11-Oct-24 11:11:11"},
             Row{{2099, 11, 29, 22, 2, 2}, "29-Nov-99 22:02:02"},
             Row{{2024, 13, 1, 0, 0, 0}, "01-\?\?\?-24 00:00:00"},
         }) {
        EXPECT_EQ(TimeStamp(r.t), r.text);
    }
}

TEST(WriteLog, EntryFormatToTheCharacter) {
    struct Row {
        const char* what;
        int level;
        bool testMode;
        const char* event;
        const char* detail;
        int32_t count;
        const char* ipAdd;
        const char* line;
        std::string linkMark = "C";
    };
    for (const Row& r : {
             Row{"normal", 2, false, "Enter", "Run", 0, "",
                 "05-Dec-26 10:30:00,  Enter    , Run       , Count:    0"},
             Row{"test mode marker", 2, true, "Enter", "Test", 12, "",
                 "05-Dec-26 10:30:00, *Enter    , Test      , Count:   12"},
             Row{"ten hyphens in both columns", 2, false, "----------", "----------", 7, "",
                 "05-Dec-26 10:30:00,  ---------, ----------, Count:    7"},
             Row{"marker keeps its place when cutting", 2, true, "----------", "----------", 7, "",
                 "05-Dec-26 10:30:00, *---------, ----------, Count:    7"},
             Row{"empty detail is ten blanks", 2, false, "Run", "", 3, "",
                 "05-Dec-26 10:30:00,  Run      ,           , Count:    3"},
             Row{"empty event is a blank column", 2, false, "", "Updated", 3, "",
                 "05-Dec-26 10:30:00,           , Updated   , Count:    3"},
             Row{"nine-letter event fits", 2, false, "Power Off", "Initialise", 60, "",
                 "05-Dec-26 10:30:00,  Power Off, Initialise, Count:   60"},
             Row{"long words are cut", 2, false, "Initialise", "Restarting!", 60, "",
                 "05-Dec-26 10:30:00,  Initialis, Restarting, Count:   60"},
             Row{"five digits fit", 2, false, "Run", "", 99999, "",
                 "05-Dec-26 10:30:00,  Run      ,           , Count:99999"},
             Row{"count keeps its last five digits", 2, false, "Run", "", 123456, "",
                 "05-Dec-26 10:30:00,  Run      ,           , Count:23456"},
             Row{"full without an address", 3, false, "Run", "", 5, "",
                 "05-Dec-26 10:30:00,  Run      ,           , Count:    5, P1 .. .. "},
             Row{"full with a 3-character address", 3, false, "Run", "", 5, "a.b",
                 "05-Dec-26 10:30:00,  Run      ,           , Count:    5, P1 .. .. "},
             Row{"full with a 4-character address", 3, false, "Run", "", 5, "a.bc",
                 "05-Dec-26 10:30:00,  Run      ,           , Count:    5, P1 .. .. C"},
             Row{"full, test mode, link in use", 3, true, "Enter", "Test", 12, "10.1.1.1",
                 "05-Dec-26 10:30:00, *Enter    , Test      , Count:   12, P1 .. .. C"},
         }) {
        SCOPED_TRACE(r.what);
        LogWorld t;
        t.SetLog("Quenzel\n");
        t.p.set.LogLevel = static_cast<int16_t>(r.level);
        t.p.rt.TestMode = r.testMode;
        t.p.rt.CountSeconds = r.count;
        t.p.set.IPAdd = r.ipAdd;
        t.p.rt.ProcMarks = "P1 .. .. ";
        t.p.rt.LinkMark = r.linkMark;
        WriteLog(t.p, r.event, r.detail);
        EXPECT_EQ(t.p.rt.LogLine, r.line);
        EXPECT_EQ(t.Log(), Native(std::string("Quenzel\n") + r.line + "\n"));
    }
}

TEST(WriteLog, EntriesFollowOneAnotherWithTheTimeOfEach) {
    LogWorld t;
    t.SetLog("");
    WriteLog(t.p, "Enter", "Run");
    t.w.clock.now = {2027, 1, 2, 3, 4, 5};
    t.p.rt.CountSeconds = 1;
    WriteLog(t.p, "Reset", "Run");
    EXPECT_EQ(t.Log(), Native("05-Dec-26 10:30:00,  Enter    , Run       , Count:    0\n"
                              "02-Jan-27 03:04:05,  Reset    , Run       , Count:    1\n"));
}

TEST(Log, LevelNoneCreatesAndWritesNothing) {
    for (int level : {1, 0}) {
        for (bool withFolder : {true, false}) {
            SCOPED_TRACE("level " + std::to_string(level) + (withFolder ? " with" : " without") +
                         " a log folder");
            LogWorld t;
            if (!withFolder) std::filesystem::remove(t.dir.path() / "Log");
            t.p.set.LogLevel = static_cast<int16_t>(level);
            t.p.rt.ConfigText = "\nConfiguration";
            CreateLogFile(t.p);
            WriteLog(t.p, "", "");
            WriteLogHeader(t.p, 0);
            WriteLog(t.p, "Enter", "Run");
            WriteLogHeader(t.p, 1);
            EXPECT_FALSE(std::filesystem::exists(t.dir.path() / "Log" / "Quenzel.log"));
            EXPECT_EQ(t.p.rt.LogLine, "");
            EXPECT_TRUE(t.w.host.messages.empty());
        }
    }
}

TEST(CreateLogFile, MissingLogIsCreatedWithItsFourHeaderLines) {
    for (const char* title : {"Quenzel", "Quenzel Slave"}) {
        LogWorld t;
        t.p.rt.AppTitle = title;
        CreateLogFile(t.p);
        EXPECT_EQ(t.Log(), Native(std::string(title) + "\nVersion 1.6\nFile Created\n05-Dec-26 10:30:00\n"));
        EXPECT_TRUE(t.w.host.messages.empty());
    }
}

TEST(CreateLogFile, ExistingLogIsAppendedToNeverReplaced) {
    LogWorld t;
    t.SetLog("earlier run\n");
    CreateLogFile(t.p);
    EXPECT_EQ(t.Log(), Native("earlier run\n"));
    WriteLog(t.p, "Enter", "Run");
    EXPECT_EQ(t.Log(), Native("earlier run\n05-Dec-26 10:30:00,  Enter    , Run       , Count:    0\n"));
}

TEST(Log, StartUpSeparatorIsAnEmptyLineWhileNothingWasLogged) {
    LogWorld t;
    t.SetLog("x\n");
    WriteLog(t.p, "", "");
    EXPECT_EQ(t.p.rt.LogLine, "\n");
    EXPECT_EQ(t.Log(), Native("x\n\n\n"));
}

TEST(Log, TwoEmptyWordsRepeatTheLastEntryFollowedByAnEmptyLine) {
    LogWorld t;
    t.SetLog("");
    WriteLog(t.p, "Enter", "Run");
    WriteLog(t.p, "", "");
    const std::string entry = "05-Dec-26 10:30:00,  Enter    , Run       , Count:    0";
    EXPECT_EQ(t.p.rt.LogLine, entry + "\n");
    EXPECT_EQ(t.Log(), Native(entry + "\n" + entry + "\n\n"));
}

TEST(WriteLogHeader, BlocksByModeAndLevel) {
    const std::string config = "\nConfiguration\n-------------\n\n[Comms]\nComDelay=60";
    struct Row {
        const char* what;
        int level;
        int mode;
        const char* title;
        std::string block;
    };
    for (const Row& r : {
             Row{"start-up, normal", 2, 0, "Quenzel", "Quenzel\nVersion 1.6\n\n"},
             Row{"start-up, normal, slave", 2, 0, "Quenzel Slave", "Quenzel Slave\nVersion 1.6\n\n"},
             Row{"start-up, full", 3, 0, "Quenzel", "Quenzel\nVersion 1.6\n" + config + "\n\n"},
             Row{"update, full", 3, 1, "Quenzel", "\n" + config + "\n\n"},
             Row{"update, normal", 2, 1, "Quenzel", "\n" + config + "\n\n"},
         }) {
        SCOPED_TRACE(r.what);
        LogWorld t;
        t.SetLog("x\n");
        t.p.set.LogLevel = static_cast<int16_t>(r.level);
        t.p.rt.AppTitle = r.title;
        t.p.rt.ConfigText = config;
        WriteLogHeader(t.p, r.mode);
        EXPECT_EQ(t.Log(), Native("x\n" + r.block));
        EXPECT_EQ(t.p.rt.LogLine, "");
    }
}

TEST(Log, StartUpOfAFreshLogGivesNineLines) {
    LogWorld t;
    t.StartUp();
    const std::string expected = std::string(kNewLog) + "\n\nQuenzel\nVersion 1.6\n\n";
    EXPECT_EQ(t.Log(), Native(expected));
    EXPECT_EQ(SplitLines(t.Log()).size(), 9u);
}

struct EndingCase {
    const char* what;
    void (*call)(Program&);
    MsgIcon icon;
    const char* title;
    const char* text;
};

void ExpectEndedWith(test::FakeWorld& w, const EndingCase& r) {
    EXPECT_EQ(w.host.endedWith, 1);
    EXPECT_FALSE(w.program.rt.TimerEnabled);
    EXPECT_EQ(w.host.trayRemovals, 1);
    ASSERT_EQ(w.host.messages.size(), 1u);
    EXPECT_EQ(w.host.messages[0].icon, r.icon);
    EXPECT_EQ(w.host.messages[0].buttons, MsgButtons::Ok);
    EXPECT_EQ(w.host.messages[0].title, r.title);
    EXPECT_EQ(w.host.messages[0].text, r.text);
}

const char* const kLogDirError = "The log directory does not exist. This\r\n"
                                 "directory must be created manually if\r\n"
                                 "it is not the default one. To restore\r\n"
                                 "the default log directory reinstall\r\n"
                                 "the program.\r\n"
                                 "The program will now terminate.";
const char* const kLogFileError = "The log file is either missing or\r\n"
                                  "corrupted. Delete the log file if\r\n"
                                  "it exists and restart the program.\r\n"
                                  "The program will now terminate.";
const char* const kCreateError = "Unable to create the log file Quenzel.log.\r\n"
                                 "This may be a permissions problem.\r\n"
                                 "The program will now terminate.";
const char* const kWriteError = "Unable to write to the log file Quenzel.log.\r\n"
                                "This may be a permissions problem.\r\n"
                                "The program will now terminate.";

void Create(Program& p) {
    CreateLogFile(p);
}
void Entry(Program& p) {
    WriteLog(p, "Enter", "Run");
}
void Separator(Program& p) {
    WriteLog(p, "", "");
}
void Header(Program& p) {
    WriteLogHeader(p, 0);
}
void Update(Program& p) {
    WriteLogHeader(p, 1);
}

TEST(Log, MissingLogFolderEndsEveryWriter) {
    for (const EndingCase& r : {
             EndingCase{"create", Create, MsgIcon::Critical, "Quenzel Log Directory Error", kLogDirError},
             EndingCase{"entry", Entry, MsgIcon::Critical, "Quenzel Log Directory Error", kLogDirError},
             EndingCase{"header", Header, MsgIcon::Critical, "Quenzel Log Directory Error", kLogDirError},
         }) {
        SCOPED_TRACE(r.what);
        LogWorld t;
        std::filesystem::remove(t.dir.path() / "Log");
        t.p.rt.TimerEnabled = true;
        EXPECT_THROW(r.call(t.p), ProgramEnded);
        ExpectEndedWith(t.w, r);
        EXPECT_FALSE(std::filesystem::exists(t.dir.path() / "Log"));
    }
}

TEST(Log, LogFileThatVanishedIsNotRecreatedByTheWriters) {
    for (const EndingCase& r : {
             EndingCase{"entry", Entry, MsgIcon::Exclamation, "Quenzel Log File Error", kLogFileError},
             EndingCase{"separator", Separator, MsgIcon::Exclamation, "Quenzel Log File Error",
                        kLogFileError},
             EndingCase{"header", Header, MsgIcon::Exclamation, "Quenzel Log File Error", kLogFileError},
             EndingCase{"update", Update, MsgIcon::Exclamation, "Quenzel Log File Error", kLogFileError},
         }) {
        SCOPED_TRACE(r.what);
        LogWorld t;
        t.p.rt.TimerEnabled = true;
        EXPECT_THROW(r.call(t.p), ProgramEnded);
        ExpectEndedWith(t.w, r);
        EXPECT_FALSE(std::filesystem::exists(t.dir.path() / "Log" / "Quenzel.log"));
    }
}

TEST(Log, FolderInPlaceOfTheLogFile) {
    for (const EndingCase& r : {
             EndingCase{"create", Create, MsgIcon::Exclamation, "Quenzel Log File Error", kCreateError},
             EndingCase{"entry", Entry, MsgIcon::Exclamation, "Quenzel Log File Error", kLogFileError},
         }) {
        SCOPED_TRACE(r.what);
        LogWorld t;
        std::filesystem::create_directory(t.dir.path() / "Log" / "Quenzel.log");
        t.p.rt.TimerEnabled = true;
        EXPECT_THROW(r.call(t.p), ProgramEnded);
        ExpectEndedWith(t.w, r);
        EXPECT_TRUE(std::filesystem::is_directory(t.dir.path() / "Log" / "Quenzel.log"));
    }
}

TEST(Log, WriteThatFailsEndsTheProgram) {
#ifdef _WIN32
    GTEST_SKIP() << "needs a file that refuses writes whoever runs the test";
#else
    // The file exists and opens, but every write to it fails: no space left.
    if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
    for (const EndingCase& r : {
             EndingCase{"entry", Entry, MsgIcon::Exclamation, "Quenzel Log File Write Error", kWriteError},
             EndingCase{"separator", Separator, MsgIcon::Exclamation, "Quenzel Log File Write Error",
                        kWriteError},
             EndingCase{"header", Header, MsgIcon::Exclamation, "Quenzel Log File Write Error", kWriteError},
             EndingCase{"update", Update, MsgIcon::Exclamation, "Quenzel Log File Write Error", kWriteError},
         }) {
        SCOPED_TRACE(r.what);
        LogWorld t;
        std::filesystem::create_symlink("/dev/full", t.dir.path() / "Log" / "Quenzel.log");
        t.p.rt.TimerEnabled = true;
        EXPECT_THROW(r.call(t.p), ProgramEnded);
        ExpectEndedWith(t.w, r);
    }
#endif
}

TEST(Log, BoxTitlesFollowTheSlaveTitle) {
    LogWorld t;
    t.p.rt.AppTitle = "Quenzel Slave";
    EXPECT_THROW(WriteLog(t.p, "Enter", "Run"), ProgramEnded);
    std::filesystem::create_directory(t.dir.path() / "Log" / "Quenzel.log");
    EXPECT_THROW(CreateLogFile(t.p), ProgramEnded);
    ASSERT_EQ(t.w.host.messages.size(), 2u);
    EXPECT_EQ(t.w.host.messages[0].title, "Quenzel Slave Log File Error");
    EXPECT_EQ(t.w.host.messages[1].title, "Quenzel Slave Log File Error");
    EXPECT_EQ(t.w.host.messages[1].text, kCreateError);
}

} // namespace
} // namespace qz
