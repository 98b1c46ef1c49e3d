#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>

#include "platform/Backend.h"
#include "sensing/ProcessScan.h"

namespace qz {
namespace {

TEST(SystemProcessTable, FindsThisVeryProgramWhateverTheCase) {
    std::string own = QZ_TEST_IMAGE_NAME;
    std::string upper = own;
    std::transform(upper.begin(), upper.end(), upper.begin(),
                   [](unsigned char c) { return std::toupper(c); });
    auto table = MakeProcessTable();
    ScanResult result = ScanProcesses(*table, "absent-" + own, upper, own);
    EXPECT_TRUE(result.ok);
    EXPECT_EQ(result.code, 110);
}

} // namespace
} // namespace qz
