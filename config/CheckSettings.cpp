#include "config/CheckSettings.h"

#include "config/ConfigFile.h"
#include "config/Validation.h"

namespace qz {
namespace {

constexpr int16_t kMonitorType = 4;

bool Outside(long value, long low, long high) {
    return value < low || value > high;
}

// Valid settings that are not enough to run in their mode.
bool Incomplete(const Settings& s) {
    bool validIP = IsValidIP(s.IPAdd);
    bool main = s.CMain == 1, slave = s.CMain == 2;
    bool monitor = s.ShutType == kMonitorType;
    return (!validIP && main && monitor && s.DName == 1) ||
           (s.IPAdd.empty() && main && monitor && s.DName == 2) || (s.Proc1.empty() && main) ||
           (slave && monitor) || (!validIP && slave && s.DName == 1) ||
           (s.IPAdd.empty() && slave && s.DName == 2);
}

} // namespace

void CheckSettings(Program& p) {
    Settings& s = p.set;
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

    if (Incomplete(s)) p.rt.NotConfigured = true;
    if (errors != 0) ConfigCorrupted(p);
}

} // namespace qz
