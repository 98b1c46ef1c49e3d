// Any datagrams at the link socket of a main station or a slave. The first byte picks the station:
//   bit 0     slave (else main station)
//   bits 1-2  the peer address: none, a short one, a dotted one, a name that does not resolve
//   bit 3     sends fail
//   bit 4     the first read finds nothing waiting
//   bit 5     the rest is several datagrams, split at each 0xFF byte (else one datagram)
//   bits 6-7  the pending link message
// The outcome is compared with a model of the receive rules written from the message format.
#include <array>
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

constexpr std::array<const char*, 4> kAddresses{"", "1.2", "127.0.0.2", "peer.invalid"};
constexpr std::array<const char*, 4> kPending{"<QZC000>", "<QZT000>", "<QZA100>", "<A0A000>"};
constexpr size_t kDatagramsPerEvent = 256;
constexpr char kSplit = '\xFF';

struct Station {
    bool slave;
    std::string address;
    bool sendFails;
    std::string pending;
    int peerPort;
};

// The slave's Reset and Test set its pending message, as the main window does.
class RecordingEvents : public LinkEvents {
  public:
    explicit RecordingEvents(Program& p) : p_(p) {}
    void RemoteReset() override {
        calls.emplace_back("RemoteReset");
        p_.rt.LinkMessage = "<QZC000>";
    }
    void RemoteTest() override {
        calls.emplace_back("RemoteTest");
        p_.rt.LinkMessage = "<QZT000>";
    }
    void ShowLinkError(const std::string& text) override { calls.push_back("ShowLinkError " + text); }
    std::vector<std::string> calls;

  private:
    Program& p_;
};

struct Sent {
    std::string to;
    int port;
    std::string data;
    bool operator==(const Sent&) const = default;
};

struct Outcome {
    std::string mark = "-";
    int16_t linkIdle = 1;
    std::string pending;
    std::vector<std::string> calls;
    std::vector<Sent> sent;
    size_t unread = 0;
    bool operator==(const Outcome&) const = default;
};

enum class Kind { Valid, Invalid, Unreadable };

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// Unreadable without a length field of digits; valid only when the frame, rebuilt around the
// payload with its true length, is the datagram itself.
Kind Judge(const std::string& m) {
    if (m.size() < 6 || !IsDigit(m[5]) || (m.size() > 6 && !IsDigit(m[6]))) return Kind::Unreadable;
    if (m.size() < 8 || m.size() - 8 > 99) return Kind::Invalid;
    std::string sender = m.substr(0, 3);
    if (sender != "<QZ" && sender != "<KX" && sender != "<WV") return Kind::Invalid;
    size_t payload = m.size() - 8;
    std::string rebuilt = m.substr(0, 5) + static_cast<char>('0' + payload / 10) +
                          static_cast<char>('0' + payload % 10) + m.substr(7, payload) + ">";
    return rebuilt == m ? Kind::Valid : Kind::Invalid;
}

void ExpectSend(const Station& st, Outcome& out) {
    bool numeric = !st.address.empty() && st.address.find_first_not_of("0123456789.") == std::string::npos;
    if (!numeric || st.sendFails) return;
    out.sent.push_back({st.address, st.peerPort, out.pending});
    out.pending = "<QZA100>";
}

void ExpectOne(const Station& st, const std::optional<std::string>& datagram, Outcome& out) {
    Kind kind = datagram ? Judge(*datagram) : Kind::Unreadable;
    if (kind == Kind::Valid) {
        out.mark = "C";
        if (!st.slave) return;
        out.linkIdle = 0;
        std::string command = datagram->substr(3, 2);
        if (command == "A1") ExpectSend(st, out);
        if (command == "C0") {
            out.calls.emplace_back("RemoteReset");
            out.pending = "<QZC000>";
        }
        if (command == "T0") {
            out.calls.emplace_back("RemoteTest");
            out.pending = "<QZT000>";
        }
    } else if (kind == Kind::Invalid) {
        out.mark = "E";
        if (!st.slave) return;
        out.calls.emplace_back("ShowLinkError Connection Error");
        out.linkIdle = 0;
    } else {
        out.mark = st.slave || st.address.size() > 3 ? "." : "";
        if (!st.slave) return;
        out.calls.emplace_back("ShowLinkError Not connexted");
        out.linkIdle = 0;
    }
}

// One data-arrival event: a failed first read is handled once; otherwise datagrams are taken until
// none waits, at most a fixed number per event.
Outcome Expect(const Station& st, const Queue& queue) {
    Outcome out;
    out.pending = st.pending;
    size_t taken = 0;
    if (!queue.front()) {
        ExpectOne(st, std::nullopt, out);
        taken = 1;
    } else {
        for (; taken < queue.size() && taken < kDatagramsPerEvent && queue[taken]; ++taken)
            ExpectOne(st, queue[taken], out);
    }
    out.unread = queue.size() - taken;
    return out;
}

Queue Datagrams(uint8_t mode, std::string_view rest) {
    Queue queue;
    if (mode & 0x10) queue.emplace_back(std::nullopt);
    if (!(mode & 0x20)) {
        queue.emplace_back(std::string(rest));
        return queue;
    }
    for (size_t start = 0;;) {
        size_t split = rest.find(kSplit, start);
        queue.emplace_back(std::string(rest.substr(start, split - start)));
        if (split == std::string_view::npos) return queue;
        start = split + 1;
    }
}

Outcome Run(const Station& st, const Queue& queue) {
    static const test::TempDir folder;
    test::FakeWorld world(folder.path());
    Program& p = world.program;
    p.set.CMain = st.slave ? 2 : 1;
    p.set.IPAdd = st.address;
    p.set.Port1 = 10001;
    p.set.Port2 = 10000;
    p.rt.PeerPort = st.peerPort;
    p.rt.LinkMessage = st.pending;
    p.rt.LinkMark = "-";
    p.rt.LinkIdle = 1;
    world.socket.sendFails = st.sendFails;
    world.socket.incoming.assign(queue.begin(), queue.end());
    RecordingEvents events(p);

    udpServ_DataArrival(p, events);

    Outcome out{
        p.rt.LinkMark, p.rt.LinkIdle, p.rt.LinkMessage, events.calls, {}, world.socket.incoming.size()};
    for (const auto& s : world.socket.sent)
        out.sent.push_back({s.to, s.port, s.data});
    return out;
}

} // namespace
} // namespace qz::fuzz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace qz::fuzz;
    if (size == 0) return 0;
    uint8_t mode = data[0];
    bool slave = mode & 0x01;
    Station station{slave, kAddresses[(mode >> 1) & 3], (mode & 0x08) != 0, kPending[mode >> 6],
                    slave ? 10000 : 10001};
    Queue queue = Datagrams(mode, std::string_view(reinterpret_cast<const char*>(data) + 1, size - 1));
    Require(Run(station, queue) == Expect(station, queue), "the receive handler follows the link's rules");
    return 0;
}
