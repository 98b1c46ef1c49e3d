#pragma once
#include <string>

// <windows.h> defines ExitWindows as a macro, which would rewrite the method below.
#ifdef ExitWindows
#undef ExitWindows
#endif

namespace qz {

// The bits of an exit request, as the window system defines them.
inline constexpr int kExitShutdown = 1;
inline constexpr int kExitReboot = 2;
inline constexpr int kExitForce = 4;
inline constexpr int kExitPowerOff = 8;

// What a power request will do to the machine, so that a backend can ask about that very action.
enum class PowerAction { EndSession, PowerOff, Reboot, Hibernate, Suspend };

// The action an exit request with these flags asks for. A request that names both going down and
// coming back goes down.
constexpr PowerAction ExitAction(int flags) {
    if (flags & (kExitPowerOff | kExitShutdown)) return PowerAction::PowerOff;
    if (flags & kExitReboot) return PowerAction::Reboot;
    return PowerAction::EndSession;
}

// What the operating system offers for power actions. The program's rules (ranges, error numbers,
// texts) sit on top of this in power/.
class PowerApi {
  public:
    virtual ~PowerApi() = default;

    enum class PrivilegeStep { Enabled, LookupFailed, NoProcess, TokenFailed };
    struct PrivilegeResult {
        PrivilegeStep step = PrivilegeStep::Enabled;
        std::string systemText; // the platform's text for the failure, as it gives it
    };
    // Makes sure this process may carry out the action.
    virtual PrivilegeResult EnableShutdownPrivilege(PowerAction action) = 0;

    // Asks the system to end the session or go down: bits 1 shut down, 2 reboot, 4 force, 8 power off.
    // Returns false with the platform's text when the request is refused.
    virtual bool ExitWindows(int flags, std::string& systemText) = 0;

    // Suspends to disk (hibernate) or to memory. Returns false with the platform's text when the
    // request is refused.
    virtual bool SetSuspendState(bool hibernate, std::string& systemText) = 0;
};

} // namespace qz
