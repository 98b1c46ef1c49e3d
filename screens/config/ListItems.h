#pragma once
#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

namespace qz {

// An item of the screen's two lists and the setting code it stands for.
struct ListItem {
    std::string_view text;
    int16_t code;
};

inline constexpr std::array<ListItem, 6> kShutNameItems{
    {{"Power Off", 1}, {"Reboot", 2}, {"Shutdown", 3}, {"Monitor", 4}, {"Hibernate", 5}, {"StandBy", 6}}};
inline constexpr std::array<ListItem, 3> kLogLevelItems{{{"None", 1}, {"Normal", 2}, {"Full", 3}}};

// The code of a setting's item: the lists hold the values in their order, counted from 1.
template <typename Enum> int16_t ListCode(Enum value) {
    return static_cast<int16_t>(static_cast<int>(value) + 1);
}

template <size_t N>
std::optional<int16_t> CodeOf(const std::array<ListItem, N>& items, std::string_view text) {
    for (const ListItem& item : items) {
        if (item.text == text) return item.code;
    }
    return std::nullopt;
}

template <size_t N> std::optional<std::string_view> TextOf(const std::array<ListItem, N>& items, int code) {
    for (const ListItem& item : items) {
        if (item.code == code) return item.text;
    }
    return std::nullopt;
}

} // namespace qz
