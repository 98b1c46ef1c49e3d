#include "win/Icons.h"

#include <map>
#include <utility>

#include "pictures/Pictures.h"

namespace qz::win {
namespace {

HICON MakeIcon(const pictures::Picture& picture) {
    BITMAPV5HEADER header{};
    header.bV5Size = sizeof(header);
    header.bV5Width = picture.size;
    header.bV5Height = -picture.size; // rows top to bottom
    header.bV5Planes = 1;
    header.bV5BitCount = 32;
    header.bV5Compression = BI_BITFIELDS;
    header.bV5RedMask = 0x00FF0000;
    header.bV5GreenMask = 0x0000FF00;
    header.bV5BlueMask = 0x000000FF;
    header.bV5AlphaMask = 0xFF000000;
    void* bits = nullptr;
    HDC screen = GetDC(nullptr);
    HBITMAP colour =
        CreateDIBSection(screen, reinterpret_cast<BITMAPINFO*>(&header), DIB_RGB_COLORS, &bits, nullptr, 0);
    ReleaseDC(nullptr, screen);
    if (!colour) return nullptr;
    auto* out = static_cast<uint8_t*>(bits);
    for (size_t i = 0; i < picture.rgba.size(); i += 4) {
        out[i] = picture.rgba[i + 2];
        out[i + 1] = picture.rgba[i + 1];
        out[i + 2] = picture.rgba[i];
        out[i + 3] = picture.rgba[i + 3];
    }
    HBITMAP mask = CreateBitmap(picture.size, picture.size, 1, 1, nullptr);
    ICONINFO info{TRUE, 0, 0, mask, colour};
    HICON icon = CreateIconIndirect(&info);
    DeleteObject(mask);
    DeleteObject(colour);
    return icon;
}

HICON Cached(const std::string& key, int size) {
    static std::map<std::pair<std::string, int>, HICON> icons;
    auto [at, added] = icons.try_emplace({key, size}, nullptr);
    if (added) {
        const auto picture = key.empty() ? pictures::DrawLogo(size) : pictures::DrawTrayPicture(key, size);
        if (picture) at->second = MakeIcon(*picture);
    }
    return at->second;
}

} // namespace

HICON LogoIcon(int size) {
    return Cached("", size);
}

HICON TrayIcon(const std::string& key, int size) {
    return key.empty() ? nullptr : Cached(key, size);
}

} // namespace qz::win
