#include <gtest/gtest.h>

#include <string>

#include "power/ShutdownTypes.h"

namespace qz {
namespace {

TEST(ShutdownTypes, EachCodeHasItsNameFlagsAndCountdownText) {
    struct Row {
        int code;
        const char* name;
        int normal;
        int forced;
        const char* countdown;
    };
    const Row rows[] = {
        {1, "Power Off", 8, 12, "The Computer Will Power Off In "},
        {2, "Reboot", 2, 6, "The Computer Will Reboot In "},
        {3, "Shutdown", 1, 5, "The Computer Will Shutdown In "},
        {4, "Monitor", 0, 0, "Quenzel Will Close In "},
        {5, "Hibernate", 0, 0, "The Computer Will Hibernate In "},
        {6, "Standby", 0, 0, "The Computer Will Standby In "},
    };
    for (const Row& r : rows) {
        const ShutdownType* t = FindShutdownType(r.code);
        ASSERT_NE(t, nullptr) << r.code;
        EXPECT_EQ(std::string(t->name), r.name);
        EXPECT_EQ(t->normalFlags, r.normal) << r.code;
        EXPECT_EQ(t->forcedFlags, r.forced) << r.code;
        EXPECT_EQ(std::string(t->countdownText), r.countdown);
    }
}

TEST(ShutdownTypes, CodesOutsideTheTableHaveNoType) {
    for (int code : {0, 7, -1, 32767, -32768})
        EXPECT_EQ(FindShutdownType(code), nullptr) << code;
}

} // namespace
} // namespace qz
