#pragma once
#include <functional>
#include <string_view>

namespace qz {

// How the table learns what runs, and what it cannot see; settled when the table is made.
struct ProcessWatch {
    bool kernelEvents = false;     // kept up to date from the kernel's process events, not a walk
    bool otherUsersHidden = false; // the system hides other users' processes from this program
};

// The machine's list of running processes, all users included.
class ProcessTable {
  public:
    virtual ~ProcessTable() = default;
    // Calls visit with each name of every running process (for example "notepad.exe"; a script
    // also by its script's name). Returns false when the table could not be read whole; names
    // already visited then stand.
    virtual bool ForEachName(const std::function<void(std::string_view)>& visit) = 0;
    virtual ProcessWatch Watch() const { return {}; }
};

} // namespace qz
