#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <filesystem>

#include "app/ProgramLog.h"
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
        fs::create_directory(dir.path() / "Log");
        p.set.logLevel = LogLevel::Normal;
        p.set.logFolder = "Log\\";
        p.set.logName = "Quenzel.log";
    }
    std::string Log() const { return dir.Read("Log/Quenzel.log"); }
    void SetLog(std::string_view text) const { dir.Write("Log/Quenzel.log", Native(text)); }
    TempDir dir;
    FakeWorld w{dir.path()};
    Program& p = w.program;
};

TEST(LogEventLine, TimeStampMarkerColumnsCountAndAtTheFullLevelTheMarks) {
    EXPECT_EQ(TimeStamp({2024, 13, 9, 7, 5, 3}), "09-\?\?\?-24 07:05:03");
    struct Row {
        bool testMode;
        const char *event, *detail;
        int32_t count;
        const char *line, *fullWithAddress = nullptr; // at the Full level, with this address
    } rows[] = {
        {true, "----------", "----------", 7, "*---------, ----------, Count:    7"},
        {false, "Initialise", "Restarting", 60, " Initialis, Restarting, Count:   60"},
        {false, "", "Restarting!", 3, "          , Restarting, Count:    3"},
        {false, "Run", "", 99999, " Run      ,           , Count:99999"},
        {false, "Run", "", 123456, " Run      ,           , Count:23456"},
        {false, "Run", "", 5, " Run      ,           , Count:    5, P1 .. .. ", "a.b"},
        {true, "Run", "", 5, "*Run      ,           , Count:    5, P1 .. .. C", "a.bc"},
    };
    for (const Row& row : rows) {
        Settings s;
        s.logLevel = row.fullWithAddress ? LogLevel::Full : LogLevel::Normal;
        s.peerAddress = row.fullWithAddress ? row.fullWithAddress : "";
        EXPECT_EQ(LogEventLine(s, {2099, 12, 31, 23, 59, 59}, row.event, row.detail,
                               {row.testMode, row.count, "P1 .. .. ", "C"}),
                  std::string("31-Dec-99 23:59:59, ") + row.line);
    }
}

TEST(Log, StartUpWritesTheNewFilesHeaderTheSeparatorAndTheVersionAndTwoEmptyWordsLaterRepeatTheEntry) {
    LogWorld fresh, old;
    fresh.p.rt.AppTitle = "Quenzel Slave";
    for (Program* p : {&fresh.p, &old.p}) {
        if (p == &old.p) {
            old.SetLog("earlier run\n");
            old.p.set.logLevel = LogLevel::Full;
            old.p.rt.ConfigText = "\nConfiguration\n-------------";
        }
        CreateLogFile(*p);
        WriteLog(*p, "", "");
        WriteLogHeader(*p, 0);
    }
    WriteLog(fresh.p, "Enter", "Run");
    fresh.w.clock.now = {2027, 1, 2, 3, 4, 5};
    WriteLog(fresh.p, "Reset", "Run");
    WriteLog(fresh.p, "", "");
    const std::string entry = "02-Jan-27 03:04:05,  Reset    , Run       , Count:    0";
    EXPECT_EQ(fresh.Log(),
              Native("Quenzel Slave\nVersion 1.6\nFile Created\n05-Dec-26 10:30:00\n\n\nQuenzel Slave\n"
                     "Version 1.6\n\n05-Dec-26 10:30:00,  Enter    , Run       , Count:    0\n" +
                     entry + "\n" + entry + "\n\n"));
    // At the Full level the version comes with the configuration, and so does an update.
    WriteLogHeader(old.p, 1);
    EXPECT_EQ(old.Log(), Native("earlier run\n\n\nQuenzel\nVersion 1.6\n\nConfiguration\n-------------\n\n"
                                "\n\nConfiguration\n-------------\n\n"));
}

TEST(Log, LevelNoneCreatesAndWritesNothingAndNeedsNoFolder) {
    LogWorld t;
    fs::remove(t.dir.path() / "Log");
    t.p.set.logLevel = LogLevel::None;
    CreateLogFile(t.p);
    WriteLog(t.p, "Enter", "Run");
    WriteLogHeader(t.p, 1);
    EXPECT_FALSE(fs::exists(t.dir.path() / "Log"));
    EXPECT_EQ(t.p.rt.LogLine, "");
}

