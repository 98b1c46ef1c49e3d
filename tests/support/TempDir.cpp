#include "tests/support/TempDir.h"

#include <fstream>
#include <iterator>
#include <random>
#include <string>

namespace qz::test {
namespace fs = std::filesystem;

TempDir::TempDir() {
    std::random_device seed;
    std::mt19937_64 gen(seed());
    for (;;) {
        path_ = fs::temp_directory_path() / ("quenzel-test-" + std::to_string(gen()));
        if (fs::create_directory(path_)) break;
    }
}

TempDir::~TempDir() {
    std::error_code ec;
    fs::remove_all(path_, ec);
}

void TempDir::Write(std::string_view relative, std::string_view bytes) const {
    fs::path p = path_ / fs::path(std::string(relative));
    fs::create_directories(p.parent_path());
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string TempDir::Read(std::string_view relative) const {
    std::ifstream in(path_ / fs::path(std::string(relative)), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

} // namespace qz::test
