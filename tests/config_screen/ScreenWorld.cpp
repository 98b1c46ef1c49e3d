#include "tests/config_screen/ScreenWorld.h"

#include <filesystem>

#include "config/CheckSettings.h"
#include "config/ConfigFile.h"

namespace qz::test {

Settings MainSettings() {
    Settings s;
    s.CMain = 1;
    s.ComDelay = 60;
    s.DName = 1;
    s.Port1 = 10001;
    s.Port2 = 10000;
    s.Del_On = 1;
    s.DelTime = 90;
    s.LogLevel = 2;
    s.LogName = "Quenzel.log";
    s.LogPath = "Log\\";
    s.Proc1 = "editor";
    s.ProcDelay = 60;
    s.RunOnTop = 1;
    s.StartDelay = 2;
    s.StartMin = 1;
    s.StartTime = 1;
    s.StopTime = 0;
    s.Stop_On = 1;
    s.Force = 2;
    s.ShutTime = 60;
    s.ShutType = 1;
    s.UserExit = 1;
    return s;
}

Settings SlaveSettings() {
    Settings s = MainSettings();
    s.CMain = 2;
    s.IPAdd = "1.1.1.1";
    s.Proc1.clear();
    return s;
}

const char* const kMainConfigFile = "# Quenzel Version 1.6\r\n"
                                    "[Comms]\r\n"
                                    "CMain=1\r\n"
                                    "ComDelay=60\r\n"
                                    "DName=1\r\n"
                                    "IPAdd=\r\n"
                                    "Port1=10001\r\n"
                                    "Port2=10000\r\n"
                                    "[Run]\r\n"
                                    "Del_On=1\r\n"
                                    "DelTime=90\r\n"
                                    "LogLevel=2\r\n"
                                    "LogName=Quenzel.log\r\n"
                                    "LogPath=Log\\\r\n"
                                    "Proc1=editor\r\n"
                                    "Proc2=\r\n"
                                    "Proc3=\r\n"
                                    "ProcDelay=60\r\n"
                                    "RunOnTop=1\r\n"
                                    "StartDelay=2\r\n"
                                    "StartMin=1\r\n"
                                    "StartTime=1\r\n"
                                    "StopTime=10000\r\n"
                                    "Stop_On=1\r\n"
                                    "[Shutdown]\r\n"
                                    "Force=2\r\n"
                                    "ShutTime=60\r\n"
                                    "ShutType=1\r\n"
                                    "UserExit=1\r\n";

ScreenWorld::ScreenWorld() {
    dir.Write("Data/Quenzel.ini", kMainConfigFile);
    std::filesystem::create_directory(dir.path() / "Log");
    p.set = MainSettings();
}

frmConfig& ScreenWorld::Open() {
    screen.emplace(p, host);
    screen->Form_Load();
    return *screen;
}

Settings ScreenWorld::ReadBack() {
    FakeWorld reader(dir.path());
    ReadConfigFile(reader.program);
    CheckSettings(reader.program);
    return reader.program.set;
}

std::vector<std::pair<std::string, const LabelView*>> Hints(const ConfigView& v) {
    return {{"IPAddM", &v.IPAddM},       {"ComDelayM", &v.ComDelayM},     {"LogLevelM", &v.LogLevelM},
            {"LogNameM", &v.LogNameM},   {"LogPathM", &v.LogPathM},       {"Port1M", &v.Port1M},
            {"Port2M", &v.Port2M},       {"Proc1M", &v.Proc1M},           {"Proc2M", &v.Proc2M},
            {"Proc3M", &v.Proc3M},       {"ProcDelayM", &v.ProcDelayM},   {"ShutTimeM", &v.ShutTimeM},
            {"ShutTypeM", &v.ShutTypeM}, {"StartDelayM", &v.StartDelayM}, {"DelTimeM", &v.DelTimeM},
            {"StopTimeM", &v.StopTimeM}};
}

std::vector<std::string> MarkedHints(const ConfigView& v) {
    std::vector<std::string> marked;
    for (const auto& [name, hint] : Hints(v)) {
        bool isMarked = hint->fore == kOrange && hint->bold;
        bool isNormal = hint->fore == kDarkGreen && !hint->bold;
        if (isMarked) marked.push_back(name);
        if (!isMarked && !isNormal) marked.push_back(name + "(mixed look)");
    }
    return marked;
}

} // namespace qz::test
