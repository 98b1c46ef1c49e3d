#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>

#include "platform/Backend.h"
#include "sensing/ProcessScan.h"
#include "tests/support/Fakes.h"

namespace qz {
namespace {

using Names = std::vector<std::string>;

TEST(ScanProcesses, ReportsEachNameThatRunsAsItsDigitComparedWholeWithoutCase) {
    struct Row {
        Names processes;
        std::string name1, name2, name3;
        int16_t code;
    };
    for (const Row& r : {
             Row{{"NotePad.Exe"}, "NOTEPAD.exe", "", "", 1}, Row{{"QUENZEL.EXE"}, "quenzel.exe", "", "", 1},
             Row{{"notepad.exe.bak", "mynotepad.exe", "notepad.exf"}, "notepad.exe", "", "", 0},
             Row{{"notepad.exe"}, "notepad", "notepad.exe ", "", 0},
             Row{{"calc.exe"}, "notepad.exe", "calc.exe", "", 10}, Row{{"c.exe"}, "", "", "c.exe", 100},
             Row{{"c.exe", "b.exe", "a.exe", "a.exe"}, "a.exe", "b.exe", "c.exe", 111},
             Row{{"a.exe"}, "a.exe", "A.EXE", "", 11}, Row{{"a.exe", ""}, "", "", "", 0},
             Row{{"a{b}", "a@b"}, "A[B]", "a`b", "", 0},                               // not letters
             Row{{"\xC3\xA4rger.exe"}, "\xC3\xA4RGER.EXE", "\xC3\x84RGER.EXE", "", 1}, // bytes beyond ASCII
         }) {
        test::FakeProcessTable table;
        table.names = r.processes;
        const ScanResult result = ScanProcesses(table, r.name1, r.name2, r.name3);
        EXPECT_EQ(std::pair(result.code, result.ok), std::pair(r.code, true))
            << r.name1 << r.name2 << r.name3;
    }
}

TEST(SystemProcessTable, FindsThisVeryProgramWhateverTheCase) {
    const std::string own = QZ_TEST_IMAGE_NAME;
    std::string upper = own;
    std::transform(upper.begin(), upper.end(), upper.begin(),
                   [](unsigned char c) { return std::toupper(c); });
    const ScanResult result = ScanProcesses(*MakeProcessTable(), "absent-" + own, upper, own);
    EXPECT_EQ(std::pair(result.code, result.ok), std::pair(int16_t{110}, true));
}

} // namespace
} // namespace qz
