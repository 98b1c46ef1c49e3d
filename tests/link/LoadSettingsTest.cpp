#include <gtest/gtest.h>

#include "tests/link/LinkWorld.h"
#include "tests/support/Fakes.h"
#include "tests/support/TempDir.h"

namespace qz::test {
namespace {

const char* const kPortErrorText = "The RX Port 10000 Is Already In Use\r\n"
                                   "This Error Must Be Resolved Before\r\n"
                                   "You Can Use Quenzel.\r\n"
                                   "Use The Configuration Screen\r\n"
                                   "To Change The RX Port.\r\n"
                                   "Do You Want To End The Program?";

struct Loader {
    Loader() : world(dir.path()) { Configure({}); }
    void Configure(const std::map<std::string, std::string>& values) const {
        dir.Write("Data/Quenzel.ini", ConfigFileText(values));
    }
    RunState& rt() { return world.program.rt; }
    void Load() { LoadSettings(world.program); }
    TempDir dir;
    FakeWorld world;
};

TEST(LoadSettings, GivesTheStartValues) {
    Loader l;
    RunState& rt = l.rt();
    rt.DialogOpen = true;
    rt.TimerEnabled = true;
    rt.NotConfigured = true;
    rt.SetupFault = true;
    rt.TickPhase = 1;
    rt.AboutCloseCount = 3;
    rt.ConfigCloseCount = 4;
    rt.ConfigSaved = true;
    rt.ApplyStartMin = false;
    rt.LinkMessage = "<QZA100>";
    l.Load();
    EXPECT_FALSE(rt.DialogOpen);
    EXPECT_FALSE(rt.TimerEnabled);
    EXPECT_FALSE(rt.NotConfigured);
    EXPECT_FALSE(rt.SetupFault);
    EXPECT_EQ(rt.TickPhase, 2);
    EXPECT_EQ(rt.AboutCloseCount, 60);
    EXPECT_EQ(rt.ConfigCloseCount, 60);
    EXPECT_FALSE(rt.ConfigSaved);
    EXPECT_TRUE(rt.ApplyStartMin);
    EXPECT_EQ(rt.LinkMessage, "<QZC000>");
    EXPECT_EQ(l.world.program.set.Proc1, "editor") << "the file was read";
}

TEST(LoadSettings, ListensAndSendsOnThePortsOfItsRole) {
    struct Row {
        const char* cmain;
        const char* title;
        int bound;
        int peer;
    } rows[] = {{"1", "Quenzel", 10000, 10001}, {"2", "Quenzel Slave", 10001, 10000}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.title);
        Loader l;
        l.Configure({{"CMain", row.cmain}});
        l.Load();
        EXPECT_EQ(l.rt().AppTitle, row.title);
        EXPECT_EQ(l.world.socket.binds, std::vector<int>{row.bound});
        EXPECT_EQ(l.world.socket.bound, row.bound);
        EXPECT_EQ(l.rt().BoundPort, row.bound);
        EXPECT_EQ(l.rt().PeerPort, row.peer);
        EXPECT_TRUE(l.world.host.messages.empty());
    }
}

TEST(LoadSettings, AStandAloneStationOpensNoLink) {
    Loader l;
    l.Configure({{"IPAdd", ""}});
    l.Load();
    EXPECT_TRUE(l.world.socket.binds.empty());
    EXPECT_EQ(l.rt().BoundPort, 0);
    EXPECT_EQ(l.rt().PeerPort, 0);
}

TEST(LoadSettings, ClearingTheAddressLeavesTheSocketBound) {
    Loader l;
    l.Load();
    l.Configure({{"IPAdd", ""}});
    l.Load();
    EXPECT_EQ(l.world.socket.bound, 10000);
    EXPECT_EQ(l.rt().BoundPort, 10000);
}

TEST(LoadSettings, RebindsOnlyForAnotherLocalPort) {
    Loader l;
    l.Load();
    l.Configure({{"Port1", "10002"}}); // only the peer's port changes
    l.Load();
    EXPECT_EQ(l.world.socket.binds, std::vector<int>{10000});
    EXPECT_EQ(l.rt().PeerPort, 10002);

    l.Configure({{"Port2", "10005"}});
    l.Load();
    EXPECT_EQ(l.world.socket.binds, (std::vector<int>{10000, 10005}));
    EXPECT_EQ(l.world.socket.bound, 10005);
    EXPECT_EQ(l.rt().BoundPort, 10005);
}

TEST(LoadSettings, ASlaveReloadedAsMainLosesTheSlaveTitleAndMovesItsPort) {
    Loader l;
    l.Configure({{"CMain", "2"}});
    l.Load();
    l.Configure({{"CMain", "1"}});
    l.Load();
    EXPECT_EQ(l.rt().AppTitle, "Quenzel");
    EXPECT_EQ(l.world.socket.binds, (std::vector<int>{10001, 10000}));
}

TEST(LoadSettings, APortInUseAsksWhetherToEnd) {
    struct Row {
        const char* cmain;
        int port;
        const char* title;
    } rows[] = {{"1", 10000, "Quenzel Port Error"}, {"2", 10001, "Quenzel Slave Port Error"}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.title);
        Loader l;
        l.Configure({{"CMain", row.cmain}});
        l.world.socket.takenPorts = {row.port};
        l.Load();
        ASSERT_EQ(l.world.host.messages.size(), 1u);
        const ShownMessage& box = l.world.host.messages[0];
        EXPECT_EQ(box.icon, MsgIcon::Exclamation);
        EXPECT_EQ(box.buttons, MsgButtons::YesNo);
        EXPECT_EQ(box.title, row.title);
        std::string text = kPortErrorText;
        text.replace(text.find("10000"), 5, std::to_string(row.port));
        EXPECT_EQ(box.text, text);
    }
}

