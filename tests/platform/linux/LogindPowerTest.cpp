#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <optional>

#include "platform/Backend.h"
#include "power/PowerControl.h"
#include "power/ShutdownTypes.h"
#include "tests/support/Fakes.h"
#include "tests/support/Process.h"
#include "tests/support/TempDir.h"

namespace qz::test {
namespace {

// Starts the program and waits for the first line of its output.
std::string FirstLine(std::optional<Process>& process, const std::vector<std::string>& argv) {
    int out[2];
    if (pipe2(out, O_CLOEXEC) != 0) return "";
    process.emplace(argv, std::vector<std::string>{}, "/",
                    std::array<Stream, 3>{"/dev/null", out[1], "/dev/null"});
    close(out[1]);
    std::string line;
    for (char c = 0; read(out[0], &c, 1) == 1 && c != '\n';)
        line += c;
    close(out[0]);
    return line;
}

const std::string kRefused =
    "-2147219922: Can't enable shutdown: You do not have the privileges to shutdown this system. [";
const std::string kFailed = "-2147219925: ";
const std::string kPlayer = "Blocked by Player (PID 4242): Playing a film";
const std::string kBothBlock =
    kFailed + "ShutdownSystem failed: " + kPlayer + "; Blocked by Backup (PID 77): Copying files";
const std::string kHarmless = "sleep|Updater|Installing|delay|78;idle:handle-lid-switch|Desk|Busy|block|79";
const std::string kBlocking = "ListInhibitors=sleep:shutdown|Player|Playing a film|block|4242;"
                              "shutdown|Backup|Copying files|block|77;" +
                              kHarmless;

// The backend under the program's power control, against a fake logind (one for each row) on a
// dbus-daemon that listens only in the folder; the system bus is missing but while a call is made.
TEST(LogindBackend, EachActionReachesItsMethodOnlyWhenLogindAllowsAndNothingBlocksIt) {
    TempDir dir;
    const std::string at = dir.path().string() + "/", gone = "unix:path=" + at + "no-bus",
                      calls = at + "calls";
    ASSERT_EQ(setenv("DBUS_SYSTEM_BUS_ADDRESS", gone.c_str(), 1), 0);
    std::ofstream(at + "bus.conf")
        << "<busconfig><type>session</type><listen>unix:path=" << at << "bus</listen>"
        << "<auth>EXTERNAL</auth><policy context=\"default\"><allow send_destination=\"*\"/>"
           "<allow receive_sender=\"*\"/><allow own=\"*\"/></policy></busconfig>\n";
    std::optional<Process> daemon, logind;
    const std::string bus = FirstLine(
        daemon, {QZ_DBUS_DAEMON, "--config-file=" + at + "bus.conf", "--nofork", "--print-address=1"});
    ASSERT_TRUE(bus.starts_with("unix:path=" + at + "bus,"));
    FakeWorld world(dir.path());
    std::unique_ptr<PowerApi> backend = MakePowerApi();
    Program program(Services{world.host, world.clock, world.files, world.processes, *backend, world.socket,
                             world.resolver, world.guard, world.system});
    // the type's number, forced, the fake's option ("none": no logind on the bus), its calls, the error
    const std::tuple<int, bool, std::string, std::string, std::string> rows[] = {
        {1, true, "", "CanPowerOff, PowerOff false", ""},
        {6, false, "", "CanSuspend, ListInhibitors, Suspend false", ""},
        {1, true, "CanPowerOff=no", "CanPowerOff",
         kRefused + "logind does not allow this user to power off (CanPowerOff: no)]"},
        {6, false, "CanSuspend=challenge", "CanSuspend",
         kRefused + "logind asks for authentication to suspend, which this program cannot give (CanSuspend: "
                    "challenge)]"},
        {1, false, "none", "",
         kRefused + "The name org.freedesktop.login1 was not provided by any .service files]"},
        {1, false, gone, "", kRefused + "No such file or directory]"},
        {3, false, kBlocking, "CanPowerOff, ListInhibitors", kBothBlock},
        {2, false, kBlocking, "CanReboot, ListInhibitors", kBothBlock},
        {6, false, kBlocking, "CanSuspend, ListInhibitors", kFailed + "StandbySystem failed: " + kPlayer},
        {2, true, kBlocking, "CanReboot, Reboot false", ""},
        {2, false, "ListInhibitors=" + kHarmless, "CanReboot, ListInhibitors, Reboot false", ""},
        {5, false, "Hibernate=org.freedesktop.DBus.Error.AccessDenied",
         "CanHibernate, ListInhibitors, Hibernate false",
         kFailed + "HibernateSystem failed: Refused by the fake logind"},
    };
    for (const auto& row : rows) {
        const auto& [number, forced, option, heard, error] = row;
        SCOPED_TRACE("row " + std::to_string(&row - rows));
        logind.reset();
        std::filesystem::remove(calls);
        ASSERT_TRUE(option == "none" || option == gone ||
                    FirstLine(logind, {QZ_FAKE_LOGIND, bus, calls, option}) == "ready");
        ASSERT_EQ(setenv("DBUS_SYSTEM_BUS_ADDRESS", (option == gone ? gone : bus).c_str(), 1), 0);
        std::string raised, called, line;
        try { // as the countdown does it for each type
            const ShutdownTypeInfo& type = InfoOf(static_cast<ShutdownType>(number - 1));
            if (number == 5) HibernateSystem(program);
            if (number == 6) StandbySystem(program);
            if (number < 4) ShutdownSystem(program, forced ? type.forcedFlags : type.normalFlags);
        } catch (const PowerError& e) {
            raised = std::to_string(e.number) + ": " + e.what();
        }
        setenv("DBUS_SYSTEM_BUS_ADDRESS", gone.c_str(), 1);
        for (std::ifstream in(calls); std::getline(in, line);)
            called += (called.empty() ? "" : ", ") + line;
        EXPECT_EQ(std::tuple(called, raised), std::tuple(heard, error));
    }
}

} // namespace
} // namespace qz::test
