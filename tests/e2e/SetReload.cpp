// Sets the documented reload event of every quenzeld.exe in this wine prefix, as a script on
// Windows would; fails when none took it.
#include <windows.h>

#include <tlhelp32.h>

#include <string>

int main() {
    HANDLE all = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof(entry);
    int set = 0;
    for (BOOL more = Process32First(all, &entry); more; more = Process32Next(all, &entry)) {
        if (_stricmp(entry.szExeFile, "quenzeld.exe") != 0) continue;
        const std::string name = "Local\\Quenzel.Reload." + std::to_string(entry.th32ProcessID);
        if (HANDLE event = OpenEventA(EVENT_MODIFY_STATE, FALSE, name.c_str())) {
            set += SetEvent(event) ? 1 : 0;
            CloseHandle(event);
        }
    }
    CloseHandle(all);
    return set > 0 ? 0 : 1;
}
