#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <filesystem>

#include "logging/Log.h"
#include "logging/LogArchive.h"
#include "tests/support/Fakes.h"
#include "tests/support/TempDir.h"

namespace qz::test {
namespace {

namespace fs = std::filesystem;

// text with "\n" written as this platform's line end.
std::string Native(std::string_view text) {
    return FileSys::ToPlatformLineEnds(text);
}

// A program with a "Log" folder and the default log settings at the Normal level.
struct LogWorld {
    LogWorld() {
        std::filesystem::create_directory(dir.path() / "Log");
        p.set.logLevel = LogLevel::Normal;
        p.set.logFolder = "Log\\";
        p.set.logName = "Quenzel.log";
    }
    std::string Log() const { return dir.Read("Log/Quenzel.log"); }
    void SetLog(std::string_view text) const { dir.Write("Log/Quenzel.log", Native(text)); }
    // What start-up writes: the file's header when it is new, the separator and the version header.
    void StartUp() {
        CreateLogFile(p);
        WriteLog(p, "", "");
        WriteLogHeader(p, 0);
    }
    TempDir dir;
    FakeWorld w{dir.path()};
    Program& p = w.program;
};

TEST(TimeStamp, TwoDigitFieldsAndEnglishMonths) {
    EXPECT_EQ(TimeStamp({2099, 12, 31, 23, 59, 59}), "31-Dec-99 23:59:59");
    EXPECT_EQ(TimeStamp({2024, 13, 9, 7, 5, 3}), "09-\?\?\?-24 07:05:03");
    std::string months;
    for (int month = 1; month <= 12; ++month)
        months += TimeStamp({2024, month, 1, 0, 0, 0}).substr(3, 4);
    EXPECT_EQ(months, "Jan-Feb-Mar-Apr-May-Jun-Jul-Aug-Sep-Oct-Nov-Dec-");
}

TEST(WriteLog, AppendsTheEntryToTheCharacter) {
    struct Row {
        bool testMode;
        const char *event, *detail;
        int32_t count;
        const char *line, *fullWithAddress = nullptr; // at the Full level, with this IPAdd
    } rows[] = {
        {true, "----------", "----------", 7, "*---------, ----------, Count:    7"},
        {false, "Initialise", "Restarting", 60, " Initialis, Restarting, Count:   60"},
        {false, "Power Off", "", 3, " Power Off,           , Count:    3"},
        {false, "", "Restarting!", 3, "          , Restarting, Count:    3"},
        {false, "Run", "", 99999, " Run      ,           , Count:99999"},
        {false, "Run", "", 123456, " Run      ,           , Count:23456"},
        {false, "Run", "", 5, " Run      ,           , Count:    5, P1 .. .. ", "a.b"},
        {true, "Run", "", 5, "*Run      ,           , Count:    5, P1 .. .. C", "a.bc"},
    };
    for (const Row& row : rows) {
        const std::string line = std::string("05-Dec-26 10:30:00, ") + row.line;
        SCOPED_TRACE(line);
        LogWorld t;
        t.SetLog("Quenzel\n");
        t.p.set.logLevel = row.fullWithAddress ? LogLevel::Full : LogLevel::Normal;
        t.p.set.peerAddress = row.fullWithAddress ? row.fullWithAddress : "";
        t.p.monitor.testMode = row.testMode;
        t.p.monitor.countSeconds = row.count;
        t.p.monitor.processMarks = "P1 .. .. ";
        t.p.rt.LinkMark = "C";
        WriteLog(t.p, row.event, row.detail);
        EXPECT_EQ(t.p.rt.LogLine, line);
        EXPECT_EQ(t.Log(), Native("Quenzel\n" + line + "\n"));
    }
}

TEST(Log, StartUpWritesTheNewFilesHeaderTheSeparatorAndTheVersionAndTwoEmptyWordsLaterRepeatTheEntry) {
    LogWorld fresh, old;
    fresh.p.rt.AppTitle = "Quenzel Slave";
    fresh.StartUp();
    WriteLog(fresh.p, "Enter", "Run");
    fresh.w.clock.now = {2027, 1, 2, 3, 4, 5};
    WriteLog(fresh.p, "Reset", "Run");
    WriteLog(fresh.p, "", "");
    const std::string entry = "02-Jan-27 03:04:05,  Reset    , Run       , Count:    0";
    EXPECT_EQ(fresh.p.rt.LogLine, entry + "\n");
    EXPECT_EQ(fresh.Log(),
              Native("Quenzel Slave\nVersion 1.6\nFile Created\n05-Dec-26 10:30:00\n\n\nQuenzel Slave\n"
                     "Version 1.6\n\n05-Dec-26 10:30:00,  Enter    , Run       , Count:    0\n" +
                     entry + "\n" + entry + "\n\n"));
    // At the Full level the version comes with the configuration, and so does an update.
    old.SetLog("earlier run\n");
    old.p.set.logLevel = LogLevel::Full;
    old.p.rt.ConfigText = "\nConfiguration\n-------------";
    old.StartUp();
    WriteLogHeader(old.p, 1);
    EXPECT_EQ(old.Log(), Native("earlier run\n\n\nQuenzel\nVersion 1.6\n\nConfiguration\n-------------\n\n"
                                "\n\nConfiguration\n-------------\n\n"));
}

TEST(Log, LevelNoneCreatesAndWritesNothingAndNeedsNoFolder) {
    for (bool folder : {true, false}) {
        LogWorld t;
        if (!folder) fs::remove(t.dir.path() / "Log");
        t.p.set.logLevel = LogLevel::None;
        t.StartUp();
        WriteLog(t.p, "Enter", "Run");
        WriteLogHeader(t.p, 1);
        EXPECT_FALSE(fs::exists(t.dir.path() / "Log" / "Quenzel.log"));
        EXPECT_EQ(t.p.rt.LogLine, "");
        EXPECT_TRUE(t.w.host.messages.empty());
    }
}

TEST(Log, AWriterThatCannotWriteEndsTheProgramWithItsBox) {
    const std::string reason = ".\r\nThis may be a permissions problem.\r\nThe program will now terminate.";
    enum Fault { NoLog, FolderAsLog, DiskFull, FifoAsLog, NullAsLog };
    struct Row {
        Fault fault;
        void (*write)(Program&);
        std::string title, text = ""; // "": the log file check's own text, which is its to test
    } rows[] = {
        {NoLog, [](Program& p) { WriteLog(p, "", ""); }, "Quenzel Slave Log File Error"},
        {NoLog, [](Program& p) { WriteLogHeader(p, 1); }, "Quenzel Slave Log File Error"},
        {FolderAsLog, [](Program& p) { CreateLogFile(p); }, "Quenzel Slave Log File Error",
         "Unable to create the log file Quenzel.log" + reason},
        {DiskFull, [](Program& p) { WriteLog(p, "Enter", "Run"); }, "Quenzel Slave Log File Write Error",
         "Unable to write to the log file Quenzel.log" + reason},
#ifndef _WIN32
        {FifoAsLog, [](Program& p) { WriteLog(p, "Enter", "Run"); }, "Quenzel Slave Log File Write Error",
         "Unable to write to the log file Quenzel.log" + reason},
        {NullAsLog, [](Program& p) { WriteLogHeader(p, 0); }, "Quenzel Slave Log File Write Error",
         "Unable to write to the log file Quenzel.log" + reason},
#endif
    };
    for (const Row& row : rows) {
        LogWorld t;
        const fs::path log = t.dir.path() / "Log" / "Quenzel.log";
        if (row.fault == FolderAsLog) fs::create_directory(log);
        if (row.fault == DiskFull && !fs::exists("/dev/full")) continue; // no file that refuses writes
        if (row.fault == DiskFull) fs::create_symlink("/dev/full", log);
#ifndef _WIN32
        alarm(30); // a FIFO waited for would hang the run; the alarm ends it as a failure instead
        if (row.fault == FifoAsLog) {
            ASSERT_EQ(mkfifo(log.c_str(), 0600), 0);
        }
        if (row.fault == NullAsLog) fs::create_symlink("/dev/null", log);
#endif
        t.p.rt.AppTitle = "Quenzel Slave";
        t.p.rt.TimerEnabled = true;
        EXPECT_THROW(row.write(t.p), ProgramEnded);
        EXPECT_EQ(std::tuple(t.w.host.endedWith.value_or(0), t.p.rt.TimerEnabled, t.w.host.trayRemovals),
                  std::tuple(1, false, 1));
        ASSERT_EQ(t.w.host.messages.size(), 1u);
        const ShownMessage& box = t.w.host.messages[0];
        EXPECT_EQ(std::tuple(box.icon, box.buttons, box.title),
                  std::tuple(MsgIcon::Exclamation, MsgButtons::Ok, row.title));
        EXPECT_TRUE(row.text.empty() || box.text == row.text) << box.text;
        EXPECT_EQ(fs::exists(log), row.fault != NoLog) << "no log is made in the vanished one's place";
    }
#ifndef _WIN32
    alarm(0);
#endif
}

const std::string kEight =
    "Quenzel\nVersion 1.6\nFile Created\n05-Dec-26 10:30:00\n\n\nQuenzel\nVersion 1.6\n";
const std::string kNine = kEight + "\n";
const std::string kFresh = "Quenzel Log\nVersion 1.6\nFile Created\n05/12/2026 10:30:00\n\n\n";

// Clicks Archive with the answers given ('Y', 'N', 'C'); the status the screen then shows, "-" first
// when its timer is not started.
std::string Archive(LogWorld& t, const std::string& answers) {
    for (char a : answers)
        t.w.host.answers.push_back(a == 'Y' ? Answer::Yes : a == 'N' ? Answer::No : Answer::Cancel);
    const ArchiveOutcome outcome = ArchiveLog(t.p);
    return outcome.startCloseCountdown ? outcome.status : "-" + outcome.status;
}

// The files in the log folder beside the log.
std::vector<std::string> Archives(const LogWorld& t) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(t.dir.path() / "Log"))
        if (entry.path().filename() != t.p.set.logName) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

TEST(Archive, AsksThenArchivesClearsAfterAskingAgainOrLeavesTheLog) {
    const std::string noData =
        "Quenzel Log File Error: There is no data to archive!\r\nLog file not archived.";
    const std::string sure = "Quenzel Create New Log File: Are you sure you want to create a new log file?";
    struct Row {
        std::string log, answers, status, logAfter, secondBox = "", archive = "";
    } rows[] = {
        {kNine, "Y", "Log File Archived", kFresh, "", "Quenzel_261205_1.log"},
        {kEight, "Y", "-", kEight, noData},
        {kEight, "N", "Log File Cleared", kFresh},
        {kNine, "NN", "-", kNine, sure},
        {kNine, "NY", "Log File Cleared", kFresh, sure},
        {kNine, "C", "-", kNine},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.answers + " to a log of " + std::to_string(SplitLines(row.log).size()) + " lines");
        LogWorld t;
        t.SetLog(row.log);
        EXPECT_EQ(Archive(t, row.answers), row.status);
        const auto& boxes = t.w.host.messages;
        ASSERT_EQ(boxes.size(), row.secondBox.empty() ? 1u : 2u);
        EXPECT_EQ(std::tuple(boxes[0].icon, boxes[0].buttons, boxes[0].title),
                  std::tuple(MsgIcon::Exclamation, MsgButtons::YesNoCancel, "Archive Quenzel Log File"));
        EXPECT_EQ(boxes[0].text, "Do you want to archive the log file?\r\n"
                                 "To Archive the log file and create a new one click Yes\r\n"
                                 "To Clear the results log file without archiving it click No\r\n"
                                 "Click Cancel to return");
        EXPECT_EQ(row.secondBox.empty() ? "" : boxes[1].title + ": " + boxes[1].text, row.secondBox);
        EXPECT_EQ(t.Log(), Native(row.logAfter));
        EXPECT_EQ(Archives(t), row.archive.empty() ? std::vector<std::string>{} : std::vector{row.archive});
        EXPECT_TRUE(row.archive.empty() || t.dir.Read("Log/" + row.archive) == Native(row.log));
    }
}

