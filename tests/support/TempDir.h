#pragma once
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <string_view>

namespace qz::test {

// A fresh folder under the system's temporary folder, removed with everything in it at the end.
class TempDir {
  public:
    TempDir() {
        for (std::mt19937_64 gen(std::random_device{}());;)
            if (std::filesystem::create_directory(path_ = std::filesystem::temp_directory_path() /
                                                          ("quenzel-test-" + std::to_string(gen()))))
                break;
    }
    ~TempDir() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& path() const { return path_; }
    // Writes a file (creating its folders) with exactly these bytes.
    void Write(std::string_view relative, std::string_view bytes) const {
        const std::filesystem::path file = path_ / std::filesystem::path(relative);
        std::filesystem::create_directories(file.parent_path());
        std::ofstream(file, std::ios::binary | std::ios::trunc)
            .write(bytes.data(), std::streamsize(bytes.size()));
    }
    std::string Read(std::string_view relative) const {
        std::ifstream in(path_ / std::filesystem::path(relative), std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

  private:
    std::filesystem::path path_;
};

} // namespace qz::test
