#include <gtest/gtest.h>

#include <filesystem>

#include "logging/LogArchive.h"
#include "tests/logging/LogWorld.h"

namespace qz {
namespace {

namespace fs = std::filesystem;
using test::LogWorld;
using test::Native;
using test::ProgramEnded;

const char* const kStartedLog =
    "Quenzel\nVersion 1.6\nFile Created\n05-Dec-26 10:30:00\n\n\nQuenzel\nVersion 1.6\n\n";
const char* const kEightLines =
    "Quenzel\nVersion 1.6\nFile Created\n05-Dec-26 10:30:00\n\n\nQuenzel\nVersion 1.6\n";
const char* const kFreshLog = "Quenzel Log\nVersion 1.6\nFile Created\n05/12/2026 10:30:00\n\n\n";
const char* const kQuestion = "Do you want to archive the log file?\r\n"
                              "To Archive the log file and create a new one click Yes\r\n"
                              "To Clear the results log file without archiving it click No\r\n"
                              "Click Cancel to return";
const char* const kArchiveError =
    "Unable to archive the log file Quenzel.log.\r\nThis may be a permissions problem.";

// The files of the log folder other than the log itself.
std::vector<std::string> Archives(const LogWorld& t) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(t.dir.path() / "Log")) {
        std::string name = entry.path().filename().string();
        if (name != "Quenzel.log") names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    return names;
}

void ExpectOutcome(const ArchiveOutcome& got, const std::string& status, bool timer) {
    EXPECT_EQ(got.status, status);
    EXPECT_EQ(got.enableTimer1, timer);
}

TEST(Archive, YesCopiesTheLogAndStartsANewOne) {
    LogWorld t;
    t.StartUp();
    t.w.host.answers = {Answer::Yes};
    ExpectOutcome(Archive_Click(t.p), "Log File Archived", true);

    ASSERT_EQ(t.w.host.messages.size(), 1u);
    EXPECT_EQ(t.w.host.messages[0].icon, MsgIcon::Exclamation);
    EXPECT_EQ(t.w.host.messages[0].buttons, MsgButtons::YesNoCancel);
    EXPECT_EQ(t.w.host.messages[0].title, "Archive Quenzel Log File");
    EXPECT_EQ(t.w.host.messages[0].text, kQuestion);
    EXPECT_EQ(Archives(t), std::vector<std::string>{"Quenzel_261205_1.log"});
    EXPECT_EQ(t.dir.Read("Log/Quenzel_261205_1.log"), Native(kStartedLog));
    EXPECT_EQ(t.Log(), Native(kFreshLog));
}

TEST(Archive, SequenceNumbersCountWithinADay) {
    LogWorld t;
    t.p.rt.AppTitle = "Quenzel Slave";
    for (int i = 0; i < 2; ++i) {
        t.SetLog(kStartedLog);
        t.w.host.answers = {Answer::Yes};
        Archive_Click(t.p);
    }
    t.w.clock.now = {2027, 1, 2, 0, 0, 1};
    t.SetLog(kStartedLog);
    t.w.host.answers = {Answer::Yes};
    Archive_Click(t.p);

    EXPECT_EQ(Archives(t), (std::vector<std::string>{"Quenzel_261205_1.log", "Quenzel_261205_2.log",
                                                     "Quenzel_270102_1.log"}));
    EXPECT_EQ(t.Log(), Native("Quenzel Slave Log\nVersion 1.6\nFile Created\n02/01/2027 00:00:01\n\n\n"));
    for (const auto& m : t.w.host.messages)
        EXPECT_EQ(m.title, "Archive Quenzel Slave Log File");
}

TEST(Archive, NameSplitsAtTheFirstDot) {
    struct Row {
        const char* logName;
        const char* archive;
    };
    for (const Row& r :
         {Row{"Quenzel.log", "Quenzel_261205_1.log"}, Row{"run.2024.txt", "run_261205_1.2024.txt"},
          Row{".hidden.log", "_261205_1.hidden.log"}, Row{"Quenzel.", "Quenzel_261205_1."}}) {
        SCOPED_TRACE(r.logName);
        LogWorld t;
        t.p.set.LogName = r.logName;
        t.dir.Write(std::string("Log/") + r.logName, Native(kStartedLog));
        t.w.host.answers = {Answer::Yes};
        ExpectOutcome(Archive_Click(t.p), "Log File Archived", true);
        EXPECT_EQ(t.dir.Read(std::string("Log/") + r.archive), Native(kStartedLog));
        EXPECT_EQ(t.dir.Read(std::string("Log/") + r.logName), Native(kFreshLog));
    }
}

TEST(Archive, EightLinesHoldNoData) {
    LogWorld t;
    t.SetLog(kEightLines);
    t.w.host.answers = {Answer::Yes};
    ExpectOutcome(Archive_Click(t.p), "", false);
    ASSERT_EQ(t.w.host.messages.size(), 2u);
    EXPECT_EQ(t.w.host.messages[1].icon, MsgIcon::Exclamation);
    EXPECT_EQ(t.w.host.messages[1].buttons, MsgButtons::Ok);
    EXPECT_EQ(t.w.host.messages[1].title, "Quenzel Log File Error");
    EXPECT_EQ(t.w.host.messages[1].text, "There is no data to archive!\r\nLog file not archived.");
    EXPECT_EQ(t.Log(), Native(kEightLines));
    EXPECT_TRUE(Archives(t).empty());
}

TEST(Archive, NoClearsALogWithoutDataWithoutAskingAgain) {
    LogWorld t;
    t.SetLog(kEightLines);
    t.w.host.answers = {Answer::No};
    ExpectOutcome(Archive_Click(t.p), "Log File Cleared", true);
    EXPECT_EQ(t.w.host.messages.size(), 1u);
    EXPECT_EQ(t.Log(), Native(kFreshLog));
    EXPECT_TRUE(Archives(t).empty());
}

TEST(Archive, NoAsksAgainBeforeClearingData) {
    struct Row {
        const char* what;
        Answer second;
        const char* status;
        bool timer;
        const char* log;
    };
    for (const Row& r : {Row{"no, then no", Answer::No, "", false, kStartedLog},
                         Row{"no, then box closed", Answer::Cancel, "", false, kStartedLog},
                         Row{"no, then yes", Answer::Yes, "Log File Cleared", true, kFreshLog}}) {
        SCOPED_TRACE(r.what);
        LogWorld t;
        t.SetLog(kStartedLog);
        t.w.host.answers = {Answer::No, r.second};
        ExpectOutcome(Archive_Click(t.p), r.status, r.timer);
        ASSERT_EQ(t.w.host.messages.size(), 2u);
        EXPECT_EQ(t.w.host.messages[1].buttons, MsgButtons::YesNo);
        EXPECT_EQ(t.w.host.messages[1].title, "Quenzel Create New Log File");
        EXPECT_EQ(t.w.host.messages[1].text, "Are you sure you want to create a new log file?");
        EXPECT_EQ(t.Log(), Native(r.log));
        EXPECT_TRUE(Archives(t).empty());
    }
}

TEST(Archive, CancelOrClosingTheBoxChangesNothing) {
    for (Answer a : {Answer::Cancel, Answer::Ok}) {
        LogWorld t;
        t.SetLog(kStartedLog);
        t.w.host.answers = {a};
        ExpectOutcome(Archive_Click(t.p), "", false);
        EXPECT_EQ(t.w.host.messages.size(), 1u);
        EXPECT_EQ(t.Log(), Native(kStartedLog));
        EXPECT_TRUE(Archives(t).empty());
    }
}

TEST(Archive, FailuresShowTheArchiveErrorAndKeepTheLog) {
    struct Row {
        const char* what;
        const char* logName;
        const char* blocker; // a folder where the archive would go
        const char* text;
    };
    for (const Row& r : {
             Row{"name without a dot", "QuenzelLog", nullptr,
                 "Unable to archive the log file QuenzelLog.\r\nThis may be a permissions problem."},
             Row{"archive cannot be written", "Quenzel.log", "Quenzel_261205_1.log", kArchiveError},
         }) {
        SCOPED_TRACE(r.what);
        LogWorld t;
        t.p.rt.AppTitle = "Quenzel Slave";
        t.p.set.LogName = r.logName;
        t.dir.Write(std::string("Log/") + r.logName, Native(kStartedLog));
        if (r.blocker) fs::create_directory(t.dir.path() / "Log" / r.blocker);
        t.w.host.answers = {Answer::Yes};
        ExpectOutcome(Archive_Click(t.p), "", false);
        ASSERT_EQ(t.w.host.messages.size(), 2u);
        EXPECT_EQ(t.w.host.messages[1].icon, MsgIcon::Exclamation);
        EXPECT_EQ(t.w.host.messages[1].buttons, MsgButtons::Ok);
        EXPECT_EQ(t.w.host.messages[1].title, "Quenzel Log File Error");
        EXPECT_EQ(t.w.host.messages[1].text, r.text);
        EXPECT_EQ(t.dir.Read(std::string("Log/") + r.logName), Native(kStartedLog));
        EXPECT_FALSE(t.w.host.endedWith.has_value());
    }
}

TEST(Archive, NameWithoutADotCanStillBeCleared) {
    LogWorld t;
    t.p.set.LogName = "QuenzelLog";
    t.dir.Write("Log/QuenzelLog", Native(kStartedLog));
    t.w.host.answers = {Answer::No, Answer::Yes};
    ExpectOutcome(Archive_Click(t.p), "Log File Cleared", true);
    EXPECT_EQ(t.dir.Read("Log/QuenzelLog"), Native(kFreshLog));
}

TEST(Archive, MissingLogEndsTheProgramBeforeAsking) {
    LogWorld t;
    EXPECT_THROW(Archive_Click(t.p), ProgramEnded);
    ASSERT_EQ(t.w.host.messages.size(), 1u);
    EXPECT_EQ(t.w.host.messages[0].title, "Quenzel Log File Error");
    EXPECT_EQ(t.w.host.messages[0].icon, MsgIcon::Exclamation);
    EXPECT_EQ(t.w.host.endedWith, 1);
}

TEST(ViewLog, LevelNoneShowsTheInformationBox) {
    for (const char* title : {"Quenzel", "Quenzel Slave"}) {
        LogWorld t;
        t.SetLog(kStartedLog);
        t.p.set.LogLevel = 1;
        t.p.rt.AppTitle = title;
        ViewL_Click(t.p);
        ASSERT_EQ(t.w.host.messages.size(), 1u);
        EXPECT_EQ(t.w.host.messages[0].icon, MsgIcon::Information);
        EXPECT_EQ(t.w.host.messages[0].buttons, MsgButtons::Ok);
        EXPECT_EQ(t.w.host.messages[0].title, std::string(title) + " Log File Error");
        EXPECT_EQ(t.w.host.messages[0].text,
                  "Logging is set to None. There\r\nis no information to display.");
        EXPECT_TRUE(t.w.system.viewed.empty());
    }
}

TEST(ViewLog, PathWithBlanksReachesTheViewerWhole) {
    LogWorld t;
    t.p.set.LogPath = "My Logs\\";
    t.p.set.LogName = "Run Log.txt";
    t.dir.Write("My Logs/Run Log.txt", "x\n");
    ViewL_Click(t.p);
    EXPECT_TRUE(t.w.host.messages.empty());
    EXPECT_EQ(t.w.system.viewed,
              std::vector<std::string>{(t.dir.path() / "My Logs" / "Run Log.txt").string()});
}

TEST(ViewLog, ViewerThatDoesNotStartIsReported) {
    LogWorld t;
    t.SetLog(kStartedLog);
    t.p.rt.AppTitle = "Quenzel Slave";
    t.w.system.viewerStarts = false;
    ViewL_Click(t.p);
    ASSERT_EQ(t.w.host.messages.size(), 1u);
    EXPECT_EQ(t.w.host.messages[0].icon, MsgIcon::Exclamation);
    EXPECT_EQ(t.w.host.messages[0].title, "Quenzel Log File Error");
    EXPECT_EQ(t.w.host.messages[0].text,
              "Unable to run Notepad\r\nCheck that it exists and\r\nis working properly.");
    EXPECT_FALSE(t.w.host.endedWith.has_value());
}

TEST(ViewLog, MissingLogEndsTheProgramWithoutStartingTheViewer) {
    LogWorld t;
    EXPECT_THROW(ViewL_Click(t.p), ProgramEnded);
    EXPECT_TRUE(t.w.system.viewed.empty());
    ASSERT_EQ(t.w.host.messages.size(), 1u);
    EXPECT_EQ(t.w.host.messages[0].title, "Quenzel Log File Error");
}

} // namespace
} // namespace qz
