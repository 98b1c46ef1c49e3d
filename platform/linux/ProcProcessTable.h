#pragma once
#include <memory>
#include <string>

#include "platform/ProcessTable.h"

namespace qz {

// The process table of a proc file system mounted at root; MakeProcessTable uses "/proc".
std::unique_ptr<ProcessTable> MakeProcProcessTable(std::string root);

} // namespace qz
