#include <gtest/gtest.h>

#include <limits>
#include <string>

#include "config/Numbers.h"
#include "config/Validation.h"

namespace qz {
namespace {

constexpr int64_t kInt16Min = std::numeric_limits<int16_t>::min();
constexpr int64_t kInt16Max = std::numeric_limits<int16_t>::max();

TEST(IsValidIP, AcceptsFourPartsFromOneTo255) {
    for (const char* ip : {"1.1.1.1", "255.255.255.255", "010.001.001.001"})
        EXPECT_TRUE(IsValidIP(ip)) << ip;
    for (const char* ip : {"0.1.1.1", "1.1.1.0", "256.1.1.1", "1.1.1.256", ".1.1.1", "1.1.1.1.", "1..1.1",
                           "1.1.1", "1.1.1.1.1", "", "1.1.1. 1", " 1.1.1.1", "1.1.a.1", "-1.1.1.1",
                           "+1.1.1.1", "99999999999.1.1.1", "1.1.1.99999999999999999999"})
        EXPECT_FALSE(IsValidIP(ip)) << '"' << ip << '"';
    EXPECT_FALSE(IsValidIP(std::string("1.1.1.1\0", 8)));
}

TEST(IsValidTime, AcceptsFiveCharacterTimesOfTheDay) {
    for (const char* time : {"00:00", "23:59", " 9:05", "9 :05", "+9:05", "09: 5", "-0:00", "1.:30"})
        EXPECT_TRUE(IsValidTime(time)) << time;
    for (const char* time : {"24:00", "12:60", "7:30", "07.30", "07:30 ", "-1:00", "07:-1", "  :00", "07:3a",
                             "1e:00", ".5:00", "", "+-:00", "&H:00"})
        EXPECT_FALSE(IsValidTime(time)) << '"' << time << '"';
}

TEST(TimeText, KeepsTheLastFourDigits) {
    const std::pair<long, const char*> rows[] = {{730, "07:30"},   {0, "00:00"},     {5, "00:05"},
                                                 {12359, "23:59"}, {-5, "00:-5"},    {-1200, "12:00"},
                                                 {32767, "27:67"}, {-32768, "27:68"}};
    for (const auto& [number, text] : rows)
        EXPECT_EQ(TimeText(number), text) << number;
}

TEST(TextLength, CountsCharactersOfUtf8AndBytesOfOtherText) {
    const std::pair<std::string, size_t> rows[] = {
        {"", 0},        {"Quenzel.log", 11}, {"caf\xC3\xA9", 4}, {"\xF0\x9F\x98\x80!", 2},
        {"caf\xE9", 4}, {"\xC3", 1},         {"a\xC3\x28", 3},   {"\x80\x80", 2},
    };
    for (const auto& [text, length] : rows)
        EXPECT_EQ(TextLength(text), length) << text;
}

TEST(EndsWithFolderSeparator, AcceptsTheBackslashEverywhereAndTheSlashOnPosix) {
    for (const char* path : {"Log", "", "Log\\ "})
        EXPECT_FALSE(EndsWithFolderSeparator(path)) << path;
    EXPECT_TRUE(EndsWithFolderSeparator("C:\\Quenzel\\Log\\"));
#ifndef _WIN32
    EXPECT_TRUE(EndsWithFolderSeparator("/var/log/"));
#endif
}

TEST(ReadFileNumber, TakesTheLeadingDecimalNumberRoundedHalfToEven) {
    const std::pair<std::string, int64_t> rows[] = {
        {"\t6\n0 ", 60}, {" - 1 2", -12},    {"60.5", 60},       {"61.5", 62},
        {"-2.5", -2},    {"-3.5", -4},       {"2.5000001", 3},   {"2.4999999", 2},
        {".5", 0},       {"+7", 7},          {"--7", 0},         {"1.2.3", 1},
        {"", 0},         {"12abc", 12},      {"1E+2", 100},      {"15e-1", 2},
        {"1e+", 1},      {"1 e 2", 100},     {"&H10", 0},        {"1,5", 1},
        {"1e-400", 0},   {"0e999999999", 0}, {"32767.4", 32767}, {"-32768.5", -32768},
    };
    for (const auto& [text, value] : rows)
        EXPECT_EQ(ReadFileNumber(text, kInt16Min, kInt16Max), value) << '"' << text << '"';
    EXPECT_EQ(ReadFileNumber("0.0000000000000000000000015e24", kInt16Min, kInt16Max), 2);
    for (const char* text : {"32767.5", "32768", "-32769", "70000", "1e400", "99999999999999999999999"})
        EXPECT_EQ(ReadFileNumber(text, kInt16Min, kInt16Max), std::nullopt) << text;
}

TEST(ReadFileNumber, HonoursEachFieldWidth) {
    constexpr int64_t kInt32Max = std::numeric_limits<int32_t>::max();
    EXPECT_EQ(ReadFileNumber("2147483647", -kInt32Max - 1, kInt32Max), kInt32Max);
    EXPECT_EQ(ReadFileNumber("2147483648", -kInt32Max - 1, kInt32Max), std::nullopt);
    EXPECT_EQ(ReadFileNumber("-9223372036854775808", INT64_MIN, INT64_MAX), INT64_MIN);
    EXPECT_EQ(ReadFileNumber("9223372036854775808", INT64_MIN, INT64_MAX), std::nullopt);
    EXPECT_EQ(ReadFileNumber("5", 10, 20), std::nullopt);
}

TEST(LeadingNumber, ReadsTheScreensFieldNumbers) {
    const double inf = std::numeric_limits<double>::infinity();
    const std::pair<std::string, double> rows[] = {
        {"60abc", 60},    {"", 0},          {" 6 0", 60}, {"-1.5", -1.5},       {"+.5", 0.5},
        {"2.5e-1", 0.25}, {"12.5.6", 12.5}, {"1,5", 1},   {"&hff", 255},        {" &H 1 0", 16},
        {"&O17", 15},     {"&o17", 15},     {"&Hz", 0},   {"-&H10", 0},         {"1e400", inf},
        {"-1e400", -inf}, {"1e-400", 0},    {"0.1", 0.1}, {"\t10\n800", 10800},
    };
    for (const auto& [text, value] : rows)
        EXPECT_EQ(LeadingNumber(text), value) << '"' << text << '"';
}

} // namespace
} // namespace qz
