#include "platform/FileSys.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <system_error>

namespace qz {
namespace fs = std::filesystem;

namespace {

#ifdef _WIN32
constexpr std::string_view kLineEnd = "\r\n";
#else
constexpr std::string_view kLineEnd = "\n";
#endif

#ifndef _WIN32
bool SameIgnoringCase(const std::string& a, const std::string& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](unsigned char x, unsigned char y) {
        return std::tolower(x) == std::tolower(y);
    });
}

// The entry of folder whose name equals name without regard to case, or name itself.
std::string MatchInFolder(const fs::path& folder, const std::string& name) {
    std::error_code ec;
    if (fs::exists(folder / name, ec)) return name;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        std::string entry = it->path().filename().string();
        if (SameIgnoringCase(entry, name)) return entry;
    }
    return name;
}
#endif

bool WriteFile(const fs::path& path, std::string_view content, std::ios::openmode mode) {
    std::ofstream out(path, std::ios::binary | mode);
    if (!out) return false;
    out.write(content.data(), static_cast<std::streamsize>(content.size()));
    out.flush();
    return static_cast<bool>(out);
}

} // namespace

FileSys::FileSys(fs::path base) : base_(std::move(base)) {}

fs::path FileSys::Resolve(std::string_view path) const {
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
        if (!part.empty() && part != ".") result /= (part == ".." ? part : MatchInFolder(result, part));
        start = slash + 1;
    }
    return result;
#endif
}

bool FileSys::FolderExists(std::string_view path) const {
    std::error_code ec;
    return !path.empty() && fs::is_directory(Resolve(path), ec);
}

bool FileSys::FileExists(std::string_view path) const {
    std::error_code ec;
    auto status = fs::status(Resolve(path), ec);
    return !ec && fs::exists(status) && !fs::is_directory(status);
}

std::optional<std::string> FileSys::ReadText(std::string_view path) const {
    fs::path resolved = Resolve(path);
    std::error_code ec;
    if (fs::is_directory(resolved, ec)) return std::nullopt;
    std::ifstream in(resolved, std::ios::binary);
    if (!in) return std::nullopt;
    std::string content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) return std::nullopt;
    return content;
}

bool FileSys::AppendLine(std::string_view path, std::string_view text) const {
    if (!FileExists(path)) return false;
    std::string line = ToPlatformLineEnds(text);
    line += kLineEnd;
    return WriteFile(Resolve(path), line, std::ios::app);
}

bool FileSys::CreateEmpty(std::string_view path) const {
    std::error_code ec;
    fs::path resolved = Resolve(path);
    if (fs::is_directory(resolved, ec)) return false;
    return WriteFile(resolved, {}, std::ios::trunc);
}

bool FileSys::ReplaceText(std::string_view path, std::string_view text) const {
    fs::path target = Resolve(path);
    std::error_code ec;
    if (fs::is_directory(target, ec)) return false;
    // One fixed name: a save cut short leaves at most this file, which the next save reuses.
    fs::path temp = target;
    temp += ".tmp";
    if (!WriteFile(temp, ToPlatformLineEnds(text), std::ios::trunc)) {
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
    std::error_code ec;
    fs::copy_file(Resolve(from), Resolve(to), fs::copy_options::overwrite_existing, ec);
    return !ec;
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