TEST(LoadSettings, APortInUseAnsweredNoLeavesASetupFaultAndIsTriedAgainAtTheNextLoad) {
    Loader l;
    l.world.socket.takenPorts = {10000};
    l.world.host.answers = {Answer::No};
    l.Load();
    EXPECT_TRUE(l.rt().SetupFault);
    EXPECT_EQ(l.rt().BoundPort, 0);
    EXPECT_EQ(l.world.socket.bound, 0);
    EXPECT_EQ(l.world.host.trayRemovals, 0);
    EXPECT_FALSE(l.world.host.endedWith);

    l.world.socket.takenPorts.clear();
    l.Load();
    EXPECT_FALSE(l.rt().SetupFault);
    EXPECT_EQ(l.world.socket.binds, (std::vector<int>{10000, 10000}));
    EXPECT_EQ(l.world.socket.bound, 10000);
    EXPECT_EQ(l.rt().BoundPort, 10000);
    EXPECT_EQ(l.world.host.messages.size(), 1u);
}

TEST(LoadSettings, AFailedMoveToAnotherPortIsNotMistakenForTheOldBinding) {
    Loader l;
    l.Load();
    l.Configure({{"Port2", "10005"}});
    l.world.socket.takenPorts = {10005};
    l.Load();
    EXPECT_TRUE(l.rt().SetupFault);
    EXPECT_EQ(l.world.socket.bound, 0);

    l.Configure({});
    l.Load();
    EXPECT_EQ(l.world.socket.binds, (std::vector<int>{10000, 10005, 10000}));
    EXPECT_EQ(l.world.socket.bound, 10000);
    EXPECT_FALSE(l.rt().SetupFault);
}

TEST(LoadSettings, APortInUseAnsweredYesEndsTheProgram) {
    Loader l;
    l.world.socket.takenPorts = {10000};
    l.world.host.answers = {Answer::Yes};
    EXPECT_THROW(l.Load(), ProgramEnded);
    EXPECT_EQ(l.world.host.endedWith, 1);
    EXPECT_EQ(l.world.host.trayRemovals, 1);
}

} // namespace
} // namespace qz::test
