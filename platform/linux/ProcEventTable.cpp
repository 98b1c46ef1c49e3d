#include "platform/linux/ProcEventTable.h"

#include <fcntl.h>
#include <linux/netlink.h>
#include <poll.h>
#include <sys/socket.h>
#include <time.h>
#include <unistd.h>

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wpedantic" // the kernel's headers end their structs in data[0]
#include <linux/cn_proc.h>
#include <linux/connector.h>
#pragma GCC diagnostic pop

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstddef>
#include <cstring>
#include <unordered_map>
#include <utility>
#include <vector>

#include "platform/linux/ProcProcessTable.h"

namespace qz {
namespace {

// Queued events between two scans, one second apart: a storm of 1,000 forks a second makes some
// 4,000 events of about 800 bytes each in the queue.
constexpr int kReceiveBuffer = 16 << 20;
constexpr int kAnswerWaitMs = 1000;
// The event's kind, its cpu and time stamp, and the four ids of the largest part used here.
constexpr size_t kShortestEvent = offsetof(proc_event, event_data) + 4 * sizeof(__kernel_pid_t);

class Descriptor {
  public:
    explicit Descriptor(int fd = -1) : fd_(fd) {}
    ~Descriptor() {
        if (fd_ >= 0) close(fd_);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd_; }
    int release() { return std::exchange(fd_, -1); }

  private:
    int fd_;
};

// Asks the connector to start or stop sending process events to this socket. The answer goes to
// every listener; it carries our ack plus one.
bool SendControl(int socket, proc_cn_mcast_op op, uint32_t ack) {
    constexpr size_t kLength = NLMSG_LENGTH(sizeof(cn_msg) + sizeof(uint32_t));
    alignas(nlmsghdr) char request[kLength] = {};
    nlmsghdr header{};
    header.nlmsg_len = kLength;
    header.nlmsg_type = NLMSG_DONE;
    cn_msg message{};
    message.id = {CN_IDX_PROC, CN_VAL_PROC};
    message.ack = ack;
    message.len = sizeof(uint32_t);
    const auto code = static_cast<uint32_t>(op);
    std::memcpy(request, &header, sizeof header);
    std::memcpy(request + NLMSG_HDRLEN, &message, sizeof message);
    std::memcpy(request + NLMSG_HDRLEN + sizeof message, &code, sizeof code);
    ssize_t sent;
    do {
        sent = send(socket, request, kLength, 0);
    } while (sent < 0 && errno == EINTR);
    return sent == static_cast<ssize_t>(kLength);
}

// Calls onEvent(event, message) for each process event in one datagram.
template <typename OnEvent> void ForEachEvent(const char* data, size_t size, OnEvent onEvent) {
    size_t offset = 0;
    while (offset + sizeof(nlmsghdr) <= size) {
        nlmsghdr header;
        std::memcpy(&header, data + offset, sizeof header);
        if (header.nlmsg_len < sizeof header || header.nlmsg_len > size - offset) return;
        const size_t body = header.nlmsg_len - NLMSG_HDRLEN;
        if (header.nlmsg_type == NLMSG_DONE && body >= sizeof(cn_msg) + kShortestEvent) {
            cn_msg message;
            std::memcpy(&message, data + offset + NLMSG_HDRLEN, sizeof message);
            proc_event event{};
            std::memcpy(&event, data + offset + NLMSG_HDRLEN + sizeof message,
                        std::min(sizeof event, body - sizeof message));
            if (message.id.idx == CN_IDX_PROC && message.id.val == CN_VAL_PROC) onEvent(event, message);
        }
        offset += NLMSG_ALIGN(header.nlmsg_len);
    }
}

struct Entry {
    std::string names[2];
    uint8_t count = 0;
    bool pending = false; // its names are to be read at the next scan
    bool ended = false;   // its main thread ended: read at every scan until it is gone (reaped)
};

class EventTable final : public ProcEventTable {
  public:
    EventTable(const std::string& root, int socket, int procFd, uint32_t ack)
        : socket_(socket), proc_(procFd), ack_(ack), hidden_(OtherUsersHidden(root)) {}
    ~EventTable() override { SendControl(socket_.get(), PROC_CN_MCAST_IGNORE, ack_); }

