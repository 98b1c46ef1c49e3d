#pragma once
#include <string>

namespace qz {

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
    // Makes sure this process may shut the machine down.
    virtual PrivilegeResult EnableShutdownPrivilege() = 0;

    // Asks the system to end the session or go down: bits 1 shut down, 2 reboot, 4 force, 8 power off.
    // Returns false with the platform's text when the request is refused.
    virtual bool ExitWindows(int flags, std::string& systemText) = 0;

    // Suspends to disk (hibernate) or to memory. The result is not examined by the program.
    virtual void SetSuspendState(bool hibernate) = 0;
};

} // namespace qz
