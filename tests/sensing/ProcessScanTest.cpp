#include <gtest/gtest.h>

#include "sensing/ProcessScan.h"
#include "tests/support/Fakes.h"

namespace qz {
namespace {

using test::FakeProcessTable;

struct Row {
    const char* what;
    std::vector<std::string> processes;
    std::string name1, name2, name3;
    int16_t code;
};

TEST(ScanProcesses, ReportsEachNameThatRunsAsItsDigit) {
    const Row rows[] = {
        {"name in capitals", {"System", "notepad.exe"}, "NOTEPAD.EXE", "", "", 1},
        {"process in mixed case", {"NotePad.Exe"}, "notepad.exe", "", "", 1},
        {"no extension", {"notepad.exe"}, "notepad", "", "", 0},
        {"leading blank", {"notepad.exe"}, " notepad.exe", "", "", 0},
        {"trailing blank", {"notepad.exe"}, "notepad.exe ", "", "", 0},
        {"name is a prefix", {"notepad.exe.bak"}, "notepad.exe", "", "", 0},
        {"name is a suffix", {"mynotepad.exe"}, "notepad.exe", "", "", 0},
        {"one letter differs", {"notepad.exf"}, "notepad.exe", "", "", 0},
        {"only the second runs", {"calc.exe"}, "notepad.exe", "calc.exe", "", 10},
        {"all three run", {"c.exe", "b.exe", "a.exe"}, "a.exe", "b.exe", "c.exe", 111},
        {"none runs", {"x.exe", "y.exe"}, "a.exe", "b.exe", "c.exe", 0},
        {"only the third runs", {"c.exe"}, "a.exe", "b.exe", "c.exe", 100},
        {"first and third", {"c.exe", "a.exe"}, "a.exe", "b.exe", "c.exe", 101},
        {"second and third", {"b.exe", "c.exe"}, "a.exe", "b.exe", "c.exe", 110},
        {"same name twice", {"a.exe"}, "a.exe", "A.EXE", "", 11},
        {"same name three times", {"a.exe"}, "a.exe", "a.exe", "a.exe", 111},
        {"several instances", {"a.exe", "a.exe", "a.exe"}, "a.exe", "", "", 1},
        {"all names empty", {"a.exe", ""}, "", "", "", 0},
        {"empty name, process without name", {"", "b.exe"}, "", "b.exe", "", 10},
        {"empty table", {}, "a.exe", "b.exe", "c.exe", 0},
        {"third set without the others", {"c.exe"}, "", "", "c.exe", 100},
        {"brackets are not letters", {"a{b}", "a@b"}, "A[B]", "a`b", "", 0},
        {"non-ASCII bytes compare exactly",
         {"\xC3\xA4rger.exe"},
         "\xC3\xA4RGER.EXE",
         "\xC3\x84RGER.EXE",
         "",
         1},
        {"name longer than 30 characters",
         {"a-process-with-a-rather-long-image-name.exe"},
         "A-PROCESS-WITH-A-RATHER-LONG-IMAGE-NAME.EXE",
         "",
         "",
         1},
    };
    for (const Row& r : rows) {
        FakeProcessTable table;
        table.names = r.processes;
        ScanResult result = ScanProcesses(table, r.name1, r.name2, r.name3);
        EXPECT_EQ(result.code, r.code) << r.what;
        EXPECT_TRUE(result.ok) << r.what;
        EXPECT_EQ(table.scans, 1) << r.what;
    }
}

TEST(ScanProcesses, ReadsTheTableAfreshOnEveryCall) {
    FakeProcessTable table;
    table.names = {"a.exe", "b.exe"};
    EXPECT_EQ(ScanProcesses(table, "a.exe", "b.exe", "").code, 11);
    table.names = {"b.exe"};
    EXPECT_EQ(ScanProcesses(table, "a.exe", "b.exe", "").code, 10);
    table.names.clear();
    EXPECT_EQ(ScanProcesses(table, "a.exe", "b.exe", "").code, 0);
    EXPECT_EQ(table.scans, 3);
}

TEST(ScanProcesses, UnreadableTableIsNotOk) {
    FakeProcessTable table;
    table.names = {"a.exe"};
    table.fails = true;
    ScanResult result = ScanProcesses(table, "a.exe", "", "");
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.code, 0);
}

// Lists some names, then loses the table.
class BrokenOffTable : public ProcessTable {
  public:
    bool ForEachName(const std::function<void(std::string_view)>& visit) override {
        visit("b.exe");
        return false;
    }
};

TEST(ScanProcesses, NamesSeenBeforeAFailureStandButAreNotOk) {
    BrokenOffTable table;
    ScanResult result = ScanProcesses(table, "a.exe", "b.exe", "");
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.code, 10);
}

} // namespace
} // namespace qz
