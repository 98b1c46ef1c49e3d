#pragma once
#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

#include "core/Settings.h"

namespace qz {

// An item of the screen's two lists and the setting value it stands for.
template <class Enum> struct ListItem {
    std::string_view text;
    Enum value;
};

inline constexpr std::array<ListItem<ShutdownType>, 6> kShutdownTypeItems{
    {{"Power Off", ShutdownType::PowerOff},
     {"Reboot", ShutdownType::Reboot},
     {"Shutdown", ShutdownType::Shutdown},
     {"Monitor", ShutdownType::Monitor},
     {"Hibernate", ShutdownType::Hibernate},
     {"StandBy", ShutdownType::Standby}}};
inline constexpr std::array<ListItem<LogLevel>, 3> kLogLevelItems{
    {{"None", LogLevel::None}, {"Normal", LogLevel::Normal}, {"Full", LogLevel::Full}}};

// The value an item's text stands for; none for a text that is no item.
template <class Enum, size_t N>
std::optional<Enum> ValueOf(const std::array<ListItem<Enum>, N>& items, std::string_view text) {
    for (const ListItem<Enum>& item : items) {
        if (item.text == text) return item.value;
    }
    return std::nullopt;
}

// Every value has its item.
template <class Enum, size_t N>
std::string_view TextOf(const std::array<ListItem<Enum>, N>& items, Enum value) {
    for (const ListItem<Enum>& item : items) {
        if (item.value == value) return item.text;
    }
    return {};
}

// The code the configuration file stores for a value: the values in their order, counted from 1.
template <class Enum> int CodeOf(Enum value) {
    return static_cast<int>(value) + 1;
}

} // namespace qz
