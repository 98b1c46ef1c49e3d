#include <gtest/gtest.h>

#include <filesystem>

#include "logging/LogArchive.h"
#include "tests/logging/LogWorld.h"

namespace qz::test {
namespace {

namespace fs = std::filesystem;

const std::string kEight =
    "Quenzel\nVersion 1.6\nFile Created\n05-Dec-26 10:30:00\n\n\nQuenzel\nVersion 1.6\n";
const std::string kNine = kEight + "\n";
const std::string kFresh = "Quenzel Log\nVersion 1.6\nFile Created\n05/12/2026 10:30:00\n\n\n";

// Clicks Archive with the answers given ('Y', 'N', 'C'); the status the screen then shows, "-" first
// when its timer is not started.
std::string Archive(LogWorld& t, const std::string& answers) {
    for (char a : answers)
        t.w.host.answers.push_back(a == 'Y' ? Answer::Yes : a == 'N' ? Answer::No : Answer::Cancel);
    const ArchiveOutcome outcome = Archive_Click(t.p);
    return outcome.enableTimer1 ? outcome.status : "-" + outcome.status;
}

// The files in the log folder beside the log.
std::vector<std::string> Archives(const LogWorld& t) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(t.dir.path() / "Log"))
        if (entry.path().filename() != t.p.set.LogName) names.push_back(entry.path().filename().string());
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
        t.p.set.LogName = logName;
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
    for (const std::string logName : {"QuenzelLog", "Quenzel.log"}) {
        LogWorld t;
        t.p.rt.AppTitle = "Quenzel Slave";
        t.p.set.LogName = logName;
        t.dir.Write("Log/" + logName, Native(kNine));
        fs::create_directory(t.dir.path() / "Log" / "Quenzel_261205_1.log"); // in the archive's place
        EXPECT_EQ(Archive(t, "Y"), "-");
        ASSERT_EQ(t.w.host.messages.size(), 2u);
        const ShownMessage& box = t.w.host.messages[1];
        EXPECT_EQ(std::tuple(box.icon, box.buttons, box.title, box.text),
                  std::tuple(MsgIcon::Exclamation, MsgButtons::Ok, "Quenzel Log File Error",
                             "Unable to archive the log file " + logName +
                                 ".\r\nThis may be a permissions problem."));
        EXPECT_EQ(t.dir.Read("Log/" + logName), Native(kNine));
    }
}

TEST(ViewLog, StartsTheViewerOnTheWholePathOrSaysWhyNot) {
    LogWorld t;
    t.p.rt.AppTitle = "Quenzel Slave";
    t.p.set.LogPath = "My Logs\\";
    t.p.set.LogName = "Run Log.txt";
    EXPECT_THROW(ViewL_Click(t.p), ProgramEnded) << "a missing log ends the program";
    t.dir.Write("My Logs/Run Log.txt", "x\n");
    ViewL_Click(t.p);
    EXPECT_EQ(t.w.system.viewed, std::vector{(t.dir.path() / "My Logs" / "Run Log.txt").string()});
    t.w.system.viewerStarts = false;
    ViewL_Click(t.p);
    t.p.set.LogLevel = 1;
    ViewL_Click(t.p);
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
