#include "power/PowerControl.h"

namespace qz {

namespace {

[[noreturn]] void Raise(const Program& p, int32_t number, const std::string& description) {
    throw PowerError(number, p.rt.exeName + ".mShutDown", description);
}

bool Suspend(Program& p, bool hibernate) {
    EnableShutdownPrivilege(p, hibernate ? PowerAction::Hibernate : PowerAction::Suspend);
    std::string systemText;
    if (!p.svc.power.SetSuspendState(hibernate, systemText))
        Raise(p, kErrShutdownFailed,
              (hibernate ? "HibernateSystem failed: " : "StandbySystem failed: ") + systemText);
    return true;
}

} // namespace

bool EnableShutdownPrivilege(Program& p, PowerAction action) {
    const auto result = p.svc.power.EnableShutdownPrivilege(action);
    const std::string bracketed = "[" + result.systemText + "]";
    switch (result.step) {
    case PowerApi::PrivilegeStep::Enabled:
        return true;
    case PowerApi::PrivilegeStep::LookupFailed:
        Raise(p, kErrNoPrivilegeValue,
              "Can't enable shutdown: Can't find the SE_SHUTDOWN_NAME privilege value. " + bracketed);
    case PowerApi::PrivilegeStep::NoProcess:
        Raise(p, kErrNoProcess, "Can't enable shutdown: Can't determine the current process. " + bracketed);
    case PowerApi::PrivilegeStep::TokenFailed:
        break;
    }
    Raise(p, kErrNoPrivileges,
          "Can't enable shutdown: You do not have the privileges to shutdown this system. " + bracketed);
}

bool ShutdownSystem(Program& p, int32_t flags) {
    if (flags < 0 || flags > 31)
        Raise(p, kErrInvalidFlags, "Invalid parameter to ShutdownSystem: " + std::to_string(flags));
    EnableShutdownPrivilege(p, ExitAction(flags));
    std::string systemText;
    if (!p.svc.power.ExitWindows(flags, systemText))
        Raise(p, kErrShutdownFailed, "ShutdownSystem failed: " + systemText);
    return true;
}

bool HibernateSystem(Program& p) {
    return Suspend(p, true);
}

bool StandbySystem(Program& p) {
    return Suspend(p, false);
}

} // namespace qz
