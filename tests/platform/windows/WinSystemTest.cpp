#include <gtest/gtest.h>

#include "platform/Backend.h"
#include "platform/windows/WinSystem.h"
#include "tests/support/TempDir.h"

#include <windows.h>

#include <cstdlib>
#include <filesystem>
#include <vector>

namespace qz {
namespace {

// The full path of a program built beside the test program.
std::string BesideTest(const std::string& program) {
    char self[MAX_PATH] = {};
    const std::string path(self, GetModuleFileNameA(nullptr, self, MAX_PATH));
    return path.substr(0, path.find_last_of("\\/") + 1) + program;
}

// The attributes of the token's group (0 without it), found otherwise than the code under test does.
DWORD GroupAttributes(HANDLE token, PSID group) {
    DWORD needed = 0;
    GetTokenInformation(token, TokenGroups, nullptr, 0, &needed);
    std::vector<DWORD_PTR> buffer(needed / sizeof(DWORD_PTR) + 1);
    if (!GetTokenInformation(token, TokenGroups, buffer.data(), needed, &needed)) return 0;
    const auto* groups = reinterpret_cast<const TOKEN_GROUPS*>(buffer.data());
    for (DWORD i = 0; i < groups->GroupCount; ++i)
        if (EqualSid(groups->Groups[i].Sid, group)) return groups->Groups[i].Attributes;
    return 0;
}

// The administrator answer follows the token's groups, a group kept only for denying access too; the
// shell's code for an address comes back; the viewer gets notepad and the path unquoted.
TEST(WinSystem, AdministratorAddressAndViewer) {
    BYTE admins[SECURITY_MAX_SID_SIZE];
    DWORD size = sizeof admins;
    HANDLE own = nullptr, restricted = nullptr;
    ASSERT_TRUE(CreateWellKnownSid(WinBuiltinAdministratorsSid, nullptr, admins, &size));
    ASSERT_TRUE(OpenProcessToken(GetCurrentProcess(), TOKEN_ALL_ACCESS, &own));
    const bool admin = GroupAttributes(own, admins) != 0;
    const auto system = MakeSystemServices();
    EXPECT_EQ(system->UserIsAdministrator(), admin);
    EXPECT_FALSE(TokenHasAdministratorsGroup(nullptr));
    SID_AND_ATTRIBUTES disable{admins, 0};
    if (admin) {
        ASSERT_TRUE(CreateRestrictedToken(own, 0, 1, &disable, 0, nullptr, 0, nullptr, &restricted));
        EXPECT_TRUE(TokenHasAdministratorsGroup(restricted));
        CloseHandle(restricted);
    }
    CloseHandle(own);

    test::TempDir dir;
    EXPECT_GT(system->OpenAddress(BesideTest("guard_holder.exe")), 32); // ends at once
    EXPECT_EQ(system->OpenAddress((dir.path() / "missing.htm").string()), SE_ERR_FNF);
    std::filesystem::create_directory(dir.path() / "log with blanks");
    const std::string path = (dir.path() / "log with blanks" / "Quenzel.log").string();
    ASSERT_TRUE(system->StartViewer(path));
    for (int i = 0; i < 300 && !std::filesystem::exists(path + ".seen"); ++i)
        Sleep(100);
    EXPECT_EQ(dir.Read("log with blanks/Quenzel.log.seen"), "notepad.exe " + path);
}

// A guard that cannot be created (no such namespace) is no other copy, and the program says why
// once. Another process sees the guard only while a handle is open.
TEST(WinInstanceGuard, AnotherProcessSeesTheGuardOnlyWhileAHandleIsOpen) {
    const std::string name = "QuenzelTest-" + std::to_string(GetCurrentProcessId());
    const std::string holder = "\"" + BesideTest("guard_holder.exe") + "\" " + name;
    auto guard = MakeInstanceGuard();
    bool existed = true;
    testing::internal::CaptureStderr();
    EXPECT_EQ(guard->Create("NoSuchNamespace\\Quenzel", true, existed), 0);
    EXPECT_FALSE(existed);
    guard->Create("NoSuchNamespace\\Quenzel", false, existed);
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_EQ(said.rfind("The single-instance lock \"NoSuchNamespace\\Quenzel\" could not be created (", 0),
              0u)
        << said;
    EXPECT_EQ(said.find('\n'), said.size() - 1) << "said once: " << said;

    const InstanceGuard::Handle first = guard->Create(name, true, existed);
    ASSERT_NE(first, 0);
    EXPECT_EQ(std::system(holder.c_str()), 3); // 2: it held the guard, 3: the guard existed
    guard->Close(first);
    EXPECT_EQ(std::system(holder.c_str()), 2);
}

} // namespace
} // namespace qz
