#include "config/Validation.h"

#include <array>

#include "config/Numbers.h"

namespace qz {
namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// One part of an address: digits only, 1..255, leading zeros allowed.
bool IsAddressPart(std::string_view part) {
    long value = 0;
    for (char c : part) {
        value = value * 10 + (c - '0');
        if (value > 255) return false;
    }
    return value >= 1;
}

// A number with an optional sign and decimal point, blanks allowed around it and after the sign.
bool IsNumericText(std::string_view text) {
    size_t i = 0;
    auto skipBlanks = [&] {
        while (i < text.size() && text[i] == ' ')
            ++i;
    };
    skipBlanks();
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        ++i;
        skipBlanks();
    }
    bool digits = false, point = false;
    for (; i < text.size(); ++i) {
        if (IsDigit(text[i])) {
            digits = true;
        } else if (text[i] == '.' && !point) {
            point = true;
        } else {
            break;
        }
    }
    skipBlanks();
    return digits && i == text.size();
}

// A whole number in [0, limit): a fraction would not survive being written back as hh and mm.
bool IsTimeValue(std::string_view text, double limit) {
    if (!IsNumericText(text)) return false;
    double value = LeadingNumber(text);
    return value >= 0 && value < limit && value == static_cast<double>(static_cast<long>(value));
}

} // namespace

bool IsValidIP(std::string_view text) {
    if (text.empty() || text.front() == '.' || text.back() == '.') return false;
    for (char c : text) {
        if (c != '.' && !IsDigit(c)) return false;
    }
    std::array<std::string_view, 4> parts;
    size_t count = 0, start = 0;
    for (size_t dot = text.find('.'); dot != std::string_view::npos; dot = text.find('.', start)) {
        if (count == 3) return false;
        parts[count++] = text.substr(start, dot - start);
        start = dot + 1;
    }
    if (count < 3) return false;
    parts[3] = text.substr(start);
    for (std::string_view part : parts) {
        if (!IsAddressPart(part)) return false;
    }
    return true;
}

bool IsValidTime(std::string_view text) {
    return text.size() == 5 && text[2] == ':' && IsTimeValue(text.substr(0, 2), 24) &&
           IsTimeValue(text.substr(3, 2), 60);
}

std::string TimeText(long number) {
    std::string digits = "000" + std::to_string(number);
    digits.erase(0, digits.size() - 4);
    return digits.substr(0, 2) + ":" + digits.substr(2, 2);
}

size_t TextLength(std::string_view text) {
    size_t codePoints = 0;
    for (size_t i = 0; i < text.size(); ++codePoints) {
        auto lead = static_cast<unsigned char>(text[i]);
        size_t length = lead < 0x80           ? 1
                        : (lead >> 5) == 0x6  ? 2
                        : (lead >> 4) == 0xE  ? 3
                        : (lead >> 3) == 0x1E ? 4
                                              : 0;
        if (length == 0 || i + length > text.size()) return text.size();
        for (size_t k = 1; k < length; ++k) {
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return text.size();
        }
        i += length;
    }
    return codePoints;
}

bool EndsWithFolderSeparator(std::string_view path) {
    if (path.empty()) return false;
#ifdef _WIN32
    return path.back() == '\\';
#else
    return path.back() == '\\' || path.back() == '/';
#endif
}

} // namespace qz
