#include "config/Numbers.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <string>

namespace qz {
namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

std::string WithoutBlanks(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        if (c != ' ' && c != '\t' && c != '\n') out += c;
    }
    return out;
}

// The decimal number at the start of a text as its significant digits and the power of ten that
// scales them, so that rounding can be done exactly on the digits.
struct Decimal {
    bool negative = false;
    std::string digits;   // without leading zeros; empty for zero
    int64_t exponent = 0; // value = digits * 10^exponent
    // Digits in front of the decimal point; zero or less for a value below 1.
    int64_t IntegerLength() const { return static_cast<int64_t>(digits.size()) + exponent; }
};

constexpr int64_t kExponentLimit = 1'000'000'000;

// The longest beginning of text that forms [sign] digits [. digits] [e [sign] digits]; no number = 0.
Decimal ScanDecimal(std::string_view text) {
    Decimal d;
    size_t i = 0;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) d.negative = text[i++] == '-';
    bool anyDigit = false;
    for (; i < text.size() && IsDigit(text[i]); ++i) {
        anyDigit = true;
        if (!d.digits.empty() || text[i] != '0') d.digits += text[i];
    }
    if (i < text.size() && text[i] == '.') {
        for (++i; i < text.size() && IsDigit(text[i]); ++i) {
            anyDigit = true;
            if (!d.digits.empty() || text[i] != '0') d.digits += text[i];
            --d.exponent;
        }
    }
    if (!anyDigit) return {};
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        size_t k = i + 1;
        bool negativeExponent = false;
        if (k < text.size() && (text[k] == '+' || text[k] == '-')) negativeExponent = text[k++] == '-';
        if (k < text.size() && IsDigit(text[k])) {
            int64_t power = 0;
            for (; k < text.size() && IsDigit(text[k]); ++k) {
                power = std::min(power * 10 + (text[k] - '0'), kExponentLimit);
            }
            d.exponent += negativeExponent ? -power : power;
        }
    }
    // Trailing zeros belong in the exponent; this keeps the digit string short for 1000000e-6.
    while (!d.digits.empty() && d.digits.back() == '0') {
        d.digits.pop_back();
        ++d.exponent;
    }
    return d;
}

// |value| rounded half to even, or nullopt when it exceeds 64 bits.
std::optional<uint64_t> RoundedMagnitude(const Decimal& d) {
    if (d.digits.empty()) return 0;
    int64_t integerLength = d.IntegerLength();
    if (integerLength > 20) return std::nullopt;
    uint64_t value = 0;
    for (int64_t k = 0; k < integerLength; ++k) {
        auto digit = static_cast<uint64_t>(k < static_cast<int64_t>(d.digits.size()) ? d.digits[k] - '0' : 0);
        if (value > (std::numeric_limits<uint64_t>::max() - digit) / 10) return std::nullopt;
        value = value * 10 + digit;
    }
    if (integerLength < 0 || integerLength >= static_cast<int64_t>(d.digits.size())) return value;
    char first = d.digits[integerLength];
    bool more = integerLength + 1 < static_cast<int64_t>(d.digits.size()); // nonzero: trailing zeros were cut
    bool up = first > '5' || (first == '5' && (more || value % 2 == 1));
    if (up && value == std::numeric_limits<uint64_t>::max()) return std::nullopt;
    return value + (up ? 1 : 0);
}

double HexOrOctal(std::string_view digits, int base) {
    double value = 0;
    for (char c : digits) {
        int digit = IsDigit(c)               ? c - '0'
                    : (c >= 'a' && c <= 'f') ? c - 'a' + 10
                    : (c >= 'A' && c <= 'F') ? c - 'A' + 10
                                             : 99;
        if (digit >= base) break;
        value = value * base + digit;
    }
    return value;
}

} // namespace

std::optional<int64_t> ReadFileNumber(std::string_view text, int64_t min, int64_t max) {
    Decimal d = ScanDecimal(WithoutBlanks(text));
    std::optional<uint64_t> magnitude = RoundedMagnitude(d);
    if (!magnitude) return std::nullopt;
    constexpr auto kMaxMagnitude = static_cast<uint64_t>(std::numeric_limits<int64_t>::max());
    int64_t value = 0;
    if (!d.negative) {
        if (*magnitude > kMaxMagnitude) return std::nullopt;
        value = static_cast<int64_t>(*magnitude);
    } else {
        if (*magnitude > kMaxMagnitude + 1) return std::nullopt;
        value = *magnitude == kMaxMagnitude + 1 ? std::numeric_limits<int64_t>::min()
                                                : -static_cast<int64_t>(*magnitude);
    }
    if (value < min || value > max) return std::nullopt;
    return value;
}

double LeadingNumber(std::string_view text) {
    std::string clean = WithoutBlanks(text);
    if (clean.size() >= 2 && clean[0] == '&') {
        if (clean[1] == 'H' || clean[1] == 'h') return HexOrOctal(std::string_view(clean).substr(2), 16);
        if (clean[1] == 'O' || clean[1] == 'o') return HexOrOctal(std::string_view(clean).substr(2), 8);
    }
    Decimal d = ScanDecimal(clean);
    if (d.digits.empty()) return 0;
    std::string scientific = d.digits + "e" + std::to_string(d.exponent);
    double value = 0;
    auto [end, ec] = std::from_chars(scientific.data(), scientific.data() + scientific.size(), value);
    if (ec == std::errc::result_out_of_range) {
        value = d.IntegerLength() > 0 ? std::numeric_limits<double>::infinity() : 0.0;
    }
    return d.negative ? -value : value;
}

std::string_view TrimBlanks(std::string_view text) {
    const size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

} // namespace qz
