#pragma once
#include <filesystem>
#include <string_view>

namespace qz::test {

// A fresh folder under the system's temporary folder, removed with everything in it at the end.
class TempDir {
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& path() const { return path_; }
    // Writes a file (creating its folders) with exactly these bytes.
    void Write(std::string_view relative, std::string_view bytes) const;
    std::string Read(std::string_view relative) const;

  private:
    std::filesystem::path path_;
};

} // namespace qz::test
