#include "tests/e2e/Quenzeld.h"

#include <unistd.h>

#include <stdexcept>

namespace qz::test {

// The start option that leaves out every power action counts only at the head of the line.
static std::vector<std::string> InhibitedCommandLine(const char* program,
                                                     std::vector<std::string> arguments) {
    if (arguments.empty() || arguments.front() != "-InhibitShutdown")
        throw std::invalid_argument("quenzeld is started only with -InhibitShutdown first");
    arguments.insert(arguments.begin(), program);
    return arguments;
}

Quenzeld::Quenzeld(const TestWorld& world, const Station& s, const std::vector<std::string>& arguments,
                   const std::array<Stream, 3>& streams, const char* program)
    : Process(InhibitedCommandLine(program, arguments),
              {"QZ_TEST_LOCK_FOLDER=" + world.runtime.path().string(),
               "XDG_RUNTIME_DIR=" + s.Folder().string(),
               "DBUS_SYSTEM_BUS_ADDRESS=unix:path=" + (s.Folder() / "no-bus").string(),
               "DBUS_SESSION_BUS_ADDRESS=unix:path=" + (s.Folder() / "no-bus").string(),
               "QT_QPA_PLATFORM=offscreen"},
              s.Folder(), streams),
      station(s) {}

WatchedProcess::WatchedProcess(const Station& station, int seconds)
    : name([&station] {
          static int count = 0;
          std::string unique = "qz-watched-" + std::to_string(getpid()) + "-" + std::to_string(++count);
          std::filesystem::copy_file("/bin/sleep", station.Folder() / unique);
          return unique;
      }()),
      process({(station.Folder() / name).string(), std::to_string(seconds)}) {}

} // namespace qz::test
