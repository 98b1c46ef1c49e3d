#pragma once
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qz {

// The program's file layer. Paths are given as the program writes them ("Data\Quenzel.ini", "Log\"),
// relative to the working folder unless absolute. On Linux a backslash is a separator and a path
// component that does not exist as written is matched without regard to case, as on Windows.
// Texts in memory end their lines with "\n"; files get the platform's line end.
class FileSys {
public:
    explicit FileSys(std::filesystem::path base = std::filesystem::current_path());

    std::filesystem::path Resolve(std::string_view path) const;
    const std::filesystem::path& Base() const { return base_; }

    bool FolderExists(std::string_view path) const;
    bool FileExists(std::string_view path) const;

    // The whole file, or nullopt when it cannot be opened or read (a folder, no permission, ...).
    std::optional<std::string> ReadText(std::string_view path) const;
    // Appends text and one line end to an existing file; never creates it.
    bool AppendLine(std::string_view path, std::string_view text) const;
    // Creates an empty file, replacing one that exists.
    bool CreateEmpty(std::string_view path) const;
    // Replaces the file's content by text through a temporary file and a rename in the same folder,
    // so a failure leaves the old file whole.
    bool ReplaceText(std::string_view path, std::string_view text) const;
    bool CopyFile(std::string_view from, std::string_view to) const;
    bool DeleteFile(std::string_view path) const;

    static std::string ToPlatformLineEnds(std::string_view text);

private:
    std::filesystem::path base_;
};

// Splits text into lines without their ends; accepts "\n" and "\r\n". A final line end adds no line.
std::vector<std::string> SplitLines(std::string_view text);

} // namespace qz
