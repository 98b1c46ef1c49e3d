#include <gtest/gtest.h>

#include <filesystem>

#include "tests/logging/LogWorld.h"

namespace qz::test {
namespace {

namespace fs = std::filesystem;

TEST(TimeStamp, TwoDigitFieldsAndEnglishMonths) {
    EXPECT_EQ(TimeStamp({2000, 1, 1, 0, 0, 0}), "01-Jan-00 00:00:00");
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
        t.p.set.LogLevel = row.fullWithAddress ? 3 : 2;
        t.p.set.IPAdd = row.fullWithAddress ? row.fullWithAddress : "";
        t.p.rt.TestMode = row.testMode;
        t.p.rt.CountSeconds = row.count;
        t.p.rt.ProcMarks = "P1 .. .. ";
        t.p.rt.LinkMark = "C";
        WriteLog(t.p, row.event, row.detail);
        EXPECT_EQ(t.p.rt.LogLine, line);
        EXPECT_EQ(t.Log(), Native("Quenzel\n" + line + "\n"));
    }
}

TEST(Log, StartUpWritesTheNewFilesHeaderTheSeparatorAndTheVersionAndLaterTwoEmptyWordsRepeatTheEntry) {
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
    old.SetLog("earlier run\n");
    old.StartUp();
    EXPECT_EQ(old.Log(), Native("earlier run\n\n\nQuenzel\nVersion 1.6\n\n"));
}

TEST(WriteLogHeader, BlocksByModeAndLevel) {
    const std::string config = "\nConfiguration\n-------------\n\n[Comms]\nComDelay=60";
    const std::tuple<int, int, std::string> rows[] = {{3, 0, "Quenzel\nVersion 1.6\n" + config + "\n\n"},
                                                      {2, 1, "\n" + config + "\n\n"}};
    for (const auto& [level, mode, block] : rows) {
        LogWorld t;
        t.SetLog("x\n");
        t.p.set.LogLevel = static_cast<int16_t>(level);
        t.p.rt.ConfigText = config;
        WriteLogHeader(t.p, mode);
        EXPECT_EQ(t.Log(), Native("x\n" + block)) << level << " " << mode;
    }
}

TEST(Log, LevelNoneCreatesAndWritesNothingAndNeedsNoFolder) {
    for (bool folder : {true, false}) {
        LogWorld t;
        if (!folder) fs::remove(t.dir.path() / "Log");
        t.p.set.LogLevel = 1;
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
    enum Fault { NoLog, FolderAsLog, DiskFull };
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
    };
    for (const Row& row : rows) {
        LogWorld t;
        const fs::path log = t.dir.path() / "Log" / "Quenzel.log";
        if (row.fault == FolderAsLog) fs::create_directory(log);
        if (row.fault == DiskFull && !fs::exists("/dev/full")) continue; // no file that refuses writes
        if (row.fault == DiskFull) fs::create_symlink("/dev/full", log);
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
}

} // namespace
} // namespace qz::test
