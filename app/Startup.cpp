#include "app/Startup.h"

#include "app/CommandLine.h"

namespace qz {
namespace {

constexpr const char* kGuardName = "Quenzel";

bool AllowsMulti(const std::string& commandLine) {
    return ReadOptions(commandLine).allowMulti;
}

} // namespace

StartOption ReadStartOption(const std::string& commandLine) {
    const Options options = ReadOptions(commandLine);
    return options.request == Request::Run ? options.start : StartOption::None;
}

std::string AnotherCopyNote(Program& p) {
    const InstanceGuard::Holder holder = p.svc.guard.HolderOf(kGuardName);
    const std::string who = holder.pid > 0 ? "Process " + std::to_string(holder.pid) : "Another process";
    return who + " holds the lock" + (holder.where.empty() ? std::string() : " " + holder.where) +
           ".\n\"-AllowMulti\" starts another copy beside it.\n";
}

bool CheckPrevInstance(Program& p, const std::string& name, bool release) {
    InstanceGuard& guard = p.svc.guard;
    if (p.rt.instanceHandle != 0) {
        if (release) {
            guard.Close(p.rt.instanceHandle);
            p.rt.instanceHandle = 0;
        }
        return false;
    }
    bool existed = false;
    p.rt.instanceHandle = guard.Create(name, true, existed);
    if (!existed) return false;
    guard.Close(p.rt.instanceHandle);
    p.rt.instanceHandle = 0;
    return true;
}

StartWindow Main(Program& p) {
    const bool allow = AllowsMulti(p.rt.commandLine);
    const bool another = CheckPrevInstance(p, kGuardName, false);
    if (!allow && another) return StartWindow::AlreadyRunning;

    const bool allow2 = AllowsMulti(p.rt.commandLine);
    const bool again = CheckPrevInstance(p, kGuardName, false);
    if (!allow2 && !again) {
        // A second handle on our own guard, never kept: the guard lives as long as the process.
        bool existed = false;
        p.svc.guard.Create(kGuardName, false, existed);
    }
    return StartWindow::Main;
}

} // namespace qz
