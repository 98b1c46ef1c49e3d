#pragma once
#include <algorithm>
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
    std::string title, text;
};

struct FakeHost : Host {
    Answer ShowMessage(MsgIcon icon, MsgButtons buttons, const std::string& title,
                       const std::string& text) override;
    void RemoveTrayIcon() override { ++trayRemovals; }
    [[noreturn]] void EndProgram(int status) override {
        endedWith = status;
        throw ProgramEnded{status};
    }

    std::vector<ShownMessage> messages;
    std::deque<Answer> answers; // answers to give, in order; Ok/No/Cancel by default
    int trayRemovals = 0;
    std::optional<int> endedWith;
};

struct FakeClock : Clock {
    LocalTime Now() const override { return now; }
    LocalTime now{2026, 12, 5, 10, 30, 0};
};

struct FakeProcessTable : ProcessTable {
    bool ForEachName(const std::function<void(std::string_view)>& visit) override {
        for (const auto& n : fails ? std::vector<std::string>{} : names)
            visit(n);
        return !fails;
    }
    ProcessWatch Watch() const override { return watch; }
    std::vector<std::string> names;
    ProcessWatch watch;
    bool fails = false;
};

struct FakePower : PowerApi {
    PrivilegeResult EnableShutdownPrivilege(PowerAction action) override {
        ++privilegeCalls;
        privilegeActions.push_back(action);
        return privilege;
    }
    bool ExitWindows(int flags, std::string& systemText) override {
        exitCalls.push_back(flags);
        if (!exitAccepted) systemText = exitRefusal;
        return exitAccepted;
    }
    bool SetSuspendState(bool hibernate, std::string&) override {
        suspends.push_back(hibernate);
        return true;
    }

    PrivilegeResult privilege; // what EnableShutdownPrivilege answers
    bool exitAccepted = true;
    std::string exitRefusal;    // the system text of a refused exit
    std::vector<int> exitCalls; // flags of every exit call
    std::vector<bool> suspends; // true = hibernate
    int privilegeCalls = 0;
    std::vector<PowerAction> privilegeActions; // the action of every privilege request
};

struct FakeSocket : UdpSocket {
    void Close() override { bound = 0; }
    bool Bind(int port) override {
        binds.push_back(port);
        if (std::ranges::count(takenPorts, port)) return false;
        bound = port;
        return true;
    }
    bool SendTo(const std::string& ipv4, int port, const std::string& data) override {
        if (!sendFails) sent.push_back({ipv4, port, data});
        return !sendFails;
    }
    std::optional<std::string> Receive() override {
        if (incoming.empty()) return std::nullopt;
        auto d = incoming.front();
        incoming.pop_front();
        return d;
    }
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

struct FakeResolver : NameResolver {
    std::optional<std::string> Lookup(const std::string& host) override {
        if (auto it = answers.find(host); it != answers.end()) return it->second;
        if (!host.empty() && host.find_first_not_of("0123456789.") == std::string::npos) return host;
        return std::nullopt;
    }
    void Forget(const std::string& host) override { forgotten.push_back(host); }
    std::map<std::string, std::string> answers; // host -> address; numeric addresses answer themselves
    std::vector<std::string> forgotten;
};

struct FakeGuard : InstanceGuard {
    Handle Create(const std::string&, bool, bool& existed) override {
        existed = otherHolds;
        created.push_back(next);
        return next++;
    }
    void Close(Handle handle) override { closed.push_back(handle); }
    bool otherHolds = false; // another process holds the guard
    Handle next = 100;
    std::vector<Handle> created, closed;
};

struct FakeSystem : SystemServices {
    void RaisePriority() override { ++priorityRaises; }
    bool UserIsAdministrator() override { return admin; }
    int OpenAddress(const std::string& address) override {
        if (openError) std::rethrow_exception(openError);
        opened.push_back(address);
        return openResult;
    }
    bool StartViewer(const std::string& path) override {
        viewed.push_back(path);
        return viewerStarts;
    }
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
