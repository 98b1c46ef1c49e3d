// Any text through the address, time and number helpers, each checked against a second opinion:
// the address rule restated part by part, times rebuilt from their values, file numbers against
// the screen's numbers and against themselves at other field widths. The first bytes also give a
// stored time number for TimeText and a whole number whose ties must round to even.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <optional>
#include <string>

#include "config/Numbers.h"
#include "config/Validation.h"
#include "fuzz/Require.h"

namespace qz::fuzz {
namespace {

bool AllDigits(const std::string& text) {
    return text.find_first_not_of("0123456789") == std::string::npos;
}

// Four dot-separated runs of digits, each 1..255 however many leading zeros it has.
bool IsAddress(const std::string& text) {
    size_t parts = 0;
    for (size_t start = 0, end = 0; end != std::string::npos && parts < 5; start = end + 1, ++parts) {
        end = text.find('.', start);
        const std::string part = text.substr(start, end - start);
        const std::string significant = part.substr(std::min(part.find_first_not_of('0'), part.size()));
        if (!AllDigits(part) || significant.empty() || significant.size() > 3 || std::stoi(significant) > 255)
            return false;
    }
    return parts == 4;
}

// The value of one half of an accepted time: blanks dropped, the rest must read as a whole number.
std::optional<long> HalfValue(std::string half) {
    std::erase(half, ' ');
    char* end = nullptr;
    const double value = std::strtod(half.c_str(), &end);
    if (half.empty() || end != half.c_str() + half.size() || value != std::floor(value)) return std::nullopt;
    return static_cast<long>(value);
}

std::string TwoDigits(long value) {
    return {static_cast<char>('0' + value / 10), static_cast<char>('0' + value % 10)};
}

void CheckTime(const std::string& text) {
    bool valid = IsValidTime(text);
    if (text.size() == 5 && text[2] == ':' && AllDigits(text.substr(0, 2)) && AllDigits(text.substr(3))) {
        bool inRange = std::stoi(text.substr(0, 2)) < 24 && std::stoi(text.substr(3)) < 60;
        Require(valid == inRange, "a digits-only time is valid exactly when it is a time of day");
    }
    if (!valid) return;
    std::optional<long> hours = HalfValue(text.substr(0, 2));
    std::optional<long> minutes = HalfValue(text.substr(3, 2));
    Require(hours && minutes && *hours >= 0 && *hours < 24 && *minutes >= 0 && *minutes < 60,
            "the halves of a valid time are the whole numbers of a time of day");
    std::string canonical = TwoDigits(*hours) + ":" + TwoDigits(*minutes);
    Require(TimeText(*hours * 100 + *minutes) == canonical, "a valid time's number gives its text back");
    Require(IsValidTime(canonical), "a valid time's text is valid");
}

void CheckTimeNumber(long number) {
    std::string text = TimeText(number);
    Require(text.size() == 5 && text[2] == ':', "TimeText gives five characters around a colon");
    if (number < 0) return;
    long lastFour = number % 10000;
    bool isTime = lastFour / 100 < 24 && lastFour % 100 < 60;
    Require(IsValidTime(text) == isTime, "TimeText of a time of day, and only of one, is valid");
    Require(!isTime || text == TwoDigits(lastFour / 100) + ":" + TwoDigits(lastFour % 100),
            "TimeText's digits");
}

constexpr int64_t kMin = std::numeric_limits<int64_t>::min(), kMax = std::numeric_limits<int64_t>::max();

void CheckNumbers(const std::string& text) {
    double screen = LeadingNumber(text);
    Require(!std::isnan(screen), "a field's number is never NaN");
    std::optional<int64_t> file = ReadFileNumber(text, kMin, kMax);
    for (auto [min, max] :
         {std::pair<int64_t, int64_t>{INT16_MIN, INT16_MAX}, {INT32_MIN, INT32_MAX}, {-1000, 1000}}) {
        const bool fits = file && *file >= min && *file <= max;
        Require(ReadFileNumber(text, min, max) == (fits ? file : std::nullopt),
                "a narrower field reads the same value or none: bounds never change it");
    }
    size_t first = text.find_first_not_of(" \t\n");
    if (first != std::string::npos && text[first] == '&')
        return Require(file == 0, "a file number knows no &H or &O");
    constexpr double kExact = 4503599627370496.0; // 2^52: every half is representable below it
    if (std::fabs(screen) < kExact) {
        Require(file.has_value(), "a number of ordinary size fits 64 bits");
        double difference = std::fabs(static_cast<double>(*file) - screen);
        bool tie = screen - std::floor(screen) == 0.5;
        Require(tie ? difference == 0.5 : static_cast<double>(*file) == std::nearbyint(screen),
                "a file number is the field's number rounded to the nearest integer");
    } else if (std::fabs(screen) > 1e19) {
        Require(!file, "a number beyond 64 bits does not fit");
    }
}

// A tie goes to the even neighbour, written plainly or with an exponent, either sign.
void CheckHalfEven(int64_t drawn) {
    int64_t whole = (drawn < 0 ? -(drawn + 1) : drawn) % 1'000'000'000'000'000;
    int64_t even = whole % 2 == 0 ? whole : whole + 1;
    for (const std::string& text : {std::to_string(whole) + ".5", std::to_string(whole * 10 + 5) + "e-1"}) {
        Require(ReadFileNumber(text, kMin, kMax) == even, "a positive tie goes to the even integer");
        Require(ReadFileNumber("-" + text, kMin, kMax) == -even, "a negative tie goes to the even integer");
    }
}

} // namespace
} // namespace qz::fuzz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace qz;
    using namespace qz::fuzz;
    std::string text(reinterpret_cast<const char*>(data), size);
    Require(IsValidIP(text) == IsAddress(text), "IsValidIP accepts exactly four parts of 1..255");
    CheckTime(text);
    CheckNumbers(text);
    int64_t number = 0;
    if (size > 0) std::memcpy(&number, data, std::min(size, sizeof number));
    CheckTimeNumber(static_cast<long>(number));
    CheckTimeNumber(static_cast<long>(number % 30000)); // mostly ordinary stored times
    CheckHalfEven(number);
    return 0;
}
