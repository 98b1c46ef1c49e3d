#include "link/Link.h"

#include <algorithm>
#include <utility>

#include "link/LinkMessage.h"
#include "link/LinkProof.h"

namespace qz {
namespace {

// A flood cannot starve the timer this way; the notifier fires again while more wait.
constexpr int kMaxDatagramsPerEvent = 256;

bool IsSlave(const Program& p) {
    return p.set.role == Role::Slave;
}

bool SameMinute(const LocalTime& a, const LocalTime& b) {
    return a.year == b.year && a.month == b.month && a.day == b.day && a.hour == b.hour &&
           a.minute == b.minute;
}

// Log words of the counts of commands heard but not acted on.
constexpr const char* kResetsDropped = "ResetDrop";
constexpr const char* kTestsDropped = "TestDrop";
constexpr const char* kRefused = "AuthDrop";

void LogDrops(LinkEvents& events, DropCount& drops, const char* word, const LocalTime& now,
              bool atExit = false) {
    if (drops.count == 0 || (!atExit && SameMinute(drops.since, now))) return;
    const uint64_t count = std::exchange(drops.count, 0);
    events.LogEvent(word, std::to_string(count));
}

void Drop(Program& p, LinkEvents& events, DropCount& drops, const char* word) {
    const LocalTime now = p.svc.clock.Now();
    if (drops.count++ == 0) drops.since = now;
    LogDrops(events, drops, word, now);
}

bool SameSecond(const std::optional<LocalTime>& a, const LocalTime& b) {
    return a && SameMinute(*a, b) && a->second == b.second;
}

void DropHeld(Program& p, LinkEvents& events) {
    LinkState& link = p.link;
    if (!link.held) return;
    const bool reset = *link.held == "C0";
    link.held.reset();
    Drop(p, events, reset ? link.resetsDropped : link.testsDropped, reset ? kResetsDropped : kTestsDropped);
}

// A flood of commands must neither fill the log nor keep the monitor busy: at most one Reset and
// one Test a second are acted on. Each of them restarts the monitor, so only the last one counts: one
// that comes too soon is held for the next second, and a later command replaces it.
void Obey(Program& p, LinkEvents& events, const std::string& command) {
    LinkState& link = p.link;
    const LocalTime now = p.svc.clock.Now();
    const bool reset = command == "C0";
    std::optional<LocalTime>& acted = reset ? link.resetActed : link.testActed;
    DropHeld(p, events);
    if (SameSecond(acted, now)) {
        link.held = command;
        return;
    }
    acted = now;
    reset ? events.RemoteReset() : events.RemoteTest();
}

// What a keyed station hears: the peer's proven messages with a rising counter, and at a main
// station also the plain replies of a slave without a key, which only mark the status.
bool Heard(Program& p, const std::string& datagram, LinkVerdict verdict) {
    if (verdict != LinkVerdict::Valid) return false;
    const Role peer = IsSlave(p) ? Role::Main : Role::Slave;
    const Proof proof = CheckLinkProof(*p.link.key, peer, datagram);
    if (proof.kind == Proof::Kind::None) return !IsSlave(p);
    if (proof.kind == Proof::Kind::Bad || proof.counter <= p.link.lastHeard) return false;
    p.link.lastHeard = proof.counter;
    return true;
}

void HandleValid(Program& p, LinkEvents& events, const std::string& command) {
    p.rt.linkMark = "C";
    if (!IsSlave(p)) return;
    p.link.peerHeard = true;
    if (command == "A1")
        SendLinkMessage(p);
    else if (command == "C0" || command == "T0")
        Obey(p, events, command);
}

void HandleInvalid(Program& p, LinkEvents& events) {
    p.rt.linkMark = "E";
    if (!IsSlave(p)) return;
    events.ShowLinkError("Connection Error");
    p.link.peerHeard = true;
}

void HandleUnreadable(Program& p, LinkEvents& events) {
    p.rt.linkMark = p.set.peerAddress.size() > 3 ? "." : "";
    if (!IsSlave(p)) return;
    p.rt.linkMark = ".";
    events.ShowLinkError("Not connexted");
    p.link.peerHeard = true;
}

void HandleDatagram(Program& p, LinkEvents& events, const std::string& datagram) {
    ReadMessage message = ReadLinkMessage(datagram);
    // Anything else a keyed station drops unanswered, as if it had never come.
    if (p.link.key && !Heard(p, datagram, message.verdict)) return Drop(p, events, p.link.refused, kRefused);
    switch (message.verdict) {
    case LinkVerdict::Valid:
        HandleValid(p, events, message.command);
        break;
    case LinkVerdict::Invalid:
        HandleInvalid(p, events);
        break;
    case LinkVerdict::Unreadable:
        HandleUnreadable(p, events);
        break;
    }
}

} // namespace

void LinkTick(Program& p, LinkEvents& events) {
    LinkState& link = p.link;
    if (link.held && IsSlave(p) &&
        !SameSecond(*link.held == "C0" ? link.resetActed : link.testActed, p.svc.clock.Now())) {
        const std::string command = *std::exchange(link.held, std::nullopt);
        Obey(p, events, command);
    }
    LogLinkDrops(p, events);
}

void LogLinkDrops(Program& p, LinkEvents& events, bool atExit) {
    LinkState& link = p.link;
    if (atExit) DropHeld(p, events);
    if (link.resetsDropped.count == 0 && link.testsDropped.count == 0 && link.refused.count == 0) return;
    const LocalTime now = p.svc.clock.Now();
    LogDrops(events, link.resetsDropped, kResetsDropped, now, atExit);
    LogDrops(events, link.testsDropped, kTestsDropped, now, atExit);
    LogDrops(events, link.refused, kRefused, now, atExit);
}

void SendLinkMessage(Program& p) {
    const std::string& host = p.set.peerAddress;
    if (host.empty()) return;
    // A name still being looked up counts as a failed send: the message waits for the next one.
    std::optional<std::string> address = p.svc.resolver.Lookup(host);
    if (!address) return;
    std::string message = p.rt.linkMessage;
    if (p.link.key) {
        // Never below the last counter used, should the wall clock step back.
        const uint64_t counter = std::max(p.link.counterClock(), p.link.lastSent + 1);
        std::optional<std::string> proven = SignLinkMessage(*p.link.key, p.set.role, message, counter);
        if (!proven) return;
        p.link.lastSent = counter;
        message = std::move(*proven);
    }
    if (!p.svc.socket.SendTo(*address, p.rt.peerPort, message)) {
        // The peer may have moved; look its name up afresh.
        p.svc.resolver.Forget(host);
        return;
    }
    p.rt.linkMessage = kAliveMessage;
}

void OnDatagram(Program& p, LinkEvents& events) {
    std::optional<std::string> datagram = p.svc.socket.Receive();
    if (!datagram) {
        HandleUnreadable(p, events);
        return;
    }
    for (int handled = 1;; ++handled) {
        HandleDatagram(p, events, *datagram);
        if (handled == kMaxDatagramsPerEvent) return;
        datagram = p.svc.socket.Receive();
        if (!datagram) return;
    }
}

} // namespace qz
