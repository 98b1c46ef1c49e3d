#include <gtest/gtest.h>

#include <string>

#include "config/Validation.h"

namespace qz {
namespace {

TEST(IsValidIP, AcceptsFourPartsFromOneTo255) {
    struct Row {
        std::string text;
        bool valid;
    };
    const Row rows[] = {
        {"1.1.1.1", true},
        {"255.255.255.255", true},
        {"010.001.001.001", true},
        {"192.168.1.20", true},
        {"0001.1.1.1", true},
        {"192.168.0.5", false},
        {"0.1.1.1", false},
        {"1.1.1.0", false},
        {"10.0.0.1", false},
        {"256.1.1.1", false},
        {"1.1.1.256", false},
        {".1.1.1", false},
        {"1.1.1.1.", false},
        {"1..1.1", false},
        {"1.1.1", false},
        {"1.1", false},
        {"1", false},
        {"1.1.1.1.1", false},
        {"", false},
        {".", false},
        {"...", false},
        {"1.1.1. 1", false},
        {" 1.1.1.1", false},
        {"1.1.a.1", false},
        {"1.1.1.1:80", false},
        {"-1.1.1.1", false},
        {"+1.1.1.1", false},
        {"localhost", false},
        {"99999999999.1.1.1", false},
        {"1.1.1.99999999999999999999", false},
        {std::string("1.1.1.1\0", 8), false},
    };
    for (const Row& r : rows)
        EXPECT_EQ(IsValidIP(r.text), r.valid) << '"' << r.text << '"';
}

TEST(IsValidTime, AcceptsFiveCharacterTimesOfTheDay) {
    struct Row {
        const char* text;
        bool valid;
    };
    const Row rows[] = {
        {"00:00", true},   {"07:30", true},  {"23:59", true},  {" 9:05", true},  {"9 :05", true},
        {"+9:05", true},   {"09: 5", true},  {"-0:00", true},  {"1.:30", true},  {"12:5.", true},
        {"24:00", false},  {"12:60", false}, {"7:30", false},  {"07.30", false}, {"0730", false},
        {"07:30 ", false}, {"-1:00", false}, {"07:-1", false}, {"  :00", false}, {"ab:cd", false},
        {"07:3a", false},  {"1e:00", false}, {".5:00", false}, {"07:.5", false}, {"", false},
        {"07;30", false},  {"+-:00", false}, {"&H:00", false}, {"--:--", false},
    };
    for (const Row& r : rows)
        EXPECT_EQ(IsValidTime(r.text), r.valid) << '"' << r.text << '"';
}

TEST(TimeText, KeepsTheLastFourDigits) {
    struct Row {
        long number;
        const char* text;
    };
    const Row rows[] = {{730, "07:30"},   {0, "00:00"},     {2359, "23:59"},  {5, "00:05"},
                        {100, "01:00"},   {12000, "20:00"}, {12359, "23:59"}, {-5, "00:-5"},
                        {-1200, "12:00"}, {32767, "27:67"}, {-32768, "27:68"}};
    for (const Row& r : rows)
        EXPECT_EQ(TimeText(r.number), r.text) << r.number;
    EXPECT_FALSE(IsValidTime(TimeText(-5)));
    EXPECT_TRUE(IsValidTime(TimeText(2359)));
}

TEST(TextLength, CountsCharactersOfUtf8AndBytesOfOtherText) {
    struct Row {
        std::string text;
        size_t length;
    };
    const Row rows[] = {
        {"", 0},
        {"Quenzel.log", 11},
        {"caf\xC3\xA9", 4},       // UTF-8 e acute
        {"\xE2\x82\xAC", 1},      // euro sign
        {"\xF0\x9F\x98\x80!", 2}, // four-byte sequence
        {"caf\xE9", 4},           // single-byte e acute: not UTF-8
        {"\xC3", 1},              // cut sequence
        {"a\xC3\x28", 3},         // bad continuation byte
        {"\x80\x80", 2},          // continuation without a lead
    };
    for (const Row& r : rows)
        EXPECT_EQ(TextLength(r.text), r.length) << r.text;
}

TEST(EndsWithFolderSeparator, AcceptsTheBackslashEverywhere) {
    EXPECT_TRUE(EndsWithFolderSeparator("Log\\"));
    EXPECT_TRUE(EndsWithFolderSeparator("C:\\Quenzel\\Log\\"));
    EXPECT_FALSE(EndsWithFolderSeparator("Log"));
    EXPECT_FALSE(EndsWithFolderSeparator(""));
    EXPECT_FALSE(EndsWithFolderSeparator("Log\\ "));
#ifdef _WIN32
    EXPECT_FALSE(EndsWithFolderSeparator("Log/"));
#else
    EXPECT_TRUE(EndsWithFolderSeparator("/var/log/quenzel/"));
#endif
}

} // namespace
} // namespace qz
