#include "platform/FileSys.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <system_error>
#include <utility>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace qz {
namespace fs = std::filesystem;

namespace {

#ifdef _WIN32
constexpr std::string_view kLineEnd = "\r\n";
constexpr int kReading = _O_RDONLY;
constexpr int kAppending = _O_WRONLY | _O_APPEND;
constexpr int kCreating = _O_WRONLY | _O_CREAT;

int OpenRaw(const fs::path& path, int flags) {
    return _wopen(path.c_str(), flags | _O_BINARY | _O_NOINHERIT, _S_IREAD | _S_IWRITE);
}
// Device names such as CON or NUL open a device, which is not a regular file either.
bool IsRegular(int fd) {
    struct _stat64 status {};
    return _fstat64(fd, &status) == 0 && (status.st_mode & _S_IFMT) == _S_IFREG;
}
long long ReadRaw(int fd, char* buffer, size_t size) {
    return _read(fd, buffer, static_cast<unsigned>(size));
}
long long WriteRaw(int fd, const char* data, size_t size) {
    return _write(fd, data, static_cast<unsigned>(std::min<size_t>(size, 1U << 30)));
}
bool TruncateRaw(int fd) {
    return _chsize(fd, 0) == 0;
}
int CloseRaw(int fd) {
    return _close(fd);
}
#else
constexpr std::string_view kLineEnd = "\n";
constexpr int kReading = O_RDONLY;
constexpr int kAppending = O_WRONLY | O_APPEND;
constexpr int kCreating = O_WRONLY | O_CREAT;

// Without O_NONBLOCK the open itself of a FIFO waits for its other end, before any check could run.
int OpenRaw(const fs::path& path, int flags) {
    int fd;
    do {
        fd = ::open(path.c_str(), flags | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0666);
    } while (fd < 0 && errno == EINTR);
    return fd;
}
bool IsRegular(int fd) {
    struct stat status {};
    return fstat(fd, &status) == 0 && S_ISREG(status.st_mode);
}
long long ReadRaw(int fd, char* buffer, size_t size) {
    return ::read(fd, buffer, size);
}
long long WriteRaw(int fd, const char* data, size_t size) {
    return ::write(fd, data, size);
}
bool TruncateRaw(int fd) {
    return ftruncate(fd, 0) == 0;
}
int CloseRaw(int fd) {
    return ::close(fd);
}

bool SameIgnoringCase(const std::string& a, const std::string& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [](unsigned char x, unsigned char y) { return std::tolower(x) == std::tolower(y); });
}

// The entry of folder whose name equals name without regard to case, or name itself. A folder that
// exists but cannot be listed sets error.
std::string MatchInFolder(const fs::path& folder, const std::string& name, std::error_code& error) {
    std::error_code ec;
    if (fs::exists(folder / name, ec)) return name;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        std::string entry = it->path().filename().string();
        if (SameIgnoringCase(entry, name)) return entry;
    }
    if (ec && ec != std::errc::no_such_file_or_directory && ec != std::errc::not_a_directory && !error)
        error = ec;
    return name;
}
#endif

// An open regular file, closed when it goes. Anything else in its place (a FIFO, a device, a folder)
// is closed again at once and leaves the object empty.
class RegularFile {
  public:
    RegularFile(const fs::path& path, int flags) : fd_(OpenRaw(path, flags)) {
        if (fd_ >= 0 && !IsRegular(fd_)) {
            CloseRaw(fd_);
            fd_ = -1;
        }
    }
    ~RegularFile() {
        if (fd_ >= 0) CloseRaw(fd_);
    }
    RegularFile(const RegularFile&) = delete;
    RegularFile& operator=(const RegularFile&) = delete;

    explicit operator bool() const { return fd_ >= 0; }

    std::optional<std::string> ReadAll(size_t limit) const {
        std::string content;
        char buffer[65536];
        for (;;) {
            const long long got = ReadRaw(fd_, buffer, sizeof buffer);
            if (got == 0) return content;
            if (got < 0 && errno == EINTR) continue;
            if (got < 0 || static_cast<size_t>(got) > limit - content.size()) return std::nullopt;
            content.append(buffer, static_cast<size_t>(got));
        }
    }

    bool WriteAll(std::string_view data) const {
        while (!data.empty()) {
            const long long put = WriteRaw(fd_, data.data(), data.size());
            if (put < 0 && errno == EINTR) continue;
            if (put <= 0) return false;
            data.remove_prefix(static_cast<size_t>(put));
        }
        return true;
    }

    bool Truncate() const { return TruncateRaw(fd_); }

    // A late write error (a full disk on a network share) shows only here.
    bool Close() {
        const int fd = std::exchange(fd_, -1);
        return CloseRaw(fd) == 0;
    }

