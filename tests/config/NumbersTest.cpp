#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <random>
#include <string>

#include "config/Numbers.h"

namespace qz {
namespace {

constexpr int64_t kInt16Min = std::numeric_limits<int16_t>::min();
constexpr int64_t kInt16Max = std::numeric_limits<int16_t>::max();
constexpr int64_t kInt32Min = std::numeric_limits<int32_t>::min();
constexpr int64_t kInt32Max = std::numeric_limits<int32_t>::max();

TEST(ReadFileNumber, TakesTheLeadingDecimalNumberRoundedHalfToEven) {
    struct Row {
        std::string text;
        std::optional<int64_t> value;
    };
    const Row rows[] = {
        {"60", 60},
        {"6 0", 60},
        {"\t6\n0 ", 60},
        {" - 1 2", -12},
        {"60.5", 60},
        {"61.5", 62},
        {"0.5", 0},
        {"1.5", 2},
        {"-2.5", -2},
        {"-3.5", -4},
        {"2.5000001", 3},
        {"2.4999999", 2},
        {"-0.4", 0},
        {".5", 0},
        {"5.", 5},
        {"+7", 7},
        {"--7", 0},
        {"1.2.3", 1},
        {"", 0},
        {"abc", 0},
        {"12abc", 12},
        {"1e3", 1000},
        {"1E+2", 100},
        {"15e-1", 2},
        {"25e-1", 2},
        {"1e", 1},
        {"1e+", 1},
        {"2e-", 2},
        {"1 e 2", 100},
        {"0x10", 0},
        {"&H10", 0},
        {"1,5", 1},
        {"000000000000000000000000001", 1},
        {"1000000e-6", 1},
        {"0.0000000000000000000000015e24", 2},
        {"1e-400", 0},
        {"0e999999999", 0},
        {".", 0},
        {"-", 0},
        {"1\r", 1},
        {"32767", 32767},
        {"32767.4", 32767},
        {"32767.5", std::nullopt},
        {"32768", std::nullopt},
        {"-32768", -32768},
        {"-32768.5", -32768},
        {"-32769", std::nullopt},
        {"70000", std::nullopt},
        {"1e400", std::nullopt},
        {"1e999999999999999999999", std::nullopt},
        {"99999999999999999999999", std::nullopt},
    };
    for (const Row& r : rows)
        EXPECT_EQ(ReadFileNumber(r.text, kInt16Min, kInt16Max), r.value) << '"' << r.text << '"';
}

TEST(ReadFileNumber, HonoursEachFieldWidth) {
    EXPECT_EQ(ReadFileNumber("70000", kInt32Min, kInt32Max), 70000);
    EXPECT_EQ(ReadFileNumber("2147483647", kInt32Min, kInt32Max), 2147483647);
    EXPECT_EQ(ReadFileNumber("2147483648", kInt32Min, kInt32Max), std::nullopt);
    EXPECT_EQ(ReadFileNumber("-2147483648", kInt32Min, kInt32Max), kInt32Min);
    EXPECT_EQ(ReadFileNumber("9223372036854775807", INT64_MIN, INT64_MAX), INT64_MAX);
    EXPECT_EQ(ReadFileNumber("-9223372036854775808", INT64_MIN, INT64_MAX), INT64_MIN);
    EXPECT_EQ(ReadFileNumber("9223372036854775808", INT64_MIN, INT64_MAX), std::nullopt);
    EXPECT_EQ(ReadFileNumber("18446744073709551615.5", INT64_MIN, INT64_MAX), std::nullopt);
    EXPECT_EQ(ReadFileNumber("5", 10, 20), std::nullopt);
}

// Against the machine's own rounding, which is half to even, on numbers whose halves are exact.
TEST(ReadFileNumber, AgreesWithBinaryRoundingOnRandomDecimals) {
    std::mt19937 gen(20261205);
    std::uniform_int_distribution<int> thousandths(-40'000'000, 40'000'000);
    for (int i = 0; i < 20000; ++i) {
        int n = thousandths(gen);
        if (i % 4 == 0) n = n / 500 * 500; // plenty of exact halves
        char text[32];
        std::snprintf(text, sizeof text, "%s%d.%03d", n < 0 ? "-" : "", std::abs(n) / 1000,
                      std::abs(n) % 1000);
        double rounded = std::nearbyint(n / 1000.0);
        std::optional<int64_t> expected;
        if (rounded >= static_cast<double>(kInt16Min) && rounded <= static_cast<double>(kInt16Max)) {
            expected = static_cast<int64_t>(rounded);
        }
        ASSERT_EQ(ReadFileNumber(text, kInt16Min, kInt16Max), expected) << text;
    }
}

TEST(LeadingNumber, ReadsTheScreensFieldNumbers) {
    struct Row {
        std::string text;
        double value;
    };
    const double inf = std::numeric_limits<double>::infinity();
    const Row rows[] = {
        {"60abc", 60},    {"", 0},
        {"abc", 0},       {" 6 0", 60},
        {"-1.5", -1.5},   {"+.5", 0.5},
        {"1E3", 1000},    {"2.5e-1", 0.25},
        {"12.5.6", 12.5}, {"1,5", 1},
        {"&H1F", 31},     {"&hff", 255},
        {" &H 1 0", 16},  {"&O17", 15},
        {"&o8", 0},       {"&H", 0},
        {"&Hz", 0},       {"-&H10", 0},
        {"1e400", inf},   {"-1e400", -inf},
        {"1e-400", 0},    {"0.1", 0.1},
        {"3600", 3600},   {"4.9", 4.9},
        {"600.5", 600.5}, {"\t10\n800", 10800},
    };
    for (const Row& r : rows)
        EXPECT_EQ(LeadingNumber(r.text), r.value) << '"' << r.text << '"';
}

} // namespace
} // namespace qz
