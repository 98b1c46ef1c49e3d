#include "config/ConfigFile.h"

#include <array>
#include <limits>
#include <string_view>
#include <variant>

#include "config/CheckSettings.h"
#include "config/Numbers.h"
#include "core/PathChecks.h"
#include "platform/FileSys.h"

namespace qz {
namespace {

using Field = std::variant<int16_t FileSettings::*, int32_t FileSettings::*, std::string FileSettings::*>;

struct Key {
    std::string_view prefix;
    Field field;
};

// In the order the reader tests them; no prefix begins another.
const std::array<Key, 25> kKeys{{
    {"ComDelay=", &FileSettings::ComDelay}, {"CMain=", &FileSettings::CMain},
    {"Del_On=", &FileSettings::Del_On},     {"DelTime=", &FileSettings::DelTime},
    {"DName=", &FileSettings::DName},       {"Force=", &FileSettings::Force},
    {"IPAdd=", &FileSettings::IPAdd},       {"LogLevel=", &FileSettings::LogLevel},
    {"LogName=", &FileSettings::LogName},   {"LogPath=", &FileSettings::LogPath},
    {"Port1=", &FileSettings::Port1},       {"Port2=", &FileSettings::Port2},
    {"Proc1=", &FileSettings::Proc1},       {"Proc2=", &FileSettings::Proc2},
    {"Proc3=", &FileSettings::Proc3},       {"ProcDelay=", &FileSettings::ProcDelay},
    {"RunOnTop=", &FileSettings::RunOnTop}, {"ShutTime=", &FileSettings::ShutTime},
    {"ShutType=", &FileSettings::ShutType}, {"StartDelay=", &FileSettings::StartDelay},
    {"StartMin=", &FileSettings::StartMin}, {"StartTime=", &FileSettings::StartTime},
    {"StopTime=", &FileSettings::StopTime}, {"Stop_On=", &FileSettings::Stop_On},
    {"UserExit=", &FileSettings::UserExit},
}};

constexpr std::array<std::string_view, 3> kSections{"[Comms]", "[Run]", "[Shutdown]"};
constexpr int16_t kTimeOffset = 10000;
// Far above any real file (about 700 bytes); anything larger is not this program's configuration.
constexpr size_t kMaxFileSize = size_t{64} * 1024;

template <typename Int> bool StoreNumber(Int& field, std::string_view value) {
    auto number = ReadFileNumber(value, std::numeric_limits<Int>::min(), std::numeric_limits<Int>::max());
    if (number) field = static_cast<Int>(*number);
    return number.has_value();
}

// Stores the value into its field; false when a number does not fit the field.
bool Store(FileSettings& s, const Field& field, std::string_view value) {
    return std::visit(
        [&](auto member) {
            auto& target = s.*member;
            if constexpr (std::is_same_v<std::decay_t<decltype(target)>, std::string>) {
                target = std::string(value);
                return true;
            } else {
                return StoreNumber(target, value);
            }
        },
        field);
}

// Removes the file form's offset from a time; false when the result no longer fits its field.
bool RemoveTimeOffset(int16_t& time) {
    int value = time - kTimeOffset;
    if (value < std::numeric_limits<int16_t>::min()) return false;
    time = static_cast<int16_t>(value);
    return true;
}

// The settings and ConfigText a file's text holds, or nullopt when the text is corrupt.
std::optional<std::pair<FileSettings, std::string>> Parse(std::string_view content, FileSettings s) {
    // A text file holds no NUL; one means a binary or wide-character file.
    if (content.find('\0') != std::string_view::npos) return std::nullopt;
    std::string configText = "\nConfiguration\n-------------";
    long keysLeft = static_cast<long>(kKeys.size());
    long sectionsLeft = static_cast<long>(kSections.size());
    for (const std::string& read : SplitLines(content)) {
        if (read.empty() || read.front() == '#') continue;
        std::string_view line = TrimBlanks(read);
        for (const Key& key : kKeys) {
            if (line.starts_with(key.prefix)) {
                if (!Store(s, key.field, line.substr(key.prefix.size()))) return std::nullopt;
                --keysLeft;
                break;
            }
        }
        for (std::string_view section : kSections) {
            if (line == section) --sectionsLeft;
        }
        if (line.starts_with('[')) configText += '\n';
        if (!line.starts_with("CMain=")) {
            configText += '\n';
            configText += line;
        }
    }
    if (!RemoveTimeOffset(s.StopTime)) return std::nullopt;
    if (s.StartTime == 2 && !RemoveTimeOffset(s.StartDelay)) return std::nullopt;
    if (keysLeft != 0 || sectionsLeft != 0) return std::nullopt;
    return std::pair{std::move(s), std::move(configText)};
}

} // namespace

Fault CorruptConfig() {
    return {MsgIcon::Critical, "Configuration File Error",
            "The configuration file is corrupted.\r\nReinstall the program to restore the file.\r\n"
            "The program will now terminate."};
}

Result<ConfigRead> ReadConfigFile(const FileSys& files, const Settings* previous) {
    if (Result<void> dir = CheckDataDir(files); !dir) return dir.fault();
    if (Result<void> file = CheckConfigFile(files, kConfigPath); !file) return file.fault();
    std::optional<std::string> content = files.ReadText(kConfigPath, kMaxFileSize);
    if (!content) return CorruptConfig();
    // A key the file lacks keeps the value read last time (none before the first read), so a
    // duplicate line can stand in for it.
    auto parsed = Parse(*content, previous ? FileForm(*previous) : FileSettings{});
    if (!parsed) return CorruptConfig();
    const SettingsCheck check = CheckSettings(parsed->first);
    if (check == SettingsCheck::Corrupt) return CorruptConfig();
    return ConfigRead{TypedSettings(parsed->first), std::move(parsed->second),
                      check == SettingsCheck::Complete};
}

} // namespace qz
