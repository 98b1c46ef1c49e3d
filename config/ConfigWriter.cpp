#include "config/ConfigWriter.h"

#include <array>
#include <charconv>
#include <cstdio>

#include "config/ConfigFile.h"
#include "config/Numbers.h"
#include "core/PathChecks.h"

namespace qz {
namespace {

constexpr double kTimeOffset = 10000;

// The shortest decimal text that reads back as the same value; whole numbers without a point.
std::string ShortestDecimal(double value) {
    if (value == 0) return "0"; // also for -0
    std::array<char, 400> buffer{};
    auto result =
        std::to_chars(buffer.data(), buffer.data() + buffer.size(), value, std::chars_format::fixed);
    return std::string(buffer.data(), result.ptr);
}

std::string FieldNumber(const std::string& field) {
    return ShortestDecimal(LeadingNumber(field));
}

// A time field "hh:mm" in file form, 10000 + hh * 100 + mm. The two halves are taken by their values,
// so a sign or a blank in front of the hour cannot shift the digits.
std::string FileTime(std::string_view field) {
    std::string_view hours = field.substr(0, 2);
    std::string_view minutes = field.substr(field.size() < 2 ? 0 : field.size() - 2);
    return ShortestDecimal(kTimeOffset + 100 * LeadingNumber(hours) + LeadingNumber(minutes));
}

std::string_view Flag(bool ticked) {
    return ticked ? "2" : "1";
}

// A field text is written on one line; a line break or NUL in it would break the file apart.
std::string OneLine(std::string_view text) {
    std::string out;
    for (char c : text) {
        if (c != '\r' && c != '\n' && c != '\0') out += c;
    }
    return out;
}

} // namespace

std::string ConfigFileText(const ConfigInput& in, Role role, const LocalTime& now) {
    std::string activation = in.StartTime ? FileTime(in.StartDelay) : FieldNumber(in.StartDelay);
    std::string text;
    auto line = [&text](std::string_view a, std::string_view b = {}) { text.append(a).append(b) += '\n'; };
    line("# Quenzel Version ", std::to_string(kVersionMajor) + "." + std::to_string(kVersionMinor));
    line("# ", "Configuration File");
    line("# ", TimeStamp(now));
    line("");
    line("[Comms]");
    line("CMain=", role == Role::Slave ? "2" : "1");
    line("ComDelay=", FieldNumber(in.ComDelay));
    line("DName=", Flag(in.DName));
    line("IPAdd=", OneLine(in.IPAdd));
    line("Port1=", FieldNumber(in.Port1));
    line("Port2=", FieldNumber(in.Port2));
    line("");
    line("[Run]");
    line("Del_On=", Flag(in.Del_On));
    line("DelTime=", FieldNumber(in.DelTime));
    line("LogLevel=", std::to_string(in.LogLevel));
    line("LogName=", OneLine(in.LogName));
    line("LogPath=", OneLine(in.LogPath));
    line("Proc1=", OneLine(in.Proc1));
    line("Proc2=", OneLine(in.Proc2));
    line("Proc3=", OneLine(in.Proc3));
    line("ProcDelay=", FieldNumber(in.ProcDelay));
    line("RunOnTop=", Flag(in.RunOnTop));
    line("StartDelay=", activation);
    line("StartMin=", Flag(in.StartMin));
    line("StartTime=", Flag(in.StartTime));
    line("StopTime=", FileTime(in.StopTime));
    line("Stop_On=", Flag(in.Stop_On));
    line("");
    line("[Shutdown]");
    line("Force=", Flag(in.Force));
    line("ShutTime=", FieldNumber(in.ShutTime));
    line("ShutType=", std::to_string(in.ShutType));
    line("UserExit=", Flag(in.UserExit));
    line("");
    return text + '\n';
}

Result<void> WriteConfigFile(const FileSys& files, const std::string& text) {
    if (Result<void> dir = CheckDataDir(files); !dir) return dir;
    if (Result<void> file = CheckConfigFile(files, kConfigPath); !file) return file;
    if (files.ReplaceText(kConfigPath, text)) return {};
    return Fault{MsgIcon::Exclamation, "Configuration File Error",
                 std::string("Unable to write to the configuration file. ") + kConfigName +
                     "\r\nThis may be a permissions problem.",
                 false};
}

} // namespace qz
