#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/un.h>
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

namespace fs = std::filesystem;

// A dbus-daemon listening only on a socket in the folder, and on it a fake logind logging its calls there.
class PrivateLogind {
  public:
    explicit PrivateLogind(const fs::path& folder) : folder_(folder) {
        std::ofstream(folder / "bus.conf")
            << "<busconfig><type>session</type><listen>unix:path=" << (folder / "bus").string()
            << "</listen><auth>EXTERNAL</auth><policy context=\"default\"><allow send_destination=\"*\"/>"
               "<allow receive_sender=\"*\"/><allow own=\"*\"/></policy></busconfig>\n";
        address = FirstLine(daemon_, {QZ_DBUS_DAEMON, "--config-file=" + (folder / "bus.conf").string(),
                                      "--nofork", "--print-address=1"});
    }
    bool Start(const std::vector<std::string>& options) {
        std::vector<std::string> argv{QZ_FAKE_LOGIND, address, (folder_ / "calls.txt").string()};
        argv.insert(argv.end(), options.begin(), options.end());
        return FirstLine(logind_, argv) == "ready";
    }
    void Stop() { logind_.reset(); }
    std::string TakeCalls() { // since the last time, joined with ", "
        std::ifstream in(folder_ / "calls.txt");
        std::string calls;
        size_t seen = 0;
        for (std::string line; std::getline(in, line);)
            if (++seen > taken_) calls += (calls.empty() ? "" : ", ") + line;
        taken_ = seen;
        return calls;
    }

    std::string address;

  private:
    // Starts the program and waits for the first line of its output.
    static std::string FirstLine(std::optional<Process>& process, const std::vector<std::string>& argv) {
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

    fs::path folder_;
    std::optional<Process> daemon_, logind_;
    size_t taken_ = 0;
};

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

// The system bus address names a dead socket but while a call is made on the private bus.
TEST(LogindBackend, EachActionReachesItsMethodOnlyWhenLogindAllowsAndNothingBlocksIt) {
    TempDir dir;
    const std::string gone = "unix:path=" + (dir.path() / "no-bus").string(),
                      deaf = "unix:path=" + (dir.path() / "deaf").string();
    ASSERT_EQ(setenv("DBUS_SYSTEM_BUS_ADDRESS", gone.c_str(), 1), 0);
    PrivateLogind logind(dir.path());
    ASSERT_TRUE(logind.address.starts_with("unix:path=" + (dir.path() / "bus").string() + ","));
    sockaddr_un name{AF_UNIX, {}};
    (dir.path() / "deaf").string().copy(name.sun_path, sizeof name.sun_path - 1);
    const int socket = ::socket(AF_UNIX, SOCK_STREAM, 0); // nobody listens, as a killed daemon leaves it
    ASSERT_EQ(bind(socket, reinterpret_cast<sockaddr*>(&name), sizeof name), 0);
    close(socket);
    FakeWorld world(dir.path());
    std::unique_ptr<PowerApi> backend = MakePowerApi();
    Program program(Services{world.host, world.clock, world.files, world.processes, *backend, world.socket,
                             world.resolver, world.guard, world.system});
    struct Row {
        int type;
        bool forced;
        std::string calls, raised, option = ""; // option "none": no logind on the bus; an address: that bus
    } rows[] = {
        {1, false, "CanPowerOff, ListInhibitors, PowerOff false", ""},
        {3, false, "CanPowerOff, ListInhibitors, PowerOff false", ""},
        {1, true, "CanPowerOff, PowerOff false", ""},
        {3, true, "CanPowerOff, PowerOff false", ""},
        {2, false, "CanReboot, ListInhibitors, Reboot false", ""},
        {6, false, "CanSuspend, ListInhibitors, Suspend false", ""},
        {1, true, "CanPowerOff", kRefused + "logind does not allow this user to power off (CanPowerOff: no)]",
         "CanPowerOff=no"},
        {6, false, "CanSuspend",
         kRefused + "logind asks for authentication to suspend, which this program cannot give (CanSuspend: "
                    "challenge)]",
         "CanSuspend=challenge"},
        {1, false, "", kRefused + "The name org.freedesktop.login1 was not provided by any .service files]",
         "none"},
        {1, false, "", kRefused + "No such file or directory]", gone},
        {1, true, "", kRefused + "Connection refused]", deaf},
        {1, false, "CanPowerOff, ListInhibitors", kBothBlock, kBlocking},
        {2, false, "CanReboot, ListInhibitors", kBothBlock, kBlocking},
        {6, false, "CanSuspend, ListInhibitors", kFailed + "StandbySystem failed: " + kPlayer, kBlocking},
        {2, true, "CanReboot, Reboot false", "", kBlocking},
        {2, false, "CanReboot, ListInhibitors, Reboot false", "", "ListInhibitors=" + kHarmless},
        {5, false, "CanHibernate, ListInhibitors, Hibernate false",
         kFailed + "HibernateSystem failed: Refused by the fake logind",
         "Hibernate=org.freedesktop.DBus.Error.AccessDenied"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE("row " + std::to_string(&row - rows));
        const bool elsewhere = row.option.starts_with("unix:");
        logind.Stop();
        ASSERT_TRUE(row.option == "none" || elsewhere ||
                    logind.Start(std::vector<std::string>(!row.option.empty(), row.option)));
        ASSERT_EQ(setenv("DBUS_SYSTEM_BUS_ADDRESS", (elsewhere ? row.option : logind.address).c_str(), 1), 0);
        std::string raised;
        try { // as the countdown does it for each type
            const ShutdownTypeInfo& type = InfoOf(static_cast<ShutdownType>(row.type - 1));
            if (row.type == 5) HibernateSystem(program);
            if (row.type == 6) StandbySystem(program);
            if (row.type < 4) ShutdownSystem(program, row.forced ? type.forcedFlags : type.normalFlags);
        } catch (const PowerError& e) {
            raised = std::to_string(e.number) + ": " + e.what();
        }
        setenv("DBUS_SYSTEM_BUS_ADDRESS", gone.c_str(), 1);
        EXPECT_EQ(logind.TakeCalls(), row.calls);
        EXPECT_EQ(raised, row.raised);
    }
}

} // namespace
} // namespace qz::test
