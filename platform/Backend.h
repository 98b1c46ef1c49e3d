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

} // namespace qz
