#include "platform/linux/ProcProcessTable.h"

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <span>
#include <sstream>
#include <vector>

#include "platform/Backend.h"
#include "platform/linux/ProcEventTable.h"

namespace qz {
namespace {

// The kernel keeps at most this many characters of a program's name in comm.
constexpr size_t kCommLimit = 15;
constexpr size_t kMaxPidDigits = 10;
// argv[0], the interpreter's options and the script: more is never looked at.
constexpr size_t kMostArguments = 16;

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

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

bool IsProcessId(const char* name) {
    size_t length = 0;
    for (; name[length] != '\0'; ++length) {
        if (!IsDigit(name[length]) || length == kMaxPidDigits) return false;
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

// Only "no such file" and "no such process" mean the process ended; anything else (out of
// descriptors, no memory, no permission, an I/O error) leaves it unknown.
NameReading FailureFromErrno() {
    return errno == ENOENT || errno == ESRCH ? NameReading::Gone : NameReading::Failed;
}

std::string_view BaseName(std::string_view path) {
    const size_t slash = path.rfind('/');
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

// The NUL-separated arguments of a command line. An argument the buffer cut is left out: its base
// name would be wrong. Without any NUL the process rewrote its title; the whole text is argv[0].
class Arguments {
  public:
    Arguments(std::string_view text, bool whole) {
        while (count_ < kMostArguments) {
            const size_t end = text.find('\0');
            if (end == std::string_view::npos) {
                if (whole && !text.empty()) args_[count_++] = text;
                break;
            }
            args_[count_++] = text.substr(0, end);
            text.remove_prefix(end + 1);
        }
    }
    std::span<const std::string_view> all() const { return {args_.data(), count_}; }

  private:
    std::array<std::string_view, kMostArguments> args_;
    size_t count_ = 0;
};

// Programs that run a script named by an argument. Deliberately few: each one's options are known.
enum class Interpreter { None, Shell, Python, Perl };

struct InterpreterOptions {
    std::string_view codeOrInput;      // short options after which no script file follows (-c code)
    std::string_view valueOptions;     // short options whose value may be the next argument
    std::string_view longValueOptions; // blank-separated long options that take the next argument
    bool plusOptions;                  // the shells also take +o, +O ...
};

const InterpreterOptions& OptionsOf(Interpreter kind) {
    static constexpr InterpreterOptions shell{"cs", "oO", "--rcfile --init-file", true};
    static constexpr InterpreterOptions python{"cm", "WX", "--check-hash-based-pycs", false};
    static constexpr InterpreterOptions perl{"eE", "", "", false};
    return kind == Interpreter::Shell ? shell : kind == Interpreter::Python ? python : perl;
}

// sh, bash, dash, zsh, ksh, mksh; python and perl also with a version: python3, python3.11, perl5.36.0.
Interpreter InterpreterOf(std::string_view name) {
    struct Known {
        std::string_view name;
        Interpreter kind;
        bool versioned;
    };
    static constexpr Known kKnown[] = {
        {"sh", Interpreter::Shell, false},     {"bash", Interpreter::Shell, false},
        {"dash", Interpreter::Shell, false},   {"zsh", Interpreter::Shell, false},
        {"ksh", Interpreter::Shell, false},    {"mksh", Interpreter::Shell, false},
        {"python", Interpreter::Python, true}, {"perl", Interpreter::Perl, true},
    };
    size_t end = name.size();
    while (end > 0 && (IsDigit(name[end - 1]) || name[end - 1] == '.'))
        --end;
    const bool versioned = end < name.size();
    if (versioned && !IsDigit(name[end])) return Interpreter::None;
    for (const Known& known : kKnown) {
        if (known.name == name.substr(0, end) && (known.versioned || !versioned)) return known.kind;
    }
    return Interpreter::None;
}

bool IsLongValueOption(std::string_view options, std::string_view arg) {
    for (size_t at = options.find(arg); at != std::string_view::npos; at = options.find(arg, at + 1)) {
        const size_t after = at + arg.size();
        if ((at == 0 || options[at - 1] == ' ') && (after == options.size() || options[after] == ' '))
            return true;
    }
    return false;
}

// The first argument after the interpreter that is not an option or an option's value; empty
// when the interpreter runs code from its command line or its input instead of a file.
std::string_view ScriptArgument(std::span<const std::string_view> args, Interpreter kind) {
    const InterpreterOptions& options = OptionsOf(kind);
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string_view arg = args[i];
        if (arg == "--") return i + 1 < args.size() ? args[i + 1] : std::string_view();
        if (arg.starts_with("--")) {
            if (IsLongValueOption(options.longValueOptions, arg)) ++i;
            continue;
        }
        const bool option = arg.size() > 1 && (arg[0] == '-' || (options.plusOptions && arg[0] == '+'));
        if (!option) return arg == "-" ? std::string_view() : arg;
        // A cluster such as -ue or -Wignore: its letters up to one that takes a value.
        for (size_t j = 1; j < arg.size(); ++j) {
            if (options.codeOrInput.find(arg[j]) != std::string_view::npos) return {};
            if (options.valueOptions.find(arg[j]) != std::string_view::npos) {
                if (j + 1 == arg.size()) ++i;
                break;
            }
        }
    }
    return {};
}

// The script's base name, or empty.
std::string_view ScriptName(std::span<const std::string_view> args, Interpreter kind) {
    if (args.empty()) return {};
    return BaseName(ScriptArgument(args.subspan(1), kind));
}

} // namespace

NameReading ProcessNames::Read(int procFd, const char* pid) {
    count_ = 0;
    ssize_t got;
    {
        FileDescriptor file(openat(procFd, EntryPath(pid, "comm").c_str(), O_RDONLY | O_CLOEXEC));
        if (!file.valid()) return FailureFromErrno();
        // comm is produced whole by the first read.
        got = ReadRetrying(file.get(), comm_, sizeof comm_);
        if (got < 0) return FailureFromErrno();
    }
    if (got > 0 && comm_[got - 1] == '\n') --got;
    const std::string_view comm(comm_, static_cast<size_t>(got));
    names_[count_++] = comm;
    const Interpreter byComm = InterpreterOf(comm);
    // The common case costs one read: only a cut name or an interpreter needs the command line.
    if (comm.size() != kCommLimit && byComm == Interpreter::None) return NameReading::Named;

    size_t length = 0;
    bool whole = false;
    {
        FileDescriptor file(openat(procFd, EntryPath(pid, "cmdline").c_str(), O_RDONLY | O_CLOEXEC));
        if (!file.valid()) return FailureFromErrno();
        while (length < sizeof cmdline_ && !whole) {
            const size_t room = sizeof cmdline_ - length;
            got = ReadRetrying(file.get(), cmdline_ + length, room);
            if (got < 0) return FailureFromErrno();
            length += static_cast<size_t>(got);
            // The kernel gives the command line whole when it fits: a short read is its end.
            whole = static_cast<size_t>(got) < room;
        }
    }
    const Arguments arguments(std::string_view(cmdline_, length), whole);
    const std::span<const std::string_view> args = arguments.all();
    if (byComm != Interpreter::None) {
        // python3 job.py: known by both names.
        const std::string_view script = ScriptName(args, byComm);
        if (!script.empty()) names_[count_++] = script;
        return NameReading::Named;
    }
    // The kernel cut the name: the program's or, started by its #! line, the script's.
    const std::string_view program = args.empty() ? std::string_view() : BaseName(args[0]);
    std::string_view full = program;
    if (const Interpreter kind = InterpreterOf(program); kind != Interpreter::None)
        full = ScriptName(args, kind);
    if (full.size() > comm.size() && full.starts_with(comm)) names_[0] = full;
    return NameReading::Named;
}

bool WalkProcFolder(int procFd, ProcessNames& names,
                    const std::function<void(const char* pid, const ProcessNames&)>& visit) {
    if (lseek(procFd, 0, SEEK_SET) < 0) return false;
    alignas(dirent64) char entries[16384];
    for (;;) {
        const ssize_t got = getdents64(procFd, entries, sizeof entries);
        if (got < 0) return false;
        if (got == 0) return true;
        for (ssize_t offset = 0; offset < got;) {
            const auto* entry = reinterpret_cast<const dirent64*>(entries + offset);
            offset += entry->d_reclen;
            if (!IsProcessId(entry->d_name)) continue;
            switch (names.Read(procFd, entry->d_name)) {
            case NameReading::Named:
                visit(entry->d_name, names);
                break;
            case NameReading::Gone: // ended while we walked
                break;
            case NameReading::Failed:
                return false;
            }
        }
    }
}

namespace {

// mountinfo writes a blank in a path as \040.
std::string Unescaped(std::string_view field) {
    std::string text;
    for (size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size() && IsDigit(field[i + 1]) && IsDigit(field[i + 2]) &&
            IsDigit(field[i + 3])) {
            text += static_cast<char>((field[i + 1] - '0') * 64 + (field[i + 2] - '0') * 8 +
                                      (field[i + 3] - '0'));
            i += 3;
        } else {
            text += field[i];
        }
    }
    return text;
}

// The value of option key= in a comma-separated list, or empty.
std::string OptionValue(const std::string& options, std::string_view key) {
    std::istringstream list(options);
    std::string option, value;
    while (std::getline(list, option, ',')) {
        if (option.size() > key.size() && option.starts_with(key) && option[key.size()] == '=')
            value = option.substr(key.size() + 1);
    }
    return value;
}

bool HasCapability(const std::string& root, unsigned capability) {
    std::ifstream status(root + "/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (!line.starts_with("CapEff:")) continue;
        const unsigned long long effective = std::strtoull(line.c_str() + 7, nullptr, 16);
        return (effective >> capability & 1) != 0;
    }
    return false;
}

bool InGroup(gid_t group) {
    if (getegid() == group) return true;
    std::vector<gid_t> groups(static_cast<size_t>(std::max(getgroups(0, nullptr), 0)));
    groups.resize(
        static_cast<size_t>(std::max(getgroups(static_cast<int>(groups.size()), groups.data()), 0)));
    return std::find(groups.begin(), groups.end(), group) != groups.end();
}

} // namespace

bool OtherUsersHidden(const std::string& root) {
    constexpr unsigned kCapSysPtrace = 19;
    std::ifstream mounts(root + "/self/mountinfo");
    std::string line, options;
    bool mounted = false;
    while (std::getline(mounts, line)) {
        // id parent major:minor root mount-point mount-options ... - type source super-options
        std::istringstream fields(line);
        std::string id, parent, device, mountRoot, point, mountOptions;
        fields >> id >> parent >> device >> mountRoot >> point >> mountOptions;
        if (Unescaped(point) != root) continue;
        const size_t separator = line.find(" - ");
        std::string type, source, superOptions;
        if (separator != std::string::npos)
            std::istringstream(line.substr(separator + 3)) >> type >> source >> superOptions;
        options = mountOptions; // the last mount on the point is the one seen
        options += ",";
        options += superOptions;
        mounted = true;
    }
    if (!mounted) return false;
    const std::string hidepid = OptionValue(options, "hidepid");
    if (hidepid.empty() || hidepid == "0" || hidepid == "off") return false;
    if (HasCapability(root, kCapSysPtrace)) return false;
    const std::string gid = OptionValue(options, "gid");
    return gid.empty() || !InGroup(static_cast<gid_t>(std::strtoul(gid.c_str(), nullptr, 10)));
}

namespace {

class ProcProcessTable final : public ProcessTable {
  public:
    explicit ProcProcessTable(std::string root) : root_(std::move(root)), hidden_(OtherUsersHidden(root_)) {}

    bool ForEachName(const std::function<void(std::string_view)>& visit) override {
        FileDescriptor proc(open(root_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        if (!proc.valid()) return false;
        return WalkProcFolder(proc.get(), names_, [&visit](const char*, const ProcessNames& names) {
            for (std::string_view name : names)
                visit(name);
        });
    }
    ProcessWatch Watch() const override { return {false, hidden_}; }

  private:
    std::string root_;
    bool hidden_;
    ProcessNames names_;
};

} // namespace

std::unique_ptr<ProcessTable> MakeProcProcessTable(std::string root) {
    return std::make_unique<ProcProcessTable>(std::move(root));
}

std::unique_ptr<ProcessTable> MakeProcessTable() {
    // Chosen once: the kernel's process events where they can be had, else the walk.
    if (auto events = ProcEventTable::Open("/proc")) return events;
    return MakeProcProcessTable("/proc");
}

} // namespace qz