TEST(Log, ALogThatCannotBeMadeOrWrittenIsAFatalFault) {
    const std::string reason = ".\r\nThis may be a permissions problem.\r\nThe program will now terminate.";
    const Fault kMissing{MsgIcon::Exclamation, "Log File Error",
                         "The log file is either missing or\r\ncorrupted. Delete the log file if\r\n"
                         "it exists and restart the program.\r\nThe program will now terminate."},
        kUncreatable{MsgIcon::Exclamation, "Log File Error",
                     "Unable to create the log file Quenzel.log" + reason},
        kUnwritable{MsgIcon::Exclamation, "Log File Write Error",
                    "Unable to write to the log file Quenzel.log" + reason};
    enum Kind { NoLog, FolderAsLog, DiskFull, FifoAsLog, NullAsLog };
    const std::pair<Kind, Fault> rows[] = {
        {NoLog, kMissing},        {FolderAsLog, kUncreatable}, {DiskFull, kUnwritable},
#ifndef _WIN32
        {FifoAsLog, kUnwritable}, {NullAsLog, kUnwritable},
#endif
    };
    for (const auto& [kind, fault] : rows) {
        LogWorld t;
        const fs::path log = t.dir.path() / "Log" / "Quenzel.log";
        if (kind == FolderAsLog) fs::create_directory(log);
        if (kind == DiskFull && !fs::exists("/dev/full")) continue; // no file that refuses writes
        if (kind == DiskFull) fs::create_symlink("/dev/full", log);
#ifndef _WIN32
        alarm(30); // a FIFO waited for would hang the run; the alarm ends it as a failure instead
        ASSERT_TRUE(kind != FifoAsLog || mkfifo(log.c_str(), 0600) == 0);
        if (kind == NullAsLog) fs::create_symlink("/dev/null", log);
#endif
        const Result<void> written = kind == FolderAsLog
                                         ? CreateLog(t.w.files, t.p.set, "Quenzel", t.w.clock.now)
                                         : AppendLog(t.w.files, t.p.set, "Enter");
        ASSERT_FALSE(written);
        EXPECT_EQ(written.fault(), fault);
        EXPECT_EQ(fs::exists(log), kind != NoLog) << "no log is made in the vanished one's place";
    }
#ifndef _WIN32
    alarm(0);
#endif
    // The program ends with the fault's box under its title.
    LogWorld t;
    t.p.rt.AppTitle = "Quenzel Slave";
    EXPECT_THROW(WriteLog(t.p, "Enter", "Run"), ProgramEnded);
    EXPECT_EQ(t.w.host.messages.at(0).title, "Quenzel Slave Log File Error");
}

const std::string kEight =
    "Quenzel\nVersion 1.6\nFile Created\n05-Dec-26 10:30:00\n\n\nQuenzel\nVersion 1.6\n";
const std::string kNine = kEight + "\n";
const std::string kFresh = "Quenzel Log\nVersion 1.6\nFile Created\n05/12/2026 10:30:00\n\n\n";

// Clicks Archive with the answers ('Y', 'N', 'C'); the status shown, "-" first when its timer is
// not started, "!" for a fault.
std::string Archive(LogWorld& t, const std::string& answers) {
    for (char a : answers)
        t.w.host.answers.push_back(a == 'Y' ? Answer::Yes : a == 'N' ? Answer::No : Answer::Cancel);
    const ArchiveOutcome outcome = ArchiveLog(t.p);
    if (outcome.fatal) return "!" + outcome.fatal->title;
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
        EXPECT_EQ(std::tuple(boxes[0].icon, boxes[0].buttons, boxes[0].title, boxes[0].text),
                  std::tuple(MsgIcon::Exclamation, MsgButtons::YesNoCancel, "Archive Quenzel Log File",
                             "Do you want to archive the log file?\r\n"
                             "To Archive the log file and create a new one click Yes\r\n"
                             "To Clear the results log file without archiving it click No\r\n"
                             "Click Cancel to return"));
        EXPECT_EQ(std::tuple(row.secondBox.empty() ? "" : boxes[1].title + ": " + boxes[1].text, t.Log(),
                             Archives(t)),
                  std::tuple(row.secondBox, Native(row.logAfter),
                             row.archive.empty() ? std::vector<std::string>{} : std::vector{row.archive}));
        EXPECT_TRUE(row.archive.empty() || t.dir.Read("Log/" + row.archive) == Native(row.log));
    }
}

