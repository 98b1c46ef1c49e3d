#pragma once
#include <string>

#include "tests/support/IniFile.h"

namespace qz::test {

// Two configurations to save in turn; the large one makes kills land mid-write often.
inline std::string SmallSaveText() {
    return IniFile().Set("Proc1", "encoder.exe").Text();
}

inline std::string LargeSaveText() {
    std::string name;
    while (name.size() < 128 * 1024)
        name += "render-worker-";
    return IniFile().Set("Proc1", "backup").Set("Proc3", name).Text();
}

} // namespace qz::test
