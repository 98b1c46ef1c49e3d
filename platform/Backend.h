#pragma once
#include <memory>

#include "platform/PowerApi.h"
#include "platform/ProcessTable.h"
#include "platform/System.h"
#include "platform/UdpSocket.h"

namespace qz {

// The operating system's implementations, provided by platform/linux or platform/windows.
std::unique_ptr<ProcessTable> MakeProcessTable();
std::unique_ptr<PowerApi> MakePowerApi();
std::unique_ptr<UdpSocket> MakeUdpSocket();
std::unique_ptr<NameResolver> MakeNameResolver();
std::unique_ptr<InstanceGuard> MakeInstanceGuard();
std::unique_ptr<SystemServices> MakeSystemServices();

// Opens the null device on each standard stream that is closed, so that no descriptor the program
// opens later becomes its standard input, output or error. Run first in main; false when a closed
// one could not be filled.
bool OpenClosedStandardStreams();

} // namespace qz
