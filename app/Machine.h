#pragma once
#include <memory>

#include "core/Program.h"
#include "platform/Backend.h"

namespace qz {

// This machine as a program's main gives it: the clock, the current folder and the platform's own
// implementations. It must outlive the program made over it.
struct Machine {
    Services For(Host& host) {
        return {host, clock, files, *processes, *power, *socket, *resolver, *guard, *system};
    }

    SystemClock clock;
    FileSys files;
    std::unique_ptr<ProcessTable> processes = MakeProcessTable();
    std::unique_ptr<PowerApi> power = MakePowerApi();
    std::unique_ptr<UdpSocket> socket = MakeUdpSocket();
    std::unique_ptr<NameResolver> resolver = MakeNameResolver();
    std::unique_ptr<InstanceGuard> guard = MakeInstanceGuard();
    std::unique_ptr<SystemServices> system = MakeSystemServices();
};

} // namespace qz
