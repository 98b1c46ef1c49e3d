#pragma once
#include <cstdint>
#include <string>

#include "core/Settings.h"

namespace qz {

// The 25 values as the configuration file holds them, named by their keys, in the widths the file's
// numbers must fit. Flags: 1 off, 2 on. Times of day: hh * 100 + mm, the file's offset removed.
struct FileSettings {
    int16_t CMain = 0; // 1 main station, 2 slave
    int16_t ComDelay = 0;
    int16_t DName = 0; // 1 IPAdd is an IP address, 2 a domain name
    std::string IPAdd;
    int32_t Port1 = 0;
    int32_t Port2 = 0;
    int16_t Del_On = 0;
    int16_t DelTime = 0;
    int16_t LogLevel = 0; // 1 None, 2 Normal, 3 Full
    std::string LogName;
    std::string LogPath;
    std::string Proc1;
    std::string Proc2;
    std::string Proc3;
    int16_t ProcDelay = 0;
    int16_t RunOnTop = 0;
    int16_t StartDelay = 0; // seconds (StartTime 1) or a time of day (StartTime 2)
    int16_t StartMin = 0;
    int16_t StartTime = 0;
    int16_t StopTime = 0;
    int16_t Stop_On = 0;
    int16_t Force = 0;
    int16_t ShutTime = 0;
    int16_t ShutType = 0; // 1..6 in the order of ShutdownType
    int16_t UserExit = 0;
};

enum class SettingsCheck {
    Complete,
    Incomplete, // valid, but not enough to run in the station's role
    Corrupt
};

// Checks the values read; an empty LogPath becomes the default folder first.
SettingsCheck CheckSettings(FileSettings& s);

// The typed form of checked values, and the file form of typed ones.
Settings TypedSettings(const FileSettings& s);
FileSettings FileForm(const Settings& t);

} // namespace qz
