#include "tests/faults/SaveTexts.h"

#include "config/ConfigWriter.h"

namespace qz::test {
namespace {

ConfigInput Input(std::string proc1, std::string proc3) {
    ConfigInput in;
    in.ComDelay = "60";
    in.Port1 = "10001";
    in.Port2 = "10000";
    in.DelTime = "90";
    in.LogName = "Quenzel.log";
    in.LogPath = "Log\\";
    in.Proc1 = std::move(proc1);
    in.Proc3 = std::move(proc3);
    in.ProcDelay = "120";
    in.StartDelay = "10";
    in.StopTime = "22:15";
    in.ShutTime = "30";
    in.LogLevel = 2;
    in.ShutType = 1;
    return in;
}

const LocalTime kSaved{2026, 12, 5, 10, 30, 0};

} // namespace

std::string SmallSaveText() {
    return ConfigFileText(Input("encoder.exe", ""), 1, kSaved);
}

std::string LargeSaveText() {
    std::string name;
    while (name.size() < 128 * 1024)
        name += "render-worker-";
    return ConfigFileText(Input("backup", name), 1, kSaved);
}

} // namespace qz::test
