#pragma once
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

namespace qz {

// The program's file layer. Paths are given as the program writes them ("Data\Quenzel.ini", "Log\"),
// relative to the working folder unless absolute. On Linux a backslash is a separator and a path
// component that does not exist as written is matched without regard to case, as on Windows.
// Texts in memory end their lines with "\n"; files get the platform's line end.
// Whether a file or folder is there. Unknown when the system could not tell (out of descriptors, a
// loop of links, no permission to look, ...); reason then holds the system's text.
struct PathCheck {
    enum class State { Present, Missing, Unknown };
    State state = State::Missing;
    std::string path; // as resolved, for messages
    std::string reason;
};

class FileSys {
  public:
    explicit FileSys(std::filesystem::path base = std::filesystem::current_path());

    std::filesystem::path Resolve(std::string_view path) const;
    const std::filesystem::path& Base() const { return base_; }

    // A file is anything but a folder; a folder's path may end with a separator.
    PathCheck CheckFolder(std::string_view path) const;
    PathCheck CheckFile(std::string_view path) const;
    bool FolderExists(std::string_view path) const {
        return CheckFolder(path).state == PathCheck::State::Present;
    }
    bool FileExists(std::string_view path) const {
        return CheckFile(path).state == PathCheck::State::Present;
    }

    // Files are read and written only when they are regular files: a FIFO, a device or a folder in
    // their place is a failure, never a wait or an endless read.

    // The whole file, or nullopt when it cannot be opened or read or holds more than limit bytes.
    std::optional<std::string> ReadText(std::string_view path, size_t limit = SIZE_MAX) const;
    // Appends text and one line end to an existing file; never creates it.
    bool AppendLine(std::string_view path, std::string_view text) const;
    // Creates an empty file, replacing one that exists.
    bool CreateEmpty(std::string_view path) const;
    // Replaces the file's content by text through a temporary file and a rename in the same folder,
    // so a failure leaves the old file whole.
    bool ReplaceText(std::string_view path, std::string_view text) const;
    // Copies a file to a new or replaced file.
    bool CopyFile(std::string_view from, std::string_view to) const;
    bool DeleteFile(std::string_view path) const;

    static std::string ToPlatformLineEnds(std::string_view text);

  private:
    // Like Resolve; a folder that could not be searched for a name of another case sets error.
    std::filesystem::path Resolve(std::string_view path, std::error_code& error) const;
    PathCheck Check(std::string_view path, bool folder) const;

    std::filesystem::path base_;
};

// Splits text into lines without their ends; accepts "\n" and "\r\n". A final line end adds no line.
std::vector<std::string> SplitLines(std::string_view text);

} // namespace qz
