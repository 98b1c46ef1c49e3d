#include <gtest/gtest.h>

#include <filesystem>

#include "app/ProgramLog.h"
#include "logging/Log.h"
#include "logging/LogArchive.h"
#include "tests/support/Fakes.h"
#include "tests/support/TempDir.h"

namespace qz::test {
namespace {

namespace fs = std::filesystem;
using Boxes = std::vector<std::tuple<MsgIcon, MsgButtons, std::string>>; // "Title: text"

constexpr auto Native = &FileSys::ToPlatformLineEnds; // text with "\n" as this platform's line ends

// A program with a "Log" folder and the default log settings at the Normal level.
struct LogWorld {
    LogWorld() {
        fs::create_directory(dir.path() / "Log");
        p.set.logFolder = "Log\\";
        p.set.logName = "Quenzel.log";
    }
    void SetLog(std::string_view text) const { dir.Write("Log/Quenzel.log", Native(text)); }
    Boxes Shown() { // the boxes shown since the last call
        Boxes boxes;
        for (const ShownMessage& box : std::exchange(w.host.messages, {}))
            boxes.emplace_back(box.icon, box.buttons, box.title + ": " + box.text);
        return boxes;
    }
    TempDir dir;
    FakeWorld w{dir.path()};
    Program& p = w.program;
};

TEST(Log, LinesHaveTimeMarkerColumnsAndMarksTheStartKeepsAnOldLogWritesTheHeaderAFailureEnds) {
    EXPECT_EQ(TimeStamp({2024, 13, 9, 7, 5, 3}), "09-\?\?\?-24 07:05:03");
    // test mode, event, detail, count, the line after the time, the address at the Full level ("": Normal)
    const std::tuple<bool, const char*, const char*, int32_t, const char*, const char*> rows[] = {
        {true, "----------", "----------", 7, "*---------, ----------, Count:    7", ""},
        {false, "Initialise", "Restarting", 60, " Initialis, Restarting, Count:   60", ""},
        {false, "", "Restarting!", 3, "          , Restarting, Count:    3", ""},
        {false, "Run", "", 123456, " Run      ,           , Count:23456", ""},
        {false, "Run", "", 5, " Run      ,           , Count:    5, P1 .. .. ", "a.b"},
        {true, "Run", "", 5, "*Run      ,           , Count:    5, P1 .. .. C", "a.bc"},
    };
    for (const auto& [testMode, event, detail, count, line, address] : rows) {
        Settings s;
        s.logLevel = *address ? LogLevel::Full : LogLevel::Normal;
        s.peerAddress = address;
        EXPECT_EQ(
            LogEventLine(s, {2099, 12, 31, 23, 59, 59}, event, detail, {testMode, count, "P1 .. .. ", "C"}),
            std::string("31-Dec-99 23:59:59, ") + line);
    }
    // At the start an old log is kept; two empty words repeat the entry; a failure ends the program.
    LogWorld old, none; // none: at the level None, without a folder
    old.SetLog("earlier run\n");
    old.p.rt.appTitle = "Quenzel Slave";
    old.p.set.logLevel = LogLevel::Full; // the header and an update come with the configuration
    old.p.rt.configText = "\nConfiguration\n-------------";
    fs::remove(none.dir.path() / "Log");
    none.p.set.logLevel = LogLevel::None;
    for (Program* p : {&old.p, &none.p}) {
        CreateLogFile(*p);
        WriteLog(*p, "", "");
        WriteLogHeader(*p, 0);
        WriteLog(*p, "Reset", "Run");
        WriteLog(*p, "", "");
        WriteLogHeader(*p, 1);
    }
    const std::string entry = "05-Dec-26 10:30:00,  Reset    , Run       , Count:    0, -- -- -- \n";
    EXPECT_EQ(old.dir.Read("Log/Quenzel.log"),
              Native("earlier run\n\n\nQuenzel Slave\nVersion 1.6\n\nConfiguration\n-------------\n\n" +
                     entry + entry + "\n\n\nConfiguration\n-------------\n\n"));
    EXPECT_EQ(std::tuple(fs::exists(none.dir.path() / "Log"), none.p.rt.logLine), std::tuple(false, ""));
    // A log that cannot be made or written ends the program (FileSysTest has FIFOs and devices there).
    const std::string reason = ".\r\nThis may be a permissions problem.\r\nThe program will now terminate.";
    const std::pair<std::string, std::string> failures[] = {
        {"",
         "Quenzel Log File Error: The log file is either missing or\r\ncorrupted. Delete the log file if\r\n"
         "it exists and restart the program.\r\nThe program will now terminate."},
        {"folder", "Quenzel Log File Error: Unable to create the log file Quenzel.log" + reason},
        {"/dev/full", "Quenzel Log File Write Error: Unable to write to the log file Quenzel.log" + reason},
    };
    for (const auto& [place, box] : failures) {
        LogWorld t;
        const fs::path log = t.dir.path() / "Log" / "Quenzel.log";
        if (place == "folder") fs::create_directory(log);
        if (place == "/dev/full" && !fs::exists(place)) continue; // no device that refuses writes
        if (place == "/dev/full") fs::create_symlink(place, log);
        EXPECT_THROW(place == "folder" ? CreateLogFile(t.p) : WriteLog(t.p, "Enter", "Run"), ProgramEnded);
        EXPECT_EQ(t.Shown(), (Boxes{{MsgIcon::Exclamation, MsgButtons::Ok, box}})) << place;
        EXPECT_EQ(fs::exists(log), !place.empty()) << "no log is made in the vanished one's place";
    }
}

const std::string kEight = "1\n2\n3\n4\n5\n6\n7\n8\n", kNine = kEight + "9\n"; // a log of eight or nine lines

// Clicks Archive with the answers ('Y', 'N', 'C'): the status, "-" first without its timer, "!" for a fault.
std::string Archive(LogWorld& t, const std::string& answers) {
    for (char a : answers)
        t.w.host.answers.push_back(a == 'Y' ? Answer::Yes : a == 'N' ? Answer::No : Answer::Cancel);
    const ArchiveOutcome outcome = ArchiveLog(t.p);
    if (outcome.fatal) return "!" + outcome.fatal->title;
    return outcome.startCloseCountdown ? outcome.status : "-" + outcome.status;
}

TEST(LogButtons, ArchiveAsksThenArchivesOrClearsNamesByDayAndNumberViewLogStartsTheViewerOrSaysWhyNot) {
    const Boxes::value_type ask{MsgIcon::Exclamation, MsgButtons::YesNoCancel,
                                "Archive Quenzel Slave Log File: Do you want to archive the log file?\r\n"
                                "To Archive the log file and create a new one click Yes\r\n"
                                "To Clear the results log file without archiving it click No\r\n"
                                "Click Cancel to return"},
        noData{MsgIcon::Exclamation, MsgButtons::Ok,
               "Quenzel Slave Log File Error: There is no data to archive!\r\nLog file not archived."},
        sure{MsgIcon::Exclamation, MsgButtons::YesNo,
             "Quenzel Slave Create New Log File: Are you sure you want to create a new log file?"};
    const std::string fresh = "Quenzel Slave Log\nVersion 1.6\nFile Created\n05/12/2026 10:30:00\n\n\n";
    // the log, the answers, the status, the log after, the boxes
    const std::tuple<std::string, std::string, std::string, std::string, Boxes> rows[] = {
        {kNine, "Y", "Log File Archived", fresh, {ask}},       {kEight, "Y", "-", kEight, {ask, noData}},
        {kEight, "N", "Log File Cleared", fresh, {ask}},       {kNine, "NN", "-", kNine, {ask, sure}},
        {kNine, "NY", "Log File Cleared", fresh, {ask, sure}}, {kNine, "C", "-", kNine, {ask}},
    };
    LogWorld t;
    t.p.rt.appTitle = "Quenzel Slave";
    EXPECT_EQ(std::tuple(Archive(t, ""), ViewLog(t.p).ok()), std::tuple("!Log File Error", false)); // no log
    for (const auto& [log, answers, status, logAfter, boxes] : rows) {
        SCOPED_TRACE(answers + " to a log of " + std::to_string(SplitLines(log).size()) + " lines");
        t.SetLog(log);
        EXPECT_EQ(Archive(t, answers), status);
        EXPECT_EQ(std::tuple(t.Shown(), t.dir.Read("Log/Quenzel.log")), std::tuple(boxes, Native(logAfter)));
    }
    EXPECT_EQ(t.dir.Read("Log/Quenzel_261205_1.log"), Native(kNine));
    // Other days and names; a name without a dot, or an archive's place taken, shows the archive error.
    fs::create_directory(t.dir.path() / "Log" / "run_270102_2.2024.txt");
    const std::string names[] = {"Quenzel.log", "Quenzel.log", "run.2024.txt", "QuenzelLog", "run.2024.txt"};
    for (const std::string& logName : names) {
        const bool fails = &logName - names > 2;
        t.p.set.logName = logName;
        t.dir.Write("Log/" + logName, Native(kNine));
        const Boxes::value_type error{MsgIcon::Exclamation, MsgButtons::Ok,
                                      "Quenzel Log File Error: Unable to archive the log file " + logName +
                                          ".\r\nThis may be a permissions problem."};
        EXPECT_EQ(Archive(t, "Y"), fails ? "-" : "Log File Archived") << logName;
        EXPECT_EQ(std::tuple(t.Shown(), t.dir.Read("Log/" + logName) == Native(kNine)),
                  std::tuple(fails ? Boxes{ask, error} : Boxes{ask}, fails));
        t.w.clock.now = {2027, 1, 2, 0, 0, 1}; // the next day
    }
    EXPECT_EQ(std::distance(fs::directory_iterator(t.dir.path() / "Log"), {}), 8); // and a folder
    for (const char* archive : {"Quenzel_261205_2.log", "Quenzel_270102_1.log", "run_270102_1.2024.txt"})
        EXPECT_TRUE(fs::exists(t.dir.path() / "Log" / archive)) << archive;
    EXPECT_TRUE(ViewLog(t.p) && t.Shown().empty());
    t.w.system.viewerStarts = false;
    EXPECT_TRUE(ViewLog(t.p));
    t.p.set.logLevel = LogLevel::None;
    EXPECT_TRUE(ViewLog(t.p));
    EXPECT_EQ(
        std::tuple(t.w.system.viewed, t.Shown()),
        std::tuple(std::vector<std::string>(2, (t.dir.path() / "Log" / "run.2024.txt").string()),
                   Boxes{{MsgIcon::Exclamation, MsgButtons::Ok,
                          "Quenzel Log File Error: Unable to run Notepad\r\nCheck that it exists and\r\nis "
                          "working properly."},
                         {MsgIcon::Information, MsgButtons::Ok,
                          "Quenzel Slave Log File Error: Logging is set to None. There\r\nis no "
                          "information to display."}}));
}

} // namespace
} // namespace qz::test