TEST(Archive, NamesCountWithinADayAndSplitAtTheFirstDot) {
    LogWorld t;
    t.p.rt.AppTitle = "Quenzel Slave";
    EXPECT_THROW(Archive(t, "Y"), ProgramEnded) << "a missing log ends the program";
    int archived = 0;
    for (const std::string logName : {"Quenzel.log", "Quenzel.log", "Quenzel.log", "run.2024.txt"}) {
        if (archived++ == 2) t.w.clock.now = {2027, 1, 2, 0, 0, 1}; // the next day
        t.p.set.logName = logName;
        t.dir.Write("Log/" + logName, Native(kNine));
        EXPECT_EQ(Archive(t, "Y"), "Log File Archived");
    }
    EXPECT_EQ(t.Log(), Native("Quenzel Slave Log\nVersion 1.6\nFile Created\n02/01/2027 00:00:01\n\n\n"));
    EXPECT_EQ(Archives(t),
              (std::vector<std::string>{"Quenzel.log", "Quenzel_261205_1.log", "Quenzel_261205_2.log",
                                        "Quenzel_270102_1.log", "run_270102_1.2024.txt"}));
    EXPECT_EQ(t.w.host.messages.back().title, "Archive Quenzel Slave Log File");
}

TEST(Archive, ANameWithoutADotOrAnArchiveThatCannotBeWrittenShowsTheArchiveErrorAndKeepsTheLog) {
    for (const std::string logName : {"QuenzelLog", "Quenzel.log", "fifo"}) {
        LogWorld t;
        t.p.rt.AppTitle = "Quenzel Slave";
        t.p.set.logName = logName;
        const bool fifo = logName == "fifo"; // a log that cannot be read is not asked about
#ifdef _WIN32
        if (fifo) continue;
#else
        alarm(30); // a FIFO waited for would hang the run; the alarm ends it as a failure instead
        if (fifo) {
            ASSERT_EQ(mkfifo((t.dir.path() / "Log" / "fifo").c_str(), 0600), 0);
        }
#endif
        if (!fifo) t.dir.Write("Log/" + logName, Native(kNine));
        fs::create_directory(t.dir.path() / "Log" / "Quenzel_261205_1.log"); // in the archive's place
        EXPECT_EQ(Archive(t, "Y"), "-");
        ASSERT_EQ(t.w.host.messages.size(), fifo ? 1u : 2u);
        const ShownMessage& box = t.w.host.messages.back();
        EXPECT_EQ(std::tuple(box.icon, box.buttons, box.title, box.text),
                  std::tuple(MsgIcon::Exclamation, MsgButtons::Ok, "Quenzel Log File Error",
                             "Unable to archive the log file " + logName +
                                 ".\r\nThis may be a permissions problem."));
        EXPECT_TRUE(fifo ? fs::is_fifo(t.dir.path() / "Log" / "fifo")
                         : t.dir.Read("Log/" + logName) == Native(kNine));
    }
#ifndef _WIN32
    alarm(0);
#endif
}

