// The program's headers come before <windows.h>, whose macros (ExitWindows, ...) would rename
// their members.
#include "platform/windows/WinSystem.h"
#include "platform/Backend.h"

#include <windows.h>

#include <shellapi.h>

#include <string>
#include <vector>

namespace qz {
namespace {

constexpr DWORD kNameBufferLength = 255;

// Looks up the account name of sid on this machine; false when it cannot.
bool LookupName(PSID sid, std::string& name) {
    char account[kNameBufferLength] = {};
    char domain[kNameBufferLength] = {};
    DWORD accountLength = kNameBufferLength;
    DWORD domainLength = kNameBufferLength;
    SID_NAME_USE use{};
    if (LookupAccountSidA(nullptr, sid, account, &accountLength, domain, &domainLength, &use) != 1)
        return false;
    name = account;
    return true;
}

class WinSystem final : public SystemServices {
  public:
    void RaisePriority() override {
        (void)SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_HIGHEST);
        (void)SetPriorityClass(GetCurrentProcess(), HIGH_PRIORITY_CLASS);
    }

    bool UserIsAdministrator() override {
        HANDLE token = nullptr;
        if (OpenProcessToken(GetCurrentProcess(), READ_CONTROL | TOKEN_QUERY, &token) != 1) return false;
        bool admin = TokenHasAdministratorsGroup(token);
        CloseHandle(token);
        return admin;
    }

    int OpenAddress(const std::string& address) override {
        HINSTANCE result = ShellExecuteA(nullptr, "Open", address.c_str(), "", "", SW_SHOWNORMAL);
        return static_cast<int>(reinterpret_cast<INT_PTR>(result));
    }

    // The path goes to the editor as the rest of its command line, unquoted: the editor takes
    // everything after its name as the file name, blanks included. No shell is involved.
    bool StartViewer(const std::string& path) override {
        std::string commandLine = "notepad.exe " + path;
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESHOWWINDOW;
        startup.wShowWindow = SW_SHOWNORMAL;
        PROCESS_INFORMATION started{};
        if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                            &startup, &started))
            return false;
        CloseHandle(started.hThread);
        CloseHandle(started.hProcess);
        return true;
    }
};

} // namespace

bool TokenHasAdministratorsGroup(void* token) {
    DWORD needed = 0;
    if (GetTokenInformation(token, TokenGroups, nullptr, 0, &needed) != 0 || needed == 0) return false;
    // DWORD_PTR elements keep the group record's pointers aligned.
    std::vector<DWORD_PTR> buffer((needed + sizeof(DWORD_PTR) - 1) / sizeof(DWORD_PTR));
    if (GetTokenInformation(token, TokenGroups, buffer.data(), needed, &needed) != 1) return false;

    SID_IDENTIFIER_AUTHORITY ntAuthority = SECURITY_NT_AUTHORITY;
    PSID administrators = nullptr;
    if (AllocateAndInitializeSid(&ntAuthority, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 0, 0,
                                 0, 0, 0, 0, &administrators) != 1)
        return false;

    bool found = false;
    std::string administratorsName;
    if (LookupName(administrators, administratorsName)) {
        const auto* groups = reinterpret_cast<const TOKEN_GROUPS*>(buffer.data());
        for (DWORD i = 0; i < groups->GroupCount && !found; ++i) {
            std::string name;
            found = LookupName(groups->Groups[i].Sid, name) && name == administratorsName;
        }
    }
    FreeSid(administrators);
    return found;
}

std::unique_ptr<SystemServices> MakeSystemServices() {
    return std::make_unique<WinSystem>();
}

// A Windows program without a console has no standard handles, and nothing lands on them.
bool OpenClosedStandardStreams() {
    return true;
}

} // namespace qz
