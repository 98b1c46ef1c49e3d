#include <gtest/gtest.h>

#include "platform/Backend.h"
#include "platform/windows/WinSystem.h"
#include "tests/support/TempDir.h"

#include <windows.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <thread>
#include <vector>

namespace qz {
namespace {

// The full path of a program built beside the test program.
std::string BesideTest(const std::string& program) {
    char self[MAX_PATH] = {};
    const std::string path(self, GetModuleFileNameA(nullptr, self, MAX_PATH));
    return path.substr(0, path.find_last_of("\\/") + 1) + program;
}

std::vector<BYTE> AdministratorsSid() {
    std::vector<BYTE> sid(SECURITY_MAX_SID_SIZE);
    DWORD size = SECURITY_MAX_SID_SIZE;
    if (!CreateWellKnownSid(WinBuiltinAdministratorsSid, nullptr, sid.data(), &size)) sid.clear();
    return sid;
}

// The attributes of the token's Administrators group, found otherwise than the code under test does.
std::optional<DWORD> AdministratorsAttributes(HANDLE token) {
    std::vector<BYTE> admins = AdministratorsSid();
    DWORD needed = 0;
    GetTokenInformation(token, TokenGroups, nullptr, 0, &needed);
    std::vector<DWORD_PTR> buffer(needed / sizeof(DWORD_PTR) + 1);
    if (admins.empty() || !GetTokenInformation(token, TokenGroups, buffer.data(), needed, &needed)) return {};
    const auto* groups = reinterpret_cast<const TOKEN_GROUPS*>(buffer.data());
    for (DWORD i = 0; i < groups->GroupCount; ++i)
        if (EqualSid(groups->Groups[i].Sid, admins.data())) return groups->Groups[i].Attributes;
    return {};
}

// The answer follows the token's groups; a group kept only for denying access still counts.
TEST(WinSystem, AdministratorAnswerFollowsTheProcessTokensGroups) {
    HANDLE own = nullptr, restricted = nullptr;
    ASSERT_TRUE(OpenProcessToken(GetCurrentProcess(), TOKEN_ALL_ACCESS, &own));
    const bool admin = AdministratorsAttributes(own).has_value();
    EXPECT_EQ(MakeSystemServices()->UserIsAdministrator(), admin);
    EXPECT_EQ(TokenHasAdministratorsGroup(own), admin);
    EXPECT_FALSE(TokenHasAdministratorsGroup(nullptr));
    std::vector<BYTE> admins = AdministratorsSid();
    SID_AND_ATTRIBUTES disable{admins.data(), 0};
    if (admin) {
        ASSERT_TRUE(CreateRestrictedToken(own, 0, 1, &disable, 0, nullptr, 0, nullptr, &restricted));
        EXPECT_NE(AdministratorsAttributes(restricted).value_or(0) & SE_GROUP_USE_FOR_DENY_ONLY, 0u);
        EXPECT_TRUE(TokenHasAdministratorsGroup(restricted));
        CloseHandle(restricted);
    }
    CloseHandle(own);
}

TEST(WinSystem, OpenAddressHandsBackTheShellsCode) {
    test::TempDir dir;
    EXPECT_GT(MakeSystemServices()->OpenAddress(BesideTest("guard_holder.exe")), 32); // ends at once
    EXPECT_EQ(MakeSystemServices()->OpenAddress((dir.path() / "missing.htm").string()), SE_ERR_FNF);
}

TEST(WinSystem, ViewerGetsNotepadAndThePathUnquoted) {
    test::TempDir dir;
    std::filesystem::create_directory(dir.path() / "log with blanks");
    const std::string path = (dir.path() / "log with blanks" / "Quenzel.log").string();
    ASSERT_TRUE(MakeSystemServices()->StartViewer(path));
    for (int i = 0; i < 300 && !std::filesystem::exists(path + ".seen"); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_EQ(dir.Read("log with blanks/Quenzel.log.seen"), "notepad.exe " + path);
}

int GuardInAnotherProcess(const std::string& name) { // 2: held it, 3: it existed
    return std::system(("\"" + BesideTest("guard_holder.exe") + "\" " + name).c_str());
}

TEST(WinInstanceGuard, AnotherProcessSeesTheGuardOnlyWhileAHandleIsOpen) {
    const std::string name = "QuenzelTest-" + std::to_string(GetCurrentProcessId());
    auto guard = MakeInstanceGuard();
    bool existed = true;
    const InstanceGuard::Handle first = guard->Create(name, true, existed);
    ASSERT_NE(first, 0);
    EXPECT_FALSE(existed);
    const InstanceGuard::Handle second = guard->Create(name, false, existed);
    EXPECT_TRUE(existed);
    EXPECT_EQ(GuardInAnotherProcess(name), 3);
    guard->Close(first);
    EXPECT_EQ(GuardInAnotherProcess(name), 3) << "the second handle still keeps the name";
    guard->Close(second);
    EXPECT_EQ(GuardInAnotherProcess(name), 2);
}

// No mutex in a namespace that does not exist: the program goes on as the only copy.
TEST(WinInstanceGuard, AGuardThatCannotBeCreatedIsNoOtherCopyAndSaysWhy) {
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
}

} // namespace
} // namespace qz
