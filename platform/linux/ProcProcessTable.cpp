#include "platform/linux/ProcProcessTable.h"

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <span>
#include <string_view>

#include "platform/Backend.h"

namespace qz {
namespace {

// The kernel keeps at most this many characters of a program's name in comm.
constexpr size_t kCommLimit = 15;
constexpr size_t kMaxPidDigits = 10;

class FileDescriptor {
  public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor() {
        if (fd_ >= 0) close(fd_);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return fd_; }
    bool valid() const { return fd_ >= 0; }

  private:
    int fd_;
};

bool IsProcessId(const char* name) {
    size_t length = 0;
    for (; name[length] != '\0'; ++length) {
        if (name[length] < '0' || name[length] > '9' || length == kMaxPidDigits) return false;
    }
    return length > 0;
}

// "<pid>/<file>" relative to the proc folder.
class EntryPath {
  public:
    EntryPath(const char* pid, const char* file) {
        size_t pidLength = std::strlen(pid);
        std::memcpy(path_, pid, pidLength);
        path_[pidLength] = '/';
        std::strcpy(path_ + pidLength + 1, file);
    }
    const char* c_str() const { return path_; }

  private:
    char path_[kMaxPidDigits + sizeof "/cmdline"];
};

ssize_t ReadRetrying(int fd, char* buffer, size_t size) {
    ssize_t got;
    do {
        got = read(fd, buffer, size);
    } while (got < 0 && errno == EINTR);
    return got;
}

// Length of the name the kernel keeps for the process, without its newline; -1 when it is gone.
ssize_t ReadComm(int procFd, const char* pid, std::span<char> buffer) {
    FileDescriptor file(openat(procFd, EntryPath(pid, "comm").c_str(), O_RDONLY | O_CLOEXEC));
    if (!file.valid()) return -1;
    // comm is produced whole by the first read.
    ssize_t got = ReadRetrying(file.get(), buffer.data(), buffer.size());
    if (got > 0 && buffer[static_cast<size_t>(got) - 1] == '\n') --got;
    return got;
}

// The base name of argv[0]; empty when there is none or it does not fit the buffer whole.
std::string_view ProgramBaseName(int procFd, const char* pid, std::span<char> buffer) {
    FileDescriptor file(openat(procFd, EntryPath(pid, "cmdline").c_str(), O_RDONLY | O_CLOEXEC));
    if (!file.valid()) return {};
    size_t length = 0;
    const char* end = nullptr;
    while (length < buffer.size() && end == nullptr) {
        ssize_t got = ReadRetrying(file.get(), buffer.data() + length, buffer.size() - length);
        if (got <= 0) break;
        end = static_cast<const char*>(std::memchr(buffer.data() + length, '\0', static_cast<size_t>(got)));
        length += static_cast<size_t>(got);
    }
    if (end == nullptr) {
        // A cut path would yield a wrong base name. Without any NUL the process rewrote its title.
        if (length == buffer.size()) return {};
        end = buffer.data() + length;
    }
    std::string_view argv0(buffer.data(), static_cast<size_t>(end - buffer.data()));
    size_t slash = argv0.rfind('/');
    return slash == std::string_view::npos ? argv0 : argv0.substr(slash + 1);
}

void VisitProcess(int procFd, const char* pid, const std::function<void(std::string_view)>& visit) {
    char comm[128];
    char cmdline[4096]; // holds the name visited when argv[0] completes comm
    ssize_t commLength = ReadComm(procFd, pid, comm);
    if (commLength < 0) return; // ended while we walked
    std::string_view name(comm, static_cast<size_t>(commLength));
    if (name.size() == kCommLimit) {
        std::string_view full = ProgramBaseName(procFd, pid, cmdline);
        if (full.size() > name.size() && full.starts_with(name)) name = full;
    }
    visit(name);
}

class ProcProcessTable final : public ProcessTable {
  public:
    explicit ProcProcessTable(std::string root) : root_(std::move(root)) {}

    bool ForEachName(const std::function<void(std::string_view)>& visit) override {
        FileDescriptor proc(open(root_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        if (!proc.valid()) return false;
        alignas(dirent64) char entries[16384];
        for (;;) {
            ssize_t got = getdents64(proc.get(), entries, sizeof entries);
            if (got < 0) return false;
            if (got == 0) return true;
            for (ssize_t offset = 0; offset < got;) {
                const auto* entry = reinterpret_cast<const dirent64*>(entries + offset);
                offset += entry->d_reclen;
                if (IsProcessId(entry->d_name)) VisitProcess(proc.get(), entry->d_name, visit);
            }
        }
    }

  private:
    std::string root_;
};

} // namespace

std::unique_ptr<ProcessTable> MakeProcProcessTable(std::string root) {
    return std::make_unique<ProcProcessTable>(std::move(root));
}

std::unique_ptr<ProcessTable> MakeProcessTable() {
    return MakeProcProcessTable("/proc");
}

} // namespace qz
