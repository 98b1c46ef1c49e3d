#pragma once
#include <windows.h>

#include <string>

namespace qz::test {

// The full path of a program built into the test program's own folder.
inline std::string BesideTest(const std::string& program) {
    char self[MAX_PATH] = {};
    DWORD length = GetModuleFileNameA(nullptr, self, MAX_PATH);
    std::string path(self, length);
    return path.substr(0, path.find_last_of("\\/") + 1) + program;
}

} // namespace qz::test
