#include <gtest/gtest.h>

#include "platform/Backend.h"
#include "tests/link/LinkWorld.h"
#include "tests/link/Loopback.h"
#include "tests/support/Fakes.h"
#include "tests/support/TempDir.h"

namespace qz::test {
namespace {

// A station with the real socket and resolver; everything else is fake.
struct RealStation {
    RealStation(const std::string& cmain, int port1, int port2) : world(dir.path()) {
        dir.Write("Data/Quenzel.ini", ConfigFileText({{"CMain", cmain},
                                                      {"IPAdd", "127.1.1.1"},
                                                      {"Port1", std::to_string(port1)},
                                                      {"Port2", std::to_string(port2)}}));
        LoadSettings(program);
    }
    // Handles what arrived, as the event loop does when the socket turns readable.
    bool Hear() {
        if (!WaitReadable(socket->NativeHandle())) return false;
        udpServ_DataArrival(program, events);
        return true;
    }
    TempDir dir;
    FakeWorld world;
    std::unique_ptr<UdpSocket> socket = MakeUdpSocket();
    std::unique_ptr<NameResolver> resolver = MakeNameResolver();
    Program program{Services{world.host, world.clock, world.files, world.processes, world.power, *socket,
                             *resolver, world.guard, world.system}};
    FakeLinkEvents events;
};

TEST(LoopbackLink, MainAndSlaveTalkThroughRealSockets) {
    int port1 = FreeUdpPort();
    int port2 = FreeUdpPort();
    RealStation main("1", port1, port2);
    RealStation slave("2", port1, port2);
    ASSERT_FALSE(main.program.rt.SetupFault);
    ASSERT_FALSE(slave.program.rt.SetupFault);

    main.program.rt.LinkMessage = "<QZT000>";
    SendLinkMessage(main.program);
    ASSERT_TRUE(slave.Hear());
    EXPECT_EQ(slave.events.calls, std::vector<std::string>{"RemoteTest"});
    EXPECT_EQ(slave.program.rt.LinkMark, "C");
    EXPECT_EQ(slave.program.rt.LinkIdle, 0);

    // The alive message makes the slave answer with its pending message.
    EXPECT_EQ(main.program.rt.LinkMessage, "<QZA100>");
    SendLinkMessage(main.program);
    ASSERT_TRUE(slave.Hear());
    EXPECT_EQ(slave.program.rt.LinkMessage, "<QZA100>");
    main.program.rt.LinkMark = "-";
    ASSERT_TRUE(main.Hear());
    EXPECT_EQ(main.program.rt.LinkMark, "C");
    EXPECT_TRUE(main.events.calls.empty());
}

} // namespace
} // namespace qz::test
