#pragma once
#include <deque>
#include <exception>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "core/Program.h"

namespace qz::test {

// Thrown by FakeHost::EndProgram so a test can see the end and carry on.
struct ProgramEnded {
    int status;
};

struct ShownMessage {
    MsgIcon icon;
    MsgButtons buttons;
    std::string title;
    std::string text;
};

class FakeHost : public Host {
  public:
    Answer ShowMessage(MsgIcon icon, MsgButtons buttons, const std::string& title,
                       const std::string& text) override;
    void RemoveTrayIcon() override { ++trayRemovals; }
    [[noreturn]] void EndProgram(int status) override;

    std::vector<ShownMessage> messages;
    std::deque<Answer> answers; // answers to give, in order; Ok/No/Cancel by default
    int trayRemovals = 0;
    std::optional<int> endedWith;
};

class FakeClock : public Clock {
  public:
    LocalTime Now() const override { return now; }
    LocalTime now{2026, 12, 5, 10, 30, 0};
};

class FakeProcessTable : public ProcessTable {
  public:
    bool ForEachName(const std::function<void(std::string_view)>& visit) override;
    ProcessWatch Watch() const override { return watch; }
    std::vector<std::string> names;
    ProcessWatch watch;
    bool fails = false;
};

class FakePower : public PowerApi {
  public:
    PrivilegeResult EnableShutdownPrivilege(PowerAction action) override;
    bool ExitWindows(int flags, std::string& systemText) override;
    bool SetSuspendState(bool hibernate, std::string& systemText) override;

    PrivilegeResult privilege; // what EnableShutdownPrivilege answers
    bool exitAccepted = true;
    std::string exitRefusal;    // the system text of a refused exit
    std::vector<int> exitCalls; // flags of every exit call
    std::vector<bool> suspends; // true = hibernate
    int privilegeCalls = 0;
    std::vector<PowerAction> privilegeActions; // the action of every privilege request
};

class FakeSocket : public UdpSocket {
  public:
    void Close() override { bound = 0; }
    bool Bind(int port) override;
    bool SendTo(const std::string& ipv4, int port, const std::string& data) override;
    std::optional<std::string> Receive() override;
    std::intptr_t NativeHandle() const override { return bound ? 3 : -1; }

    struct Sent {
        std::string to;
        int port;
        std::string data;
    };
    int bound = 0;
    std::vector<int> binds, takenPorts; // Bind fails on the taken ones
    bool sendFails = false;
    std::vector<Sent> sent;
    std::deque<std::optional<std::string>> incoming;
};

class FakeResolver : public NameResolver {
  public:
    std::optional<std::string> Lookup(const std::string& host) override;
    void Forget(const std::string& host) override { forgotten.push_back(host); }
    std::map<std::string, std::string> answers; // host -> address; numeric addresses answer themselves
    std::vector<std::string> forgotten;
};

class FakeGuard : public InstanceGuard {
  public:
    Handle Create(const std::string& name, bool initialOwner, bool& existed) override;
    void Close(Handle handle) override { closed.push_back(handle); }
    bool otherHolds = false; // another process holds the guard
    Handle next = 100;
    std::vector<Handle> created, closed;
};

class FakeSystem : public SystemServices {
  public:
    void RaisePriority() override { ++priorityRaises; }
    bool UserIsAdministrator() override { return admin; }
    int OpenAddress(const std::string& address) override;
    bool StartViewer(const std::string& path) override;
    bool admin = true, viewerStarts = true;
    std::exception_ptr openError; // thrown by OpenAddress
    int openResult = 42, priorityRaises = 0;
    std::vector<std::string> opened, viewed;
};

// The boxes shown, "title: text" each, marked "!" unless a plain Ok box.
std::string Shown(const FakeHost& host);

// A program wired to fakes, working in the given folder.
struct FakeWorld {
    explicit FakeWorld(const std::filesystem::path& folder);
    FakeHost host;
    FakeClock clock;
    FileSys files;
    FakeProcessTable processes;
    FakePower power;
    FakeSocket socket;
    FakeResolver resolver;
    FakeGuard guard;
    FakeSystem system;
    Program program;
};

} // namespace qz::test
