// Any datagrams at the link socket of a main station or a slave. The first byte picks the station:
//   bit 0     slave (else main station)
//   bits 1-2  the peer address: none, a short one, a dotted one, a name that does not resolve
//   bit 3     sends fail
//   bit 4     the first read finds nothing waiting
//   bit 5     the rest is several datagrams, split at each 0xFF byte (else one datagram)
//   bits 6-7  the pending link message
// The outcome is compared with a model of the receive rules written from the message format.
#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "fuzz/Require.h"
#include "link/Link.h"
#include "tests/support/Fakes.h"
#include "tests/support/TempDir.h"

namespace qz::fuzz {
namespace {

using Queue = std::vector<std::optional<std::string>>;

constexpr const char* kAddresses[] = {"", "1.2", "127.0.0.2", "peer.invalid"};
constexpr const char* kPending[] = {"<QZC000>", "<QZT000>", "<QZA100>", "<A0A000>"};
constexpr size_t kDatagramsPerEvent = 256;
constexpr int kPeerPort = 10005;

// A station's state, calls and sends ("address:port data") after one data-arrival event.
struct Outcome {
    std::string mark = "-";
    int16_t linkIdle = 1;
    std::string pending;
    std::vector<std::string> calls, sent;
    size_t unread = 0;
    bool operator==(const Outcome&) const = default;
};

struct Events : LinkEvents {
    void RemoteReset() override { calls.emplace_back("RemoteReset"); }
    void RemoteTest() override { calls.emplace_back("RemoteTest"); }
    void ShowLinkError(const std::string& text) override { calls.push_back("ShowLinkError " + text); }
    void LogEvent(std::string_view, std::string_view) override {}
    std::vector<std::string> calls;
};

struct Station {
    bool slave, sendFails;
    std::string address, pending;
};

enum class Kind { Valid, Invalid, Unreadable };

// Unreadable without a length field of digits; valid only when the frame, rebuilt around the
// payload with its true length, is the datagram itself.
Kind Judge(const std::string& m) {
    auto IsDigit = [](char c) { return c >= '0' && c <= '9'; };
    if (m.size() < 6 || !IsDigit(m[5]) || (m.size() > 6 && !IsDigit(m[6]))) return Kind::Unreadable;
    if (m.size() < 8 || m.size() - 8 > 99) return Kind::Invalid;
    const std::string sender = m.substr(0, 3);
    if (sender != "<QZ" && sender != "<KX" && sender != "<WV") return Kind::Invalid;
    const size_t payload = m.size() - 8;
    const std::string rebuilt = m.substr(0, 5) + static_cast<char>('0' + payload / 10) +
                                static_cast<char>('0' + payload % 10) + m.substr(7, payload) + ">";
    return rebuilt == m ? Kind::Valid : Kind::Invalid;
}

void ExpectOne(const Station& st, const std::optional<std::string>& datagram, Outcome& out) {
    const Kind kind = datagram ? Judge(*datagram) : Kind::Unreadable;
    out.mark = kind == Kind::Valid                 ? "C"
               : kind == Kind::Invalid             ? "E"
               : st.slave || st.address.size() > 3 ? "."
                                                   : "";
    if (!st.slave) return;
    out.linkIdle = 0;
    const std::string command = kind == Kind::Valid ? datagram->substr(3, 2) : "";
    const bool numeric =
        !st.address.empty() && st.address.find_first_not_of("0123456789.") == std::string::npos;
    if (kind != Kind::Valid)
        out.calls.emplace_back(kind == Kind::Invalid ? "ShowLinkError Connection Error"
                                                     : "ShowLinkError Not connexted");
    if (command == "A1" && numeric && !st.sendFails) {
        out.sent.push_back(st.address + ":" + std::to_string(kPeerPort) + " " + out.pending);
        out.pending = "<QZA100>";
    }
    // The clock stands still during the event: one Reset and one Test at most, the others held back.
    const char* call = command == "C0" ? "RemoteReset" : command == "T0" ? "RemoteTest" : nullptr;
    if (call && std::find(out.calls.begin(), out.calls.end(), call) == out.calls.end())
        out.calls.emplace_back(call);
}

// One data-arrival event: a failed first read is handled once; otherwise datagrams are taken until
// none waits, at most a fixed number per event.
Outcome Expect(const Station& st, const Queue& queue) {
    Outcome out;
    out.pending = st.pending;
    size_t taken = queue.front() ? 0 : 1;
    if (!queue.front()) ExpectOne(st, std::nullopt, out);
    for (; queue.front() && taken < queue.size() && taken < kDatagramsPerEvent && queue[taken]; ++taken)
        ExpectOne(st, queue[taken], out);
    out.unread = queue.size() - taken;
    return out;
}

Outcome Run(const Station& st, const Queue& queue) {
    static const test::TempDir folder;
    test::FakeWorld world(folder.path());
    Program& p = world.program;
    p.set.role = st.slave ? Role::Slave : Role::Main;
    p.set.peerAddress = st.address;
    p.rt.PeerPort = kPeerPort;
    p.rt.LinkMessage = st.pending;
    world.socket.sendFails = st.sendFails;
    world.socket.incoming.assign(queue.begin(), queue.end());
    Events events;
    OnDatagram(p, events);
    Outcome out{
        p.rt.LinkMark, p.rt.LinkIdle, p.rt.LinkMessage, events.calls, {}, world.socket.incoming.size()};
    for (const auto& s : world.socket.sent)
        out.sent.push_back(s.to + ":" + std::to_string(s.port) + " " + s.data);
    return out;
}

} // namespace
} // namespace qz::fuzz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace qz::fuzz;
    if (size == 0) return 0;
    const uint8_t mode = data[0];
    const Station station{(mode & 0x01) != 0, (mode & 0x08) != 0, kAddresses[(mode >> 1) & 3],
                          kPending[mode >> 6]};
    const std::string_view rest(reinterpret_cast<const char*>(data) + 1, size - 1);
    Queue queue;
    if (mode & 0x10) queue.emplace_back(std::nullopt);
    for (size_t start = 0; start <= rest.size();) {
        const size_t split = mode & 0x20 ? std::min(rest.find('\xFF', start), rest.size()) : rest.size();
        queue.emplace_back(std::string(rest.substr(start, split - start)));
        start = split + 1;
    }
    Require(Run(station, queue) == Expect(station, queue), "the receive handler follows the link's rules");
    return 0;
}
