#include "config/CheckSettings.h"

#include "config/Validation.h"

namespace qz {
namespace {

constexpr int16_t kMonitorType = 4;
constexpr int16_t kOff = 1, kOn = 2;

bool Outside(long value, long low, long high) {
    return value < low || value > high;
}

// Valid settings that are not enough to run in their mode.
bool Incomplete(const FileSettings& s) {
    bool validIP = IsValidIP(s.IPAdd);
    bool main = s.CMain == 1, slave = s.CMain == 2;
    bool monitor = s.ShutType == kMonitorType;
    return (!validIP && main && monitor && s.DName == 1) ||
           (s.IPAdd.empty() && main && monitor && s.DName == 2) || (s.Proc1.empty() && main) ||
           (slave && monitor) || (!validIP && slave && s.DName == 1) ||
           (s.IPAdd.empty() && slave && s.DName == 2);
}

bool On(int16_t flag) {
    return flag == kOn;
}

int16_t Flag(bool on) {
    return on ? kOn : kOff;
}

// The file's codes count from 1.
template <typename Enum> Enum FromCode(int16_t code) {
    return static_cast<Enum>(code - 1);
}

template <typename Enum> int16_t CodeOf(Enum value) {
    return static_cast<int16_t>(static_cast<int>(value) + 1);
}

} // namespace

SettingsCheck CheckSettings(FileSettings& s) {
    if (s.LogPath.empty()) s.LogPath = "Log\\";
    int errors = 0;
    auto fails = [&errors](bool failed) { errors += failed ? 1 : 0; };

    fails(s.DName == 1 && !s.IPAdd.empty() && !IsValidIP(s.IPAdd));
    fails(s.DName == 2 && (IsValidIP(s.IPAdd) || TextLength(s.IPAdd) > 100));
    fails(Outside(s.ComDelay, 5, 600));
    fails(Outside(s.CMain, 1, 2));
    fails(s.Del_On != 1 && s.Del_On != 2);
    fails(Outside(s.DelTime, 60, 10800));
    fails(Outside(s.DName, 1, 2));
    fails(Outside(s.Force, 1, 2));
    fails(Outside(s.ProcDelay, 5, 3600));
    for (const std::string* name : {&s.Proc1, &s.Proc2, &s.Proc3})
        fails(TextLength(*name) > 30);
    fails(Outside(s.LogLevel, 1, 3));
    fails(Outside(static_cast<long>(TextLength(s.LogName)), 8, 20));
    fails(Outside(static_cast<long>(TextLength(s.LogPath)), 2, 100));
    fails(!s.LogPath.empty() && !EndsWithFolderSeparator(s.LogPath));
    fails(Outside(s.Port1, 1024, 65535));
    fails(Outside(s.Port2, 1024, 65535));
    fails(Outside(s.RunOnTop, 1, 2));
    fails(Outside(s.ShutTime, 2, 600));
    fails(Outside(s.StartMin, 1, 2));
    fails(Outside(s.ShutType, 1, 6));
    fails(s.StartTime == 1 && Outside(s.StartDelay, 1, 3600));
    for (int16_t flag : {s.StartTime, s.Stop_On, s.UserExit})
        fails(Outside(flag, 1, 2));
    fails(s.StartTime == 2 && !IsValidTime(TimeText(s.StartDelay)));
    fails(Outside(s.StopTime, 0, 12359));
    fails(!IsValidTime(TimeText(s.StopTime)));
    fails(s.Del_On == 2 && s.ProcDelay >= s.DelTime);
    fails(!s.Proc2.empty() && s.Proc1.empty());
    fails(!s.Proc3.empty() && s.Proc2.empty());

    if (errors != 0) return SettingsCheck::Corrupt;
    return Incomplete(s) ? SettingsCheck::Incomplete : SettingsCheck::Complete;
}

Settings TypedSettings(const FileSettings& s) {
    Settings t;
    t.role = s.CMain == 2 ? Role::Slave : Role::Main;
    t.linkDelay = s.ComDelay;
    t.peerByName = On(s.DName);
    t.peerAddress = s.IPAdd;
    t.slavePort = s.Port1;
    t.mainPort = s.Port2;
    t.fixedDelayOn = On(s.Del_On);
    t.fixedDelay = s.DelTime;
    t.logLevel = FromCode<LogLevel>(s.LogLevel);
    t.logName = s.LogName;
    t.logFolder = s.LogPath;
    t.processNames = {s.Proc1, s.Proc2, s.Proc3};
    t.processDelay = s.ProcDelay;
    t.runOnTop = On(s.RunOnTop);
    t.startMinimised = On(s.StartMin);
    t.activation = On(s.StartTime) ? ActivationMode::AtTimeOfDay : ActivationMode::AfterDelay;
    t.activationDelay = s.StartDelay;
    t.stopTimeOn = On(s.Stop_On);
    t.stopTime = s.StopTime;
    t.force = On(s.Force);
    t.shutdownDelay = s.ShutTime;
    t.shutdownType = FromCode<ShutdownType>(s.ShutType);
    t.exitAdminOnly = On(s.UserExit);
    return t;
}

FileSettings FileForm(const Settings& t) {
    FileSettings s;
    s.CMain = t.role == Role::Slave ? 2 : 1;
    s.ComDelay = static_cast<int16_t>(t.linkDelay);
    s.DName = Flag(t.peerByName);
    s.IPAdd = t.peerAddress;
    s.Port1 = t.slavePort;
    s.Port2 = t.mainPort;
    s.Del_On = Flag(t.fixedDelayOn);
    s.DelTime = static_cast<int16_t>(t.fixedDelay);
    s.LogLevel = CodeOf(t.logLevel);
    s.LogName = t.logName;
    s.LogPath = t.logFolder;
    s.Proc1 = t.processNames[0];
    s.Proc2 = t.processNames[1];
    s.Proc3 = t.processNames[2];
    s.ProcDelay = static_cast<int16_t>(t.processDelay);
    s.RunOnTop = Flag(t.runOnTop);
    s.StartDelay = static_cast<int16_t>(t.activationDelay);
    s.StartMin = Flag(t.startMinimised);
    s.StartTime = Flag(t.activation == ActivationMode::AtTimeOfDay);
    s.StopTime = static_cast<int16_t>(t.stopTime);
    s.Stop_On = Flag(t.stopTimeOn);
    s.Force = Flag(t.force);
    s.ShutTime = static_cast<int16_t>(t.shutdownDelay);
    s.ShutType = CodeOf(t.shutdownType);
    s.UserExit = Flag(t.exitAdminOnly);
    return s;
}

} // namespace qz
