#include "sensing/ProcessScan.h"

#include <array>
#include <string_view>

namespace qz {
namespace {

// ASCII only: locale-free, and a byte of a multi-byte character is never folded into another.
char FoldCase(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

std::string UpperCase(std::string_view text) {
    std::string upper(text);
    for (char& c : upper)
        c = FoldCase(c);
    return upper;
}

struct WantedName {
    std::string upper;
    int16_t weight;
    bool found = false;

    // Called for every process, so it folds in place instead of building an upper-case copy.
    bool Matches(std::string_view processName) const {
        if (upper.empty() || processName.size() != upper.size()) return false;
        for (size_t i = 0; i < upper.size(); ++i) {
            if (FoldCase(processName[i]) != upper[i]) return false;
        }
        return true;
    }
};

} // namespace

ScanResult ScanProcesses(ProcessTable& table, const std::string& name1, const std::string& name2,
                         const std::string& name3) {
    std::array<WantedName, 3> wanted{WantedName{UpperCase(name1), 1}, WantedName{UpperCase(name2), 10},
                                     WantedName{UpperCase(name3), 100}};
    ScanResult result;
    result.ok = table.ForEachName([&wanted](std::string_view processName) {
        for (WantedName& name : wanted) {
            if (name.Matches(processName)) name.found = true;
        }
    });
    for (const WantedName& name : wanted) {
        if (name.found) result.code = static_cast<int16_t>(result.code + name.weight);
    }
    return result;
}

} // namespace qz
