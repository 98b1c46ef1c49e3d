// Feeds stored inputs to a fuzz target's entry point, so the corpus and the regression files run as
// an ordinary test without a fuzzing compiler.
#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {
namespace fs = std::filesystem;

std::vector<fs::path> FilesUnder(const fs::path& folder) {
    std::vector<fs::path> files;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        if (entry.is_regular_file()) files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());
    return files;
}

std::string Bytes(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

} // namespace

// replay CORPUS [MORE...]: the corpus folder must hold inputs; further folders may be missing.
int main(int argc, char** argv) {
    if (argc < 2) {
        std::cerr << "usage: " << argv[0] << " CORPUS [MORE...]\n";
        return 2;
    }
    size_t replayed = 0;
    for (int i = 1; i < argc; ++i) {
        fs::path folder = argv[i];
        if (!fs::is_directory(folder)) {
            if (i == 1) {
                std::cerr << folder.string() << ": no such folder\n";
                return 1;
            }
            continue;
        }
        for (const fs::path& file : FilesUnder(folder)) {
            std::cerr << file.string() << '\n';
            std::string bytes = Bytes(file);
            LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
            ++replayed;
        }
        if (i == 1 && replayed == 0) {
            std::cerr << folder.string() << ": no inputs\n";
            return 1;
        }
    }
    std::cout << "replayed " << replayed << " inputs\n";
    return 0;
}
