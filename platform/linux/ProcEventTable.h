#pragma once
#include <cstddef>
#include <memory>
#include <string>

#include "platform/ProcessTable.h"

namespace qz {

// The process table kept from the kernel's process events (the netlink process connector) instead
// of a walk: one walk of the proc folder at start and after the event stream lost something, then
// only the processes that started, exec'd, renamed or ended are read again, at the next scan.
class ProcEventTable : public ProcessTable {
  public:
    // Null when the events cannot be had: not root (CAP_NET_ADMIN), no connector in the kernel, or
    // another pid namespace. receiveBuffer in bytes; 0 takes one large enough for a storm of forks.
    static std::unique_ptr<ProcEventTable> Open(const std::string& root, int receiveBuffer = 0);
    // Walks of the proc folder so far, the one at start included.
    virtual size_t Walks() const = 0;
};

} // namespace qz
