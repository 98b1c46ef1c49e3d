#include <gtest/gtest.h>

#include "platform/Backend.h"
#include "platform/windows/WinSystem.h"
#include "tests/support/TempDir.h"
#include "tests/winsystem/BesideTest.h"

#include <windows.h>

#include <chrono>
#include <filesystem>
#include <thread>
#include <vector>

namespace qz {
namespace {

using test::BesideTest;
using test::TempDir;

// A token handle closed at the end of its scope.
struct Token {
    HANDLE handle = nullptr;
    ~Token() {
        if (handle != nullptr) CloseHandle(handle);
    }
};

std::vector<BYTE> AdministratorsSid() {
    std::vector<BYTE> sid(SECURITY_MAX_SID_SIZE);
    DWORD size = SECURITY_MAX_SID_SIZE;
    if (!CreateWellKnownSid(WinBuiltinAdministratorsSid, nullptr, sid.data(), &size)) sid.clear();
    return sid;
}

// The attributes of the Administrators group in the token, or nullopt when it has no such group.
// Compares identifiers, not names, so it does not share the way of the code under test.
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

TEST(WinSystem, AdministratorAnswerFollowsTheProcessTokensGroups) {
    Token own;
    ASSERT_TRUE(OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &own.handle));
    bool member = AdministratorsAttributes(own.handle).has_value();
    EXPECT_EQ(MakeSystemServices()->UserIsAdministrator(), member);
    EXPECT_EQ(TokenHasAdministratorsGroup(own.handle), member);
}

TEST(WinSystem, AdministratorsGroupForDenyingOnlyStillCounts) {
    Token own;
    ASSERT_TRUE(OpenProcessToken(GetCurrentProcess(), TOKEN_ALL_ACCESS, &own.handle));
    if (!AdministratorsAttributes(own.handle)) GTEST_SKIP() << "this user is not in the Administrators group";

    std::vector<BYTE> admins = AdministratorsSid();
    SID_AND_ATTRIBUTES disable{admins.data(), 0};
    Token restricted;
    ASSERT_TRUE(
        CreateRestrictedToken(own.handle, 0, 1, &disable, 0, nullptr, 0, nullptr, &restricted.handle));
    std::optional<DWORD> attributes = AdministratorsAttributes(restricted.handle);
    ASSERT_TRUE(attributes.has_value());
    ASSERT_NE(*attributes & SE_GROUP_USE_FOR_DENY_ONLY, 0u);

    EXPECT_TRUE(TokenHasAdministratorsGroup(restricted.handle));
}

TEST(WinSystem, HandleThatIsNoTokenIsNoAdministrator) {
    HANDLE event = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    ASSERT_NE(event, nullptr);
    EXPECT_FALSE(TokenHasAdministratorsGroup(event));
    EXPECT_FALSE(TokenHasAdministratorsGroup(nullptr));
    CloseHandle(event);
}

TEST(WinSystem, RaisePriorityMakesThreadHighestAndProcessHigh) {
    ASSERT_TRUE(SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_NORMAL));
    ASSERT_TRUE(SetPriorityClass(GetCurrentProcess(), NORMAL_PRIORITY_CLASS));
    ASSERT_EQ(GetThreadPriority(GetCurrentThread()), THREAD_PRIORITY_NORMAL);

    MakeSystemServices()->RaisePriority();
    EXPECT_EQ(GetThreadPriority(GetCurrentThread()), THREAD_PRIORITY_HIGHEST);
    EXPECT_EQ(GetPriorityClass(GetCurrentProcess()), static_cast<DWORD>(HIGH_PRIORITY_CLASS));

    SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_NORMAL);
    SetPriorityClass(GetCurrentProcess(), NORMAL_PRIORITY_CLASS);
}

TEST(WinSystem, OpenAddressHandsBackTheShellsCode) {
    TempDir dir;
    auto system = MakeSystemServices();
    // A program that ends at once stands in for the browser.
    EXPECT_GT(system->OpenAddress(BesideTest("guard_holder.exe")), 32);
    EXPECT_EQ(system->OpenAddress((dir.path() / "missing.htm").string()), SE_ERR_FNF);
}

TEST(WinSystem, ViewerGetsNotepadAndThePathUnquoted) {
    TempDir dir;
    std::filesystem::create_directory(dir.path() / "log with blanks");
    const std::string path = (dir.path() / "log with blanks" / "Quenzel.log").string();

    ASSERT_TRUE(MakeSystemServices()->StartViewer(path));

    // The viewer runs on its own; give it a while to leave its note.
    const std::filesystem::path seen = path + ".seen";
    for (int i = 0; i < 300 && !std::filesystem::exists(seen); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    ASSERT_TRUE(std::filesystem::exists(seen));
    EXPECT_EQ(dir.Read("log with blanks/Quenzel.log.seen"), "notepad.exe " + path);
}

} // namespace
} // namespace qz
