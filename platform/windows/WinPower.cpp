#include <windows.h>

#include <powrprof.h>

#include "platform/Backend.h"

namespace qz {

namespace {

// The previous state comes back in a buffer of one privilege entry.
static_assert(sizeof(TOKEN_PRIVILEGES) == 16);

// The system's message for an error code, as it gives it (usually ending in CR LF); empty when
// it has none.
std::string SystemErrorText(DWORD code) {
    char buffer[255];
    DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code,
                                  0, buffer, sizeof buffer, nullptr);
    return length > 0 ? std::string(buffer, length) : std::string();
}

class WinPower : public PowerApi {
  public:
    PrivilegeResult EnableShutdownPrivilege(PowerAction) override {
        LUID luid{};
        if (!LookupPrivilegeValueA(nullptr, "SeShutdownPrivilege", &luid))
            return {PrivilegeStep::LookupFailed, SystemErrorText(GetLastError())};
        HANDLE process = GetCurrentProcess();
        if (!process) return {PrivilegeStep::NoProcess, SystemErrorText(GetLastError())};
        HANDLE token = nullptr;
        if (!OpenProcessToken(process, TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token))
            return {PrivilegeStep::TokenFailed, SystemErrorText(GetLastError())};

        TOKEN_PRIVILEGES wanted{};
        wanted.PrivilegeCount = 1;
        wanted.Privileges[0].Luid = luid;
        wanted.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
        TOKEN_PRIVILEGES previous{};
        DWORD returned = 0;
        BOOL adjusted = AdjustTokenPrivileges(token, FALSE, &wanted, sizeof previous, &previous, &returned);
        // Read before CloseHandle can overwrite it.
        DWORD error = adjusted ? ERROR_SUCCESS : GetLastError();
        CloseHandle(token);
        if (!adjusted) return {PrivilegeStep::TokenFailed, SystemErrorText(error)};
        return {};
    }

    bool ExitWindows(int flags, std::string& systemText) override {
        if (ExitWindowsEx(static_cast<UINT>(flags), 0xFFFFFFFF)) return true;
        systemText = SystemErrorText(GetLastError());
        return false;
    }

    bool SetSuspendState(bool hibernate, std::string& systemText) override {
        if (::SetSuspendState(hibernate, TRUE, FALSE)) return true;
        systemText = SystemErrorText(GetLastError());
        return false;
    }
};

} // namespace

std::unique_ptr<PowerApi> MakePowerApi() {
    return std::make_unique<WinPower>();
}

} // namespace qz