    bool ForEachName(const std::function<void(std::string_view)>& visit) override {
        Drain();
        if (lost_ && !Walk()) return false;
        if (!Resolve()) return false;
        for (const auto& [pid, entry] : processes_) {
            for (uint8_t i = 0; i < entry.count; ++i)
                visit(entry.names[i]);
        }
        return true;
    }
    ProcessWatch Watch() const override { return {true, hidden_}; }
    size_t Walks() const override { return walks_; }

  private:
    // Takes every queued event; marks what must be read again rather than reading it now.
    void Drain() {
        alignas(nlmsghdr) char buffer[8192];
        for (;;) {
            const ssize_t got = recv(socket_.get(), buffer, sizeof buffer, MSG_DONTWAIT);
            if (got < 0) {
                if (errno == EINTR) continue;
                if (errno == EAGAIN || errno == EWOULDBLOCK) return;
                // ENOBUFS: the queue overran and the kernel dropped events. Any other error leaves
                // the stream as uncertain.
                lost_ = true;
                if (errno == ENOBUFS) continue;
                return;
            }
            ForEachEvent(
                buffer, static_cast<size_t>(got),
                [this](const proc_event& event, const cn_msg& message) { OnEvent(event, message.seq); });
        }
    }

    void OnEvent(const proc_event& event, uint32_t seq) {
        // Each cpu numbers its events; a number skipped is an event lost. An answer to a listen
        // request is numbered among them by newer kernels and carries the request's number in
        // older ones.
        const auto [next, first] = nextSeq_.try_emplace(event.cpu, seq + 1);
        if (event.what == proc_event::PROC_EVENT_NONE) {
            if (next->second == seq) next->second = seq + 1;
            return;
        }
        if (!first) {
            if (next->second != seq) lost_ = true;
            next->second = seq + 1;
        }
        // Events of threads (pid other than tgid) are no processes' and change no process's name.
        const auto& data = event.event_data;
        switch (event.what) {
        case proc_event::PROC_EVENT_FORK:
            if (data.fork.child_pid == data.fork.child_tgid) Mark(data.fork.child_tgid, false);
            break;
        case proc_event::PROC_EVENT_EXEC:
            Mark(data.exec.process_tgid, false);
            break;
        case proc_event::PROC_EVENT_COMM:
            if (data.comm.process_pid == data.comm.process_tgid) Mark(data.comm.process_tgid, false);
            break;
        case proc_event::PROC_EVENT_EXIT:
            if (data.exit.process_pid == data.exit.process_tgid) Mark(data.exit.process_tgid, true);
            break;
        default:
            break;
        }
    }

    void Mark(pid_t pid, bool ended) {
        Entry& entry = processes_[pid];
        entry.ended = ended;
        if (!entry.pending) {
            entry.pending = true;
            pending_.push_back(pid);
        }
    }

    static void Store(Entry& entry, const ProcessNames& names) {
        entry.count = 0;
        for (std::string_view name : names)
            entry.names[entry.count++] = name;
    }

    bool Walk() {
        processes_.clear();
        pending_.clear();
        ++walks_;
        const bool read =
            WalkProcFolder(proc_.get(), names_, [this](const char* pid, const ProcessNames& names) {
                pid_t id = 0;
                std::from_chars(pid, pid + std::strlen(pid), id);
                Store(processes_[id], names);
            });
        if (!read) {
            processes_.clear();
            return false;
        }
        lost_ = false;
        return true;
    }

