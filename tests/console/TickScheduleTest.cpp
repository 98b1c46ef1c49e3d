#include <gtest/gtest.h>

#include "console/TickSchedule.h"

namespace qz::test {
namespace {

using std::chrono::milliseconds;

const SteadyTime kStart{std::chrono::hours(1)};

SteadyTime At(int ms) {
    return kStart + milliseconds(ms);
}

TEST(TickSchedule, TicksKeepTheirAbsoluteTimesAndSkipWhatIsMoreThanAPeriodLate) {
    const struct {
        int now;      // when the loop looks, ms after the start
        bool due;     // a tick runs
        int nextTick; // when the following tick is due
    } rows[] = {
        {0, false, 500},     {499, false, 500},  {500, true, 1000},  {1000, true, 1500}, {1620, true, 2000},
        {1999, false, 2000}, {2490, true, 2500}, {2510, true, 3000}, {4750, true, 5000}, // 3000..4500 skipped
        {5000, true, 5500},  {6500, true, 7000}, // exactly a period late
    };
    TickSchedule schedule(milliseconds(500));
    schedule.Follow(true, kStart);
    for (const auto& row : rows) {
        EXPECT_EQ(schedule.Due(At(row.now)), row.due) << row.now;
        EXPECT_EQ(schedule.Next(), At(row.nextTick)) << row.now;
    }
}

TEST(TickSchedule, LateHandlingAddsNoDrift) {
    TickSchedule schedule(milliseconds(500));
    schedule.Follow(true, kStart);
    for (int tick = 1; tick <= 1000; ++tick) {
        const SteadyTime due = *schedule.Next();
        ASSERT_EQ(due, At(500 * tick));
        // Every tick is handled 37 ms late.
        ASSERT_TRUE(schedule.Due(due + milliseconds(37)));
    }
    EXPECT_EQ(schedule.Next(), At(500 * 1001));
}

TEST(TickSchedule, StartsWhenEnabledStopsWhenDisabledAndStartsAfreshWhenEnabledAgain) {
    TickSchedule schedule(milliseconds(500));
    EXPECT_EQ(schedule.Next(), std::nullopt);
    EXPECT_FALSE(schedule.Due(At(10000)));
    schedule.Follow(true, At(100));
    EXPECT_EQ(schedule.Next(), At(600));
    schedule.Follow(true, At(300)); // still enabled: the schedule stays
    EXPECT_EQ(schedule.Next(), At(600));
    schedule.Follow(false, At(400));
    EXPECT_EQ(schedule.Next(), std::nullopt);
    EXPECT_FALSE(schedule.Due(At(700)));
    schedule.Follow(true, At(900));
    EXPECT_EQ(schedule.Next(), At(1400));
}

} // namespace
} // namespace qz::test
