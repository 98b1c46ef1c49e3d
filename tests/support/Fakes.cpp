#include "tests/support/Fakes.h"

#include <algorithm>

namespace qz::test {

Answer FakeHost::ShowMessage(MsgIcon icon, MsgButtons buttons, const std::string& title,
                             const std::string& text) {
    messages.push_back({icon, buttons, title, text});
    if (answers.empty())
        return buttons == MsgButtons::YesNo         ? Answer::No
               : buttons == MsgButtons::YesNoCancel ? Answer::Cancel
                                                    : Answer::Ok;
    const Answer a = answers.front();
    answers.pop_front();
    return a;
}

void FakeHost::EndProgram(int status) {
    endedWith = status;
    throw ProgramEnded{status};
}

std::string Shown(const FakeHost& host) {
    std::string shown;
    for (const ShownMessage& m : host.messages)
        shown +=
            m.title + ": " + m.text + (m.icon == MsgIcon::None && m.buttons == MsgButtons::Ok ? "" : "!");
    return shown;
}

bool FakeProcessTable::ForEachName(const std::function<void(std::string_view)>& visit) {
    if (fails) return false;
    for (const auto& n : names)
        visit(n);
    return true;
}

PowerApi::PrivilegeResult FakePower::EnableShutdownPrivilege(PowerAction action) {
    ++privilegeCalls;
    privilegeActions.push_back(action);
    return privilege;
}

bool FakePower::ExitWindows(int flags, std::string& systemText) {
    exitCalls.push_back(flags);
    if (!exitAccepted) systemText = exitRefusal;
    return exitAccepted;
}

bool FakePower::SetSuspendState(bool hibernate, std::string&) {
    suspends.push_back(hibernate);
    return true;
}

bool FakeSocket::Bind(int port) {
    binds.push_back(port);
    if (std::find(takenPorts.begin(), takenPorts.end(), port) != takenPorts.end()) return false;
    bound = port;
    return true;
}

bool FakeSocket::SendTo(const std::string& ipv4, int port, const std::string& data) {
    if (sendFails) return false;
    sent.push_back({ipv4, port, data});
    return true;
}

std::optional<std::string> FakeSocket::Receive() {
    if (incoming.empty()) return std::nullopt;
    auto d = incoming.front();
    incoming.pop_front();
    return d;
}

std::optional<std::string> FakeResolver::Lookup(const std::string& host) {
    if (auto it = answers.find(host); it != answers.end()) return it->second;
    if (!host.empty() && host.find_first_not_of("0123456789.") == std::string::npos) return host;
    return std::nullopt;
}

InstanceGuard::Handle FakeGuard::Create(const std::string&, bool, bool& existed) {
    existed = otherHolds;
    Handle h = next++;
    created.push_back(h);
    return h;
}

int FakeSystem::OpenAddress(const std::string& address) {
    if (openError) std::rethrow_exception(openError);
    opened.push_back(address);
    return openResult;
}

bool FakeSystem::StartViewer(const std::string& path) {
    viewed.push_back(path);
    return viewerStarts;
}

FakeWorld::FakeWorld(const std::filesystem::path& folder)
    : files(folder),
      program(Services{host, clock, files, processes, power, socket, resolver, guard, system}) {}

} // namespace qz::test
