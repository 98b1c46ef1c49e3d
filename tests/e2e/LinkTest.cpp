#include <gtest/gtest.h>

#include <signal.h>

#include <thread>

#include "tests/e2e/Quenzeld.h"

namespace qz::test {
namespace {

// A main station and its slave, each a quenzeld in its own folder, talking over loopback. The
// address is given in domain-name form: as an IP address it would hold a 0, which the program
// does not accept.
TEST(QuenzeldLink, TheSlaveFollowsItsMainStationAndShutsDownWhenItFallsSilent) {
    const int comDelay = 6; // what -InhibitShutdown makes of it
    const Config link{{"IPAdd", "127.0.0.1"},
                      {"DName", "2"},
                      {"Port1", std::to_string(FreeUdpPort())},
                      {"Port2", std::to_string(FreeUdpPort())}};
    const std::vector<std::string> arguments{"-InhibitShutdown", "-AllowMulti"};
    TestWorld world;
    Station mainStation;
    WatchedProcess work(mainStation, 120); // keeps the main station busy
    Config mainConfig = link;
    mainConfig["Proc1"] = work.Name();
    mainStation.WriteConfig(mainConfig);
    Config slaveConfig = link;
    slaveConfig["CMain"] = "2";
    Station slaveStation(slaveConfig);

    Quenzeld slave(world, slaveStation, arguments);
    Quenzeld main(world, mainStation, arguments);
    const LogEntry run{"Enter", "Run"};
    ASSERT_TRUE(Eventually([&] { return mainStation.Logged(run) && slaveStation.Logged(run); }));
    const auto bothRun = std::chrono::steady_clock::now();

    // The main station's commands reach the slave.
    main.Signal(SIGUSR1);
    ASSERT_TRUE(Eventually([&] { return slaveStation.Logged({"Reset", "Run"}); }));
    main.Signal(SIGUSR2);
    ASSERT_TRUE(Eventually([&] { return slaveStation.Logged({"*Enter", "Test"}); }));
    main.Signal(SIGUSR1); // ends the test run on both
    ASSERT_TRUE(Eventually([&] { return mainStation.Logged({"*Reset", "Initialise"}); }));
    ASSERT_TRUE(Eventually([&] { return slaveStation.CountLogged({"Start", "Initialise"}) == 3; }));

    // Idle itself, the slave stays in Run as long as its main station is alive.
    std::this_thread::sleep_until(bothRun + std::chrono::seconds(comDelay + 4));
    ASSERT_TRUE(slave.Running());
    EXPECT_FALSE(slaveStation.Logged({"Enter", "Power Off"}));

    main.Signal(SIGTERM);
    EXPECT_EQ(main.WaitExit(), 0);
    const auto silent = std::chrono::steady_clock::now();
    ASSERT_TRUE(Eventually([&] { return slaveStation.Logged({"Enter", "Power Off"}); }, 20s));
    EXPECT_LE(std::chrono::steady_clock::now() - silent, std::chrono::seconds(comDelay + 2));

    EXPECT_EQ(slave.WaitExit(), 0);
    const std::vector<LogEntry> log = slaveStation.Log();
    const std::vector<LogEntry> end{
        {"Enter", "Power Off"}, {"Start", "Power Off"}, {"Simulate", "Power Off"}, {"Close", "Power Off"}};
    ASSERT_GE(log.size(), end.size());
    EXPECT_EQ(std::vector<LogEntry>(log.end() - static_cast<std::ptrdiff_t>(end.size()), log.end()), end);
    EXPECT_EQ(slave.Stderr(), "Quenzel Slave Simulate Power Off\nTest Real Power Off\n\n");
    const std::string out = slave.Stdout();
    EXPECT_EQ(out.substr(0, out.find('\n')), "Quenzel Slave");
    EXPECT_NE(out.find("\nPower Off if there are no communications for 6s\n"), std::string::npos) << out;
}

} // namespace
} // namespace qz::test