TEST(Archive, NamesCountWithinADayAndSplitAtTheFirstDotAndAFailureKeepsTheLog) {
    LogWorld t;
    t.p.rt.AppTitle = "Quenzel Slave";
    EXPECT_EQ(Archive(t, "Y"), "!Log File Error") << "a missing log is a fault";
    int archived = 0;
    for (const std::string logName : {"Quenzel.log", "Quenzel.log", "Quenzel.log", "run.2024.txt"}) {
        if (archived++ == 2) t.w.clock.now = {2027, 1, 2, 0, 0, 1}; // the next day
        t.p.set.logName = logName;
        t.dir.Write("Log/" + logName, Native(kNine));
        EXPECT_EQ(Archive(t, "Y"), "Log File Archived");
    }
    EXPECT_EQ(t.dir.Read("Log/Quenzel.log"),
              Native("Quenzel Slave Log\nVersion 1.6\nFile Created\n02/01/2027 00:00:01\n\n\n"));
    EXPECT_EQ(Archives(t),
              (std::vector<std::string>{"Quenzel.log", "Quenzel_261205_1.log", "Quenzel_261205_2.log",
                                        "Quenzel_270102_1.log", "run_270102_1.2024.txt"}));
    // A name without a dot, or an archive that cannot be written, shows the archive error.
    for (const std::string logName : {"QuenzelLog", "run.2024.txt"}) {
        t.p.set.logName = logName;
        t.dir.Write("Log/" + logName, Native(kNine));
        fs::create_directory(t.dir.path() / "Log" / "run_270102_2.2024.txt"); // in the archive's place
        EXPECT_EQ(Archive(t, "Y"), "-");
        const ShownMessage& box = t.w.host.messages.back();
        EXPECT_EQ(std::tuple(box.icon, box.buttons, box.title, box.text, t.dir.Read("Log/" + logName)),
                  std::tuple(MsgIcon::Exclamation, MsgButtons::Ok, "Quenzel Log File Error",
                             "Unable to archive the log file " + logName +
                                 ".\r\nThis may be a permissions problem.",
                             Native(kNine)));
    }
}

TEST(ViewLog, StartsTheViewerOnTheWholePathOrSaysWhyNot) {
    LogWorld t;
    t.p.rt.AppTitle = "Quenzel Slave";
    t.p.set.logFolder = "My Logs\\";
    t.p.set.logName = "Run Log.txt";
    EXPECT_FALSE(ViewLog(t.p)) << "a missing log is a fault";
    t.dir.Write("My Logs/Run Log.txt", "x\n");
    EXPECT_TRUE(ViewLog(t.p));
    EXPECT_EQ(t.w.system.viewed, std::vector{(t.dir.path() / "My Logs" / "Run Log.txt").string()});
    t.w.system.viewerStarts = false;
    EXPECT_TRUE(ViewLog(t.p));
    t.p.set.logLevel = LogLevel::None;
    EXPECT_TRUE(ViewLog(t.p));
    std::vector<std::tuple<MsgIcon, std::string, std::string>> boxes;
    for (const ShownMessage& box : t.w.host.messages)
        boxes.emplace_back(box.icon, box.title, box.text);
    EXPECT_EQ(boxes,
              (decltype(boxes){{MsgIcon::Exclamation, "Quenzel Log File Error",
                                "Unable to run Notepad\r\nCheck that it exists and\r\nis working properly."},
                               {MsgIcon::Information, "Quenzel Slave Log File Error",
                                "Logging is set to None. There\r\nis no information to display."}}));
    EXPECT_EQ(t.w.system.viewed.size(), 2u);
}

} // namespace
} // namespace qz::test
