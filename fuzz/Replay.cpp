// Feeds stored inputs to a fuzz target's entry point, so the corpus and the regression files run as
// an ordinary test without a fuzzing compiler.
//   replay CORPUS [MORE...]: the corpus folder must hold inputs; further folders may be missing.
#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

int main(int argc, char** argv) {
    namespace fs = std::filesystem;
    if (argc < 2) return 2;
    size_t replayed = 0;
    for (int i = 1; i < argc; ++i) {
        std::vector<fs::path> files;
        if (fs::is_directory(argv[i]))
            for (const auto& entry : fs::recursive_directory_iterator(argv[i]))
                if (entry.is_regular_file()) files.push_back(entry.path());
        std::sort(files.begin(), files.end());
        for (const fs::path& file : files) {
            std::cerr << file.string() << '\n';
            std::ifstream in(file, std::ios::binary);
            const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
            LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
        }
        replayed += files.size();
        if (i == 1 && files.empty()) {
            std::cerr << argv[i] << ": no inputs\n";
            return 1;
        }
    }
    std::cout << "replayed " << replayed << " inputs\n";
    return 0;
}
