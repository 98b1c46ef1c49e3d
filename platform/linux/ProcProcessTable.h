#pragma once
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "platform/ProcessTable.h"

namespace qz {

enum class NameReading { Named, Gone, Failed };

// The names a process is known by, read from its folder in the proc file system: the program's
// name (comm, completed from argv[0] when the kernel cut it) and, for a known interpreter running a
// script, the script's base name. The walk and the event table share it, so both name alike.
class ProcessNames {
  public:
    // pid is the process's folder name. Gone: the process ended; Failed: any other read error.
    NameReading Read(int procFd, const char* pid);
    const std::string_view* begin() const { return names_; }
    const std::string_view* end() const { return names_ + count_; }

  private:
    char comm_[64];
    char cmdline_[4096];
    std::string_view names_[2];
    size_t count_ = 0;
};

// Every process listed in the proc folder with its names; false as soon as the folder or a
// process's names could not be read.
bool WalkProcFolder(int procFd, ProcessNames& names,
                    const std::function<void(const char* pid, const ProcessNames&)>& visit);

// True when the proc file system at root was mounted with hidepid and this program is not exempt
// (no CAP_SYS_PTRACE, not in the mount's gid): other users' processes are then silently missing.
// Reads root/self/mountinfo and root/self/status, so a fake proc folder can stand in.
bool OtherUsersHidden(const std::string& root);

// The process table of a proc file system mounted at root; MakeProcessTable uses "/proc".
std::unique_ptr<ProcessTable> MakeProcProcessTable(std::string root);

} // namespace qz
