// Any datagrams at the link socket of a main station or a slave. The first byte picks the station:
// bit 0 a slave, bits 1-2 the peer address (none, short, dotted, a name that does not resolve), bit 3
// sends fail, bit 4 the first read finds nothing, bit 5 the rest is datagrams split at each 0xFF byte,
// bits 6-7 the pending message. The outcome is compared with a model written from the message format.
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
struct Outcome : LinkEvents {
    void RemoteReset() override { calls.emplace_back("RemoteReset"); }
    void RemoteTest() override { calls.emplace_back("RemoteTest"); }
    void ShowLinkError(const std::string& text) override { calls.push_back("ShowLinkError " + text); }
    void LogEvent(std::string_view, std::string_view) override {}
    auto Tie() const { return std::tie(mark, peerHeard, pending, calls, sent, unread); }
    std::string mark = "-", pending;
    bool peerHeard = false;
    std::vector<std::string> calls, sent;
    size_t unread = 0;
};

// '.' without digits in the length field; 'C' for a known sender's frame of the length it says; else 'E'.
char Judge(const std::string& m) {
    if (m.size() < 6 || m.substr(5, 2).find_first_not_of("0123456789") != std::string::npos) return '.';
    const std::string sender = m.substr(0, 3);
    if (m.size() < 8 || (sender != "<QZ" && sender != "<KX" && sender != "<WV")) return 'E';
    const size_t length = static_cast<size_t>((m[5] - '0') * 10 + m[6] - '0');
    return m.back() == '>' && length == m.size() - 8 ? 'C' : 'E';
}

// The receive rules: nothing waiting is read once, else datagrams while they wait, a fixed number at most.
Outcome Expect(const test::FakeWorld& station, const Queue& queue) {
    const std::string& address = station.program.set.peerAddress;
    const bool slave = station.program.set.role == Role::Slave;
    Outcome out;
    out.pending = station.program.rt.linkMessage;
    const size_t taken = queue.front() ? std::min(queue.size(), kDatagramsPerEvent) : 1;
    out.unread = queue.size() - taken;
    for (size_t i = 0; i < taken; ++i) {
        const char kind = queue[i] ? Judge(*queue[i]) : '.';
        out.mark = kind == '.' && !slave && address.size() <= 3 ? "" : std::string(1, kind);
        if (!slave) continue;
        out.peerHeard = true;
        if (kind != 'C') out.ShowLinkError(kind == 'E' ? "Connection Error" : "Not connexted");
        const std::string command = kind == 'C' ? queue[i]->substr(3, 2) : "";
        const bool resolves = address.find_first_not_of("0123456789.") == std::string::npos;
        if (command == "A1" && !address.empty() && resolves && !station.socket.sendFails) {
            out.sent.push_back(address + ":" + std::to_string(kPeerPort) + " " + out.pending);
            out.pending = "<QZA100>";
        }
        // The clock stands still during the event: one Reset and one Test at most, the others held back.
        const char* call = command == "C0" ? "RemoteReset" : command == "T0" ? "RemoteTest" : nullptr;
        if (call && std::ranges::find(out.calls, call) == out.calls.end()) out.calls.emplace_back(call);
    }
    return out;
}

} // namespace
} // namespace qz::fuzz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace qz::fuzz;
    if (size == 0) return 0;
    const uint8_t mode = data[0];
    const std::string_view rest(reinterpret_cast<const char*>(data) + 1, size - 1);
    Queue queue;
    if (mode & 0x10) queue.emplace_back(std::nullopt);
    for (size_t start = 0; start <= rest.size();) {
        const size_t split = mode & 0x20 ? std::min(rest.find('\xFF', start), rest.size()) : rest.size();
        queue.emplace_back(std::string(rest.substr(start, split - start)));
        start = split + 1;
    }
    static const qz::test::TempDir folder;
    qz::test::FakeWorld world(folder.path());
    qz::RunState& rt = world.program.rt;
    world.program.set.role = mode & 0x01 ? qz::Role::Slave : qz::Role::Main;
    world.program.set.peerAddress = kAddresses[(mode >> 1) & 3];
    world.socket.sendFails = (mode & 0x08) != 0;
    rt.linkMessage = kPending[mode >> 6];
    rt.peerPort = kPeerPort;
    world.socket.incoming.assign(queue.begin(), queue.end());
    const Outcome expected = Expect(world, queue);
    Outcome out;
    OnDatagram(world.program, out);
    std::tie(out.mark, out.peerHeard, out.pending, out.unread) =
        std::tuple(rt.linkMark, world.program.link.peerHeard, rt.linkMessage, world.socket.incoming.size());
    for (const auto& s : world.socket.sent)
        out.sent.push_back(s.to + ":" + std::to_string(s.port) + " " + s.data);
    Require(out.Tie() == expected.Tie(), "the receive handler follows the link's rules");
    return 0;
}
