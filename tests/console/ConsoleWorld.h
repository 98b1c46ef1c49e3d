#pragma once
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "console/Session.h"
#include "tests/console/RunFolder.h"
#include "tests/support/Fakes.h"
#include "tests/support/TempDir.h"

namespace qz::test {

// quenzeld's session in a working folder of its own, with fakes for the world besides its host.
// Both of its streams go into one text, so the order of status lines and boxes shows.
struct ConsoleWorld {
    explicit ConsoleWorld(const Config& config = {}, const std::string& commandLine = "-InhibitShutdown");

    std::string Written() const { return stream.str(); }
    std::vector<LogEntry> Log() const;
    // Runs a handler that is to end the program; its exit status, or -1 when it did not end it.
    template <typename Handler> int EndStatus(Handler&& handler) {
        try {
            handler();
        } catch (const ConsoleExit& end) {
            return end.status;
        }
        return -1;
    }

    TempDir dir;
    std::ostringstream stream;
    ConsoleOutput output{stream, stream, false};
    ConsoleHost host{output};
    FakeWorld fakes{dir.path()};
    Program program{Services{host, fakes.clock, fakes.files, fakes.processes, fakes.power, fakes.socket,
                             fakes.resolver, fakes.guard, fakes.system}};
    StatusPrinter status{output};
    Session session{program, host, status};
};

} // namespace qz::test