    // Reads the names of the marked processes. On a failed read the rest wait for the next scan.
    bool Resolve() {
        std::vector<pid_t> again;
        for (size_t i = 0; i < pending_.size(); ++i) {
            const pid_t pid = pending_[i];
            const auto found = processes_.find(pid);
            if (found == processes_.end()) continue;
            char text[16];
            *std::to_chars(text, text + sizeof text - 1, pid).ptr = '\0';
            switch (names_.Read(proc_.get(), text)) {
            case NameReading::Gone:
                processes_.erase(found);
                break;
            case NameReading::Failed:
                pending_.erase(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(i));
                pending_.insert(pending_.end(), again.begin(), again.end());
                return false;
            case NameReading::Named:
                Store(found->second, names_);
                // A process whose main thread ended lives on as long as its other threads, and
                // its folder until it is reaped; no event tells either.
                if (found->second.ended) {
                    again.push_back(pid);
                } else {
                    found->second.pending = false;
                }
                break;
            }
        }
        pending_ = std::move(again);
        return true;
    }

    Descriptor socket_, proc_;
    uint32_t ack_;
    bool hidden_;
    bool lost_ = true; // the walk at start is still to come
    size_t walks_ = 0;
    std::unordered_map<uint32_t, uint32_t> nextSeq_; // by cpu
    std::unordered_map<pid_t, Entry> processes_;
    std::vector<pid_t> pending_;
    ProcessNames names_;
};

// Waits for the connector's answer to our listen request: true when it accepted it. None comes
// from another pid namespace, whose process ids would not be ours.
bool Accepted(int socket, uint32_t ack) {
    timespec start{};
    clock_gettime(CLOCK_MONOTONIC, &start);
    for (;;) {
        timespec now{};
        clock_gettime(CLOCK_MONOTONIC, &now);
        const long waited = (now.tv_sec - start.tv_sec) * 1000 + (now.tv_nsec - start.tv_nsec) / 1000000;
        if (waited >= kAnswerWaitMs) return false;
        pollfd ready{socket, POLLIN, 0};
        if (poll(&ready, 1, static_cast<int>(kAnswerWaitMs - waited)) < 0 && errno != EINTR) return false;
        alignas(nlmsghdr) char buffer[8192];
        const ssize_t got = recv(socket, buffer, sizeof buffer, MSG_DONTWAIT);
        if (got < 0) {
            if (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK || errno == ENOBUFS) continue;
            return false;
        }
        int answer = -1;
        ForEachEvent(buffer, static_cast<size_t>(got), [&](const proc_event& event, const cn_msg& message) {
            if (event.what == proc_event::PROC_EVENT_NONE && message.ack == ack + 1)
                answer = static_cast<int>(event.event_data.ack.err);
        });
        if (answer >= 0) return answer == 0;
    }
}

} // namespace

std::unique_ptr<ProcEventTable> ProcEventTable::Open(const std::string& root, int receiveBuffer) {
    Descriptor socket(::socket(AF_NETLINK, SOCK_DGRAM | SOCK_CLOEXEC, NETLINK_CONNECTOR));
    if (socket.get() < 0) return nullptr;
    const int size = receiveBuffer > 0 ? receiveBuffer : kReceiveBuffer;
    if (setsockopt(socket.get(), SOL_SOCKET, SO_RCVBUFFORCE, &size, sizeof size) != 0)
        setsockopt(socket.get(), SOL_SOCKET, SO_RCVBUF, &size, sizeof size);
    sockaddr_nl address{};
    address.nl_family = AF_NETLINK;
    address.nl_groups = CN_IDX_PROC;
    if (bind(socket.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) return nullptr;
    // Our own number in the answer tells it from answers to other listeners.
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    const auto ack = static_cast<uint32_t>(getpid()) << 16 ^ static_cast<uint32_t>(now.tv_nsec);
    if (!SendControl(socket.get(), PROC_CN_MCAST_LISTEN, ack) || !Accepted(socket.get(), ack)) return nullptr;
    const int proc = open(root.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (proc < 0) {
        SendControl(socket.get(), PROC_CN_MCAST_IGNORE, ack);
        return nullptr;
    }
    return std::make_unique<EventTable>(root, socket.release(), proc, ack);
}

} // namespace qz
