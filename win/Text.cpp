#include "win/Text.h"

#include <windows.h>

namespace qz::win {
namespace {

std::wstring Decode(UINT codePage, DWORD flags, const std::string& text) {
    const int length = static_cast<int>(text.size());
    const int needed = MultiByteToWideChar(codePage, flags, text.data(), length, nullptr, 0);
    if (needed <= 0) return {};
    std::wstring wide(static_cast<size_t>(needed), L'\0');
    MultiByteToWideChar(codePage, flags, text.data(), length, wide.data(), needed);
    return wide;
}

} // namespace

std::wstring Wide(const std::string& text) {
    if (text.empty()) return {};
    std::wstring wide = Decode(CP_UTF8, MB_ERR_INVALID_CHARS, text);
    return wide.empty() ? Decode(1252, 0, text) : wide;
}

std::string Utf8(const std::wstring& text) {
    if (text.empty()) return {};
    const int length = static_cast<int>(text.size());
    const int needed = WideCharToMultiByte(CP_UTF8, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<size_t>(needed > 0 ? needed : 0), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), length, utf8.data(), needed, nullptr, nullptr);
    return utf8;
}

} // namespace qz::win
