// Writes the program's icon file (the logo in the sizes Windows asks for) for the resource file:
//   quenzel_icon OUT.ico
#include <cstdint>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "pictures/Pictures.h"

namespace {

void Put16(std::string& out, unsigned value) {
    out += static_cast<char>(value & 0xFF);
    out += static_cast<char>((value >> 8) & 0xFF);
}

void Put32(std::string& out, uint32_t value) {
    Put16(out, value & 0xFFFF);
    Put16(out, value >> 16);
}

// One image of the file: a bitmap header, the colours bottom row first as BGRA, and an empty mask
// (the alpha channel decides).
std::string Image(const qz::pictures::Picture& picture) {
    const auto side = static_cast<uint32_t>(picture.size);
    const uint32_t maskRow = (side + 31) / 32 * 4;
    std::string out;
    Put32(out, 40);
    Put32(out, side);
    Put32(out, side * 2);
    Put16(out, 1);
    Put16(out, 32);
    Put32(out, 0);
    Put32(out, side * side * 4 + maskRow * side);
    for (int i = 0; i < 4; ++i)
        Put32(out, 0);
    for (int row = picture.size - 1; row >= 0; --row) {
        for (int column = 0; column < picture.size; ++column) {
            const uint8_t* pixel = &picture.rgba[(static_cast<size_t>(row) * side + column) * 4];
            out += {static_cast<char>(pixel[2]), static_cast<char>(pixel[1]), static_cast<char>(pixel[0]),
                    static_cast<char>(pixel[3])};
        }
    }
    out.append(static_cast<size_t>(maskRow) * side, '\0');
    return out;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: quenzel_icon OUT.ico\n";
        return 2;
    }
    const std::vector<int> sizes{16, 20, 24, 32, 40, 48, 64, 128};
    std::vector<std::string> images;
    for (int size : sizes)
        images.push_back(Image(qz::pictures::DrawLogo(size)));
    std::string file;
    Put16(file, 0);
    Put16(file, 1);
    Put16(file, static_cast<unsigned>(sizes.size()));
    auto offset = static_cast<uint32_t>(6 + 16 * sizes.size());
    for (size_t i = 0; i < sizes.size(); ++i) {
        file += static_cast<char>(sizes[i]);
        file += static_cast<char>(sizes[i]);
        Put16(file, 0);
        Put16(file, 1);
        Put16(file, 32);
        Put32(file, static_cast<uint32_t>(images[i].size()));
        Put32(file, offset);
        offset += static_cast<uint32_t>(images[i].size());
    }
    for (const std::string& image : images)
        file += image;
    std::ofstream out(argv[1], std::ios::binary);
    out << file;
    return out.flush() ? 0 : 1;
}
