#pragma once
#include <functional>
#include <string_view>

namespace qz {

// The machine's list of running processes, all users included.
class ProcessTable {
public:
    virtual ~ProcessTable() = default;
    // Calls visit with the image name of every running process (for example "notepad.exe").
    // Returns false when the table could not be read; names already visited then stand.
    virtual bool ForEachName(const std::function<void(std::string_view)>& visit) = 0;
};

} // namespace qz
