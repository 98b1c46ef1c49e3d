#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace qz::pictures {

// A square picture, straight (not premultiplied) RGBA, 4 bytes a pixel, rows top to bottom. Both
// desktop front ends draw the product's pictures from these, so they look alike.
struct Picture {
    int size = 0;
    std::vector<uint8_t> rgba;
};

// The product's logo: a power sign on a dark green tile, with an orange dot in its corner.
Picture DrawLogo(int size);

// The tray's picture for a monitor key: the logo with a round badge in the key's colour ("Start"
// and "Activate" share one), or the plain logo for "NoActivity". Nothing for any other key.
std::optional<Picture> DrawTrayPicture(const std::string& key, int size);

} // namespace qz::pictures
