#include <gtest/gtest.h>

#include <limits>
#include <string>

#include "config/Numbers.h"
#include "config/Validation.h"

namespace qz {
namespace {

// Which of the texts the check accepts, each followed by "|".
std::string Accepted(bool (*accepts)(std::string_view), std::initializer_list<const char*> texts) {
    std::string accepted;
    for (const char* text : texts)
        accepted += accepts(text) ? std::string(text) + "|" : "";
    return accepted;
}

TEST(Texts, ValidAddressesHaveFourPartsFrom1To255TimesFiveCharactersShownTimesAndLengthsCountRight) {
    EXPECT_EQ(Accepted(IsValidIP,
                       {"1.1.1.1", "255.255.255.255", "010.001.001.001", "0.1.1.1", "1.1.1.0", "256.1.1.1",
                        "1.1.1.256", ".1.1.1", "1.1.1.1.", "1..1.1", "1.1.1", "1.1.1.1.1", "", "1.1.1. 1",
                        " 1.1.1.1", "1.1.a.1", "-1.1.1.1", "+1.1.1.1", "1.1.1.99999999999999999999"}),
              "1.1.1.1|255.255.255.255|010.001.001.001|");
    EXPECT_FALSE(IsValidIP(std::string("1.1.1.1\0", 8)));
    EXPECT_EQ(Accepted(IsValidTime,
                       {"00:00", "23:59", " 9:05", "9 :05", "+9:05", "09: 5", "-0:00", "1.:30", "24:00",
                        "12:60", "7:30", "07.30", "07:30 ", "-1:00", "07:-1", "  :00", "07:3a", ".5:00", ""}),
              "00:00|23:59| 9:05|9 :05|+9:05|09: 5|-0:00|1.:30|");
    const std::pair<long, const char*> times[] = {{730, "07:30"},   {5, "00:05"},     {-5, "00:-5"},
                                                  {-1200, "12:00"}, {32767, "27:67"}, {-32768, "27:68"}};
    for (const auto& [number, text] : times)
        EXPECT_EQ(TimeText(number), text) << number;
    const std::pair<std::string, size_t> lengths[] = {
        {"\xF0\x9F\x98\x80!", 2}, {"caf\xE9", 4}, {"\xC3", 1}, {"a\xC3\x28", 3}, {"\x80\x80", 2}};
    for (const auto& [text, length] : lengths)
        EXPECT_EQ(TextLength(text), length) << text;
}

TEST(Numbers, TheFilesTakeTheLeadingDecimalRoundedHalfToEvenWithinTheWidthTheScreensAlsoHexAndOctal) {
    const int64_t lo = std::numeric_limits<int16_t>::min(), hi = std::numeric_limits<int16_t>::max();
    const std::optional<int64_t> none;
    const std::pair<std::string, std::optional<int64_t>> rows[] = {
        {"\t6\n0 ", 60},  {" - 1 2", -12},    {"60.5", 60},       {"61.5", 62},         {"-2.5", -2},
        {"2.5000001", 3}, {".5", 0},          {"+7", 7},          {"--7", 0},           {"", 0},
        {"12abc", 12},    {"1E+2", 100},      {"15e-1", 2},       {"1 e 2", 100},       {"&H10", 0},
        {"1e-400", 0},    {"0e999999999", 0}, {"32767.4", 32767}, {"-32768.5", -32768}, {"32767.5", none},
        {"32768", none},  {"-32769", none},   {"70000", none},    {"1e400", none},
    };
    for (const auto& [text, value] : rows)
        EXPECT_EQ(ReadFileNumber(text, lo, hi), value) << '"' << text << '"';
    EXPECT_EQ(ReadFileNumber("0.0000000000000000000000015e24", lo, hi), 2);
    EXPECT_EQ(ReadFileNumber("99999999999999999999999", lo, hi), none);
    const double inf = std::numeric_limits<double>::infinity();
    const std::pair<std::string, double> fields[] = {
        {"60abc", 60},    {"", 0},          {" 6 0", 60}, {"-1.5", -1.5},       {"+.5", 0.5},
        {"2.5e-1", 0.25}, {"12.5.6", 12.5}, {"1,5", 1},   {"&hff", 255},        {" &H 1 0", 16},
        {"&O17", 15},     {"&o17", 15},     {"&Hz", 0},   {"-&H10", 0},         {"1e400", inf},
        {"-1e400", -inf}, {"1e-400", 0},    {"0.1", 0.1}, {"\t10\n800", 10800},
    };
    for (const auto& [text, value] : fields)
        EXPECT_EQ(LeadingNumber(text), value) << '"' << text << '"';
}

} // namespace
} // namespace qz
