#include <gtest/gtest.h>

#include "platform/Backend.h"
#include "tests/winsystem/BesideTest.h"

#include <windows.h>

#include <string>

namespace qz {
namespace {

using test::BesideTest;

std::string UniqueName(const char* what) {
    return std::string("QuenzelTest-") + what + "-" + std::to_string(GetCurrentProcessId());
}

// The guard holder as a child process, talking over its standard input and output.
class Holder {
  public:
    explicit Holder(const std::string& guardName) {
        SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
        HANDLE childIn = nullptr;
        HANDLE childOut = nullptr;
        if (!CreatePipe(&childIn, &toChild_, &inherit, 0) || !CreatePipe(&fromChild_, &childOut, &inherit, 0))
            return;
        SetHandleInformation(toChild_, HANDLE_FLAG_INHERIT, 0);
        SetHandleInformation(fromChild_, HANDLE_FLAG_INHERIT, 0);
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdInput = childIn;
        startup.hStdOutput = childOut;
        startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
        std::string commandLine = "\"" + BesideTest("guard_holder.exe") + "\" " + guardName;
        started_ = CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                                  &startup, &process_) != 0;
        CloseHandle(childIn);
        CloseHandle(childOut);
    }
    ~Holder() {
        Release();
        CloseHandle(fromChild_);
        if (started_) {
            CloseHandle(process_.hThread);
            CloseHandle(process_.hProcess);
        }
    }

    bool Started() const { return started_; }

    // The holder's one line of news, without its line end.
    std::string ReadLine() {
        std::string line;
        char c = 0;
        DWORD got = 0;
        while (ReadFile(fromChild_, &c, 1, &got, nullptr) && got == 1 && c != '\n')
            if (c != '\r') line += c;
        return line;
    }

    // Closes the holder's input, so it lets go of the guard and ends; waits for that.
    bool Release() {
        if (toChild_ != nullptr) {
            CloseHandle(toChild_);
            toChild_ = nullptr;
        }
        return started_ && WaitForSingleObject(process_.hProcess, 30000) == WAIT_OBJECT_0;
    }

  private:
    HANDLE toChild_ = nullptr;
    HANDLE fromChild_ = nullptr;
    PROCESS_INFORMATION process_{};
    bool started_ = false;
};

TEST(WinInstanceGuard, SeesTheGuardOfAnotherProcessOnlyWhileItIsHeld) {
    const std::string name = UniqueName("other");
    auto guard = MakeInstanceGuard();
    Holder holder(name);
    ASSERT_TRUE(holder.Started());
    ASSERT_EQ(holder.ReadLine(), "held");

    bool existed = false;
    InstanceGuard::Handle handle = guard->Create(name, true, existed);
    EXPECT_NE(handle, 0);
    EXPECT_TRUE(existed);
    guard->Close(handle);

    ASSERT_TRUE(holder.Release());
    handle = guard->Create(name, true, existed);
    EXPECT_NE(handle, 0);
    EXPECT_FALSE(existed);
    guard->Close(handle);
}

TEST(WinInstanceGuard, NameLivesWhileAnyHandleOfThisProcessIsOpen) {
    const std::string name = UniqueName("own");
    auto guard = MakeInstanceGuard();
    bool existed = true;
    InstanceGuard::Handle first = guard->Create(name, true, existed);
    ASSERT_NE(first, 0);
    EXPECT_FALSE(existed);

    // A second handle to a name this process holds: the name exists, as the system reports it.
    InstanceGuard::Handle second = guard->Create(name, false, existed);
    ASSERT_NE(second, 0);
    EXPECT_NE(second, first);
    EXPECT_TRUE(existed);

    guard->Close(first);
    InstanceGuard::Handle third = guard->Create(name, false, existed);
    EXPECT_TRUE(existed) << "the second handle still keeps the name";
    guard->Close(third);
    guard->Close(second);

    InstanceGuard::Handle fresh = guard->Create(name, true, existed);
    EXPECT_FALSE(existed) << "all handles closed, so the name is new again";
    guard->Close(fresh);
}

TEST(WinInstanceGuard, AnotherProcessSeesTheGuardOfThisOne) {
    const std::string name = UniqueName("mine");
    auto guard = MakeInstanceGuard();
    bool existed = true;
    InstanceGuard::Handle handle = guard->Create(name, true, existed);
    ASSERT_NE(handle, 0);
    ASSERT_FALSE(existed);

    Holder holder(name);
    ASSERT_TRUE(holder.Started());
    EXPECT_EQ(holder.ReadLine(), "existed");
    EXPECT_TRUE(holder.Release());
    guard->Close(handle);
}

} // namespace
} // namespace qz
