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
    // the processes that run, the three names, the digits
    const std::tuple<Names, std::string, std::string, std::string, int16_t> rows[] = {
        {{"NotePad.Exe"}, "NOTEPAD.exe", "", "", 1},
        {{"QUENZEL.EXE"}, "quenzel.exe", "", "", 1},
        {{"notepad.exe.bak", "mynotepad.exe", "notepad.exf"}, "notepad.exe", "", "", 0},
        {{"notepad.exe"}, "notepad", "notepad.exe ", "", 0},
        {{"calc.exe"}, "notepad.exe", "calc.exe", "", 10},
        {{"c.exe"}, "", "", "c.exe", 100},
        {{"c.exe", "b.exe", "a.exe", "a.exe"}, "a.exe", "b.exe", "c.exe", 111},
        {{"a.exe"}, "a.exe", "A.EXE", "", 11},
        {{"a.exe", ""}, "", "", "", 0},
        {{"a{b}", "a@b"}, "A[B]", "a`b", "", 0},                               // not letters
        {{"\xC3\xA4rger.exe"}, "\xC3\xA4RGER.EXE", "\xC3\x84RGER.EXE", "", 1}, // bytes beyond ASCII
    };
    for (const auto& [processes, name1, name2, name3, code] : rows) {
        test::FakeProcessTable table;
        table.names = processes;
        const ScanResult result = ScanProcesses(table, name1, name2, name3);
        EXPECT_EQ(std::pair(result.code, result.ok), std::pair(code, true)) << name1 << name2 << name3;
    }
}

TEST(SystemProcessTable, FindsThisVeryProgramWhateverTheCase) {
    const std::string own = QZ_TEST_IMAGE_NAME;
    std::string upper = own;
    std::ranges::transform(upper, upper.begin(), [](unsigned char c) { return std::toupper(c); });
    const ScanResult result = ScanProcesses(*MakeProcessTable(), "absent-" + own, upper, own);
    EXPECT_EQ(std::pair(result.code, result.ok), std::pair(int16_t{110}, true));
}

} // namespace
} // namespace qz