  private:
    int fd_;
};

// Creates the file or replaces its content.
bool WriteWhole(const fs::path& path, std::string_view content) {
    RegularFile file(path, kCreating);
    return file && file.Truncate() && file.WriteAll(content) && file.Close();
}

} // namespace

FileSys::FileSys(fs::path base) : base_(std::move(base)) {}

fs::path FileSys::Resolve(std::string_view path) const {
    std::error_code ignored;
    return Resolve(path, ignored);
}

fs::path FileSys::Resolve(std::string_view path, [[maybe_unused]] std::error_code& error) const {
#ifdef _WIN32
    fs::path given{std::string(path)};
    return given.is_absolute() ? given : base_ / given;
#else
    std::string text(path);
    std::replace(text.begin(), text.end(), '\\', '/');
    fs::path result = (!text.empty() && text.front() == '/') ? fs::path("/") : base_;
    size_t start = 0;
    while (start <= text.size()) {
        size_t slash = text.find('/', start);
        if (slash == std::string::npos) slash = text.size();
        std::string part = text.substr(start, slash - start);
        if (!part.empty() && part != ".")
            result /= (part == ".." ? part : MatchInFolder(result, part, error));
        start = slash + 1;
    }
    return result;
#endif
}

PathCheck FileSys::Check(std::string_view path, bool folder) const {
    std::error_code searchError;
    const fs::path resolved = Resolve(path, searchError);
    PathCheck check{PathCheck::State::Missing, resolved.string(), ""};
    while (check.path.size() > 1 && (check.path.back() == '/' || check.path.back() == '\\'))
        check.path.pop_back();
    if (path.empty()) return check;
    std::error_code ec;
    const fs::file_status status = fs::status(resolved, ec);
    if (fs::exists(status)) {
        if (fs::is_directory(status) == folder) check.state = PathCheck::State::Present;
    } else if (status.type() != fs::file_type::not_found) {
        check.state = PathCheck::State::Unknown;
        check.reason = ec.message();
    } else if (searchError) {
        // Not there as written, and the folder could not be searched for it in another case.
        check.state = PathCheck::State::Unknown;
        check.reason = searchError.message();
    }
    return check;
}

PathCheck FileSys::CheckFolder(std::string_view path) const {
    return Check(path, true);
}

PathCheck FileSys::CheckFile(std::string_view path) const {
    return Check(path, false);
}

std::optional<std::string> FileSys::ReadText(std::string_view path, size_t limit) const {
    RegularFile file(Resolve(path), kReading);
    if (!file) return std::nullopt;
    return file.ReadAll(limit);
}

bool FileSys::AppendLine(std::string_view path, std::string_view text) const {
    RegularFile file(Resolve(path), kAppending);
    std::string line = ToPlatformLineEnds(text);
    line += kLineEnd;
    return file && file.WriteAll(line) && file.Close();
}

bool FileSys::CreateEmpty(std::string_view path) const {
    return WriteWhole(Resolve(path), {});
}

bool FileSys::ReplaceText(std::string_view path, std::string_view text) const {
    fs::path target = Resolve(path);
    std::error_code ec;
    const fs::file_status status = fs::status(target, ec);
    if (fs::exists(status) && !fs::is_regular_file(status)) return false;
    // One fixed name: a save cut short leaves at most this file, which the next save reuses.
    fs::path temp = target;
    temp += ".tmp";
    if (!WriteWhole(temp, ToPlatformLineEnds(text))) {
        fs::remove(temp, ec);
        return false;
    }
    fs::rename(temp, target, ec);
    if (ec) {
        fs::remove(temp, ec);
        return false;
    }
    return true;
}

bool FileSys::CopyFile(std::string_view from, std::string_view to) const {
    RegularFile source(Resolve(from), kReading);
    if (!source) return false;
    const std::optional<std::string> content = source.ReadAll(SIZE_MAX);
    return content && WriteWhole(Resolve(to), *content);
}

bool FileSys::DeleteFile(std::string_view path) const {
    std::error_code ec;
    fs::path resolved = Resolve(path);
    if (fs::is_directory(resolved, ec)) return false;
    return fs::remove(resolved, ec) && !ec;
}

std::string FileSys::ToPlatformLineEnds(std::string_view text) {
    std::string out;
    out.reserve(text.size() + text.size() / 16);
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) {
            out += kLineEnd;
        } else {
            out += text[i];
        }
    }
    return out;
}

std::vector<std::string> SplitLines(std::string_view text) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        size_t stop = (end > start && text[end - 1] == '\r') ? end - 1 : end;
        lines.emplace_back(text.substr(start, stop - start));
        start = end + 1;
    }
    return lines;
}

} // namespace qz