TEST(ViewLog, StartsTheViewerOnTheWholePathOrSaysWhyNot) {
    LogWorld t;
    t.p.rt.AppTitle = "Quenzel Slave";
    t.p.set.logFolder = "My Logs\\";
    t.p.set.logName = "Run Log.txt";
    EXPECT_THROW(ViewLog(t.p), ProgramEnded) << "a missing log ends the program";
    t.dir.Write("My Logs/Run Log.txt", "x\n");
    ViewLog(t.p);
    EXPECT_EQ(t.w.system.viewed, std::vector{(t.dir.path() / "My Logs" / "Run Log.txt").string()});
    t.w.system.viewerStarts = false;
    ViewLog(t.p);
    t.p.set.logLevel = LogLevel::None;
    ViewLog(t.p);
    ASSERT_EQ(t.w.host.messages.size(), 3u);
    EXPECT_EQ(std::tuple(t.w.host.messages[1].icon, t.w.host.messages[1].title, t.w.host.messages[1].text),
              std::tuple(MsgIcon::Exclamation, "Quenzel Log File Error",
                         "Unable to run Notepad\r\nCheck that it exists and\r\nis working properly."));
    EXPECT_EQ(std::tuple(t.w.host.messages[2].icon, t.w.host.messages[2].title, t.w.host.messages[2].text),
              std::tuple(MsgIcon::Information, "Quenzel Slave Log File Error",
                         "Logging is set to None. There\r\nis no information to display."));
    EXPECT_EQ(t.w.system.viewed.size(), 2u);
}

} // namespace
} // namespace qz::test
