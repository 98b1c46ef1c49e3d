#include "app/mdMain.h"

#include <array>
#include <string_view>

namespace qz {
namespace {

constexpr const char* kGuardName = "Quenzel";

bool EndsWithAllowMulti(std::string_view commandLine) {
    constexpr std::string_view kAllowMulti = "-AllowMulti";
    return commandLine.size() >= kAllowMulti.size() &&
           commandLine.substr(commandLine.size() - kAllowMulti.size()) == kAllowMulti;
}

} // namespace

int16_t ReadCmdLineMode(const std::string& commandLine) {
    struct Option {
        std::string_view text;
        int16_t mode;
    };
    constexpr std::array<Option, 4> kOptions{
        {{"-InhibitShutdown", 1}, {"-AddErrorMessage", 2}, {"-StartShutdown", 3}, {"-InhibitAdmin", 4}}};
    int16_t mode = 0;
    for (const Option& o : kOptions)
        if (std::string_view(commandLine).substr(0, o.text.size()) == o.text) mode = o.mode;
    return mode;
}

bool CheckPrevInstance(Program& p, const std::string& name, bool release) {
    InstanceGuard& guard = p.svc.guard;
    if (p.rt.MutexHandle != 0) {
        if (release) {
            guard.Close(p.rt.MutexHandle);
            p.rt.MutexHandle = 0;
        }
        return false;
    }
    bool existed = false;
    p.rt.MutexHandle = guard.Create(name, true, existed);
    if (!existed) return false;
    guard.Close(p.rt.MutexHandle);
    p.rt.MutexHandle = 0;
    return true;
}

StartWindow Main(Program& p) {
    const bool allow = EndsWithAllowMulti(p.rt.CommandLine);
    const bool another = CheckPrevInstance(p, kGuardName, false);
    if (!allow && another) return StartWindow::MultiInst;

    const bool allow2 = EndsWithAllowMulti(p.rt.CommandLine);
    const bool again = CheckPrevInstance(p, kGuardName, false);
    if (!allow2 && !again) {
        // A second handle on our own guard, never kept: the guard lives as long as the process.
        bool existed = false;
        p.svc.guard.Create(kGuardName, false, existed);
    }
    return StartWindow::Main;
}

} // namespace qz
