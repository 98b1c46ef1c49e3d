#include <gtest/gtest.h>

#include "tests/link/LinkWorld.h"
#include "tests/support/Fakes.h"
#include "tests/support/TempDir.h"

namespace qz::test {
namespace {

using Calls = std::vector<std::string>;
const std::string kConnectionError = "ShowLinkError(Connection Error)";
const std::string kNotConnected = "ShowLinkError(Not connexted)";

struct Station {
    explicit Station(int16_t cmain, std::string address = "127.1.1.1") : world(dir.path()) {
        Program& p = world.program;
        p.set.CMain = cmain;
        p.set.IPAdd = std::move(address);
        p.set.Port1 = 10001;
        p.set.Port2 = 10000;
        p.rt.PeerPort = cmain == 2 ? 10000 : 10001;
        p.rt.LinkMessage = "<QZC000>";
        p.rt.LinkIdle = 1;
        p.rt.LinkMark = "-";
    }
    void Arrive(std::optional<std::string> datagram) {
        world.socket.incoming.push_back(std::move(datagram));
        udpServ_DataArrival(world.program, events);
    }
    std::vector<std::string> SentData() const {
        std::vector<std::string> data;
        for (const auto& s : world.socket.sent)
            data.push_back(s.data);
        return data;
    }
    TempDir dir;
    FakeWorld world;
    FakeLinkEvents events;
};

struct ReceiveRow {
    const char* name;
    std::optional<std::string> datagram;
    const char* mainMark;
    const char* slaveMark;
    Calls slaveCalls;
    std::vector<std::string> slaveReplies;
};

const ReceiveRow kReceiveRows[] = {
    {"alive", "<QZA100>", "C", "C", {}, {"<QZC000>"}},
    {"alive with a payload", "<QZA101x>", "C", "C", {}, {"<QZC000>"}},
    {"longest payload", "<QZA199" + std::string(99, 'p') + ">", "C", "C", {}, {"<QZC000>"}},
    {"reset", "<QZC000>", "C", "C", {"RemoteReset"}, {}},
    {"reset with a payload", "<QZC001x>", "C", "C", {"RemoteReset"}, {}},
    {"test", "<QZT000>", "C", "C", {"RemoteTest"}, {}},
    {"unknown command", "<QZX100>", "C", "C", {}, {}},
    {"sender KX", "<KXA100>", "C", "C", {}, {"<QZC000>"}},
    {"sender WV", "<WVC000>", "C", "C", {"RemoteReset"}, {}},
    {"length says more", "<QZA101>", "E", "E", {kConnectionError}, {}},
    {"length says less", "<QZA100x>", "E", "E", {kConnectionError}, {}},
    {"lower-case sender", "<qzA100>", "E", "E", {kConnectionError}, {}},
    {"foreign sender", "<ABA100>", "E", "E", {kConnectionError}, {}},
    {"no closing mark", "<QZA100x", "E", "E", {kConnectionError}, {}},
    {"six characters", "<QZA10", "E", "E", {kConnectionError}, {}},
    {"letters as length", "<QZA1ab>", ".", ".", {kNotConnected}, {}},
    {"blank in the length", "<QZA1 0>", ".", ".", {kNotConnected}, {}},
    {"sign in the length", "<QZA1+0>", ".", ".", {kNotConnected}, {}},
    {"seven characters", "<QZA10>", ".", ".", {kNotConnected}, {}},
    {"six characters, no digit", "<QZA1x", ".", ".", {kNotConnected}, {}},
    {"five characters", "<QZA1", ".", ".", {kNotConnected}, {}},
    {"empty datagram", "", ".", ".", {kNotConnected}, {}},
    {"read failure", std::nullopt, ".", ".", {kNotConnected}, {}},
};

TEST(Receive, MainStationOnlyMarksWhatItHears) {
    for (const auto& row : kReceiveRows) {
        SCOPED_TRACE(row.name);
        Station main(1);
        main.Arrive(row.datagram);
        EXPECT_EQ(main.world.program.rt.LinkMark, row.mainMark);
        EXPECT_EQ(main.world.program.rt.LinkIdle, 1);
        EXPECT_EQ(main.events.calls, Calls{});
        EXPECT_EQ(main.SentData(), std::vector<std::string>{});
        EXPECT_EQ(main.world.program.rt.LinkMessage, "<QZC000>");
        EXPECT_TRUE(main.world.socket.incoming.empty());
    }
}

TEST(Receive, SlaveHearsAnswersAndObeys) {
    for (const auto& row : kReceiveRows) {
        SCOPED_TRACE(row.name);
        Station slave(2);
        slave.Arrive(row.datagram);
        EXPECT_EQ(slave.world.program.rt.LinkMark, row.slaveMark);
        EXPECT_EQ(slave.world.program.rt.LinkIdle, 0) << "every datagram counts as heard";
        EXPECT_EQ(slave.events.calls, row.slaveCalls);
        EXPECT_EQ(slave.SentData(), row.slaveReplies);
        for (const auto& sent : slave.world.socket.sent) {
            EXPECT_EQ(sent.to, "127.1.1.1");
            EXPECT_EQ(sent.port, 10000);
        }
        EXPECT_EQ(slave.world.program.rt.LinkMessage, row.slaveReplies.empty() ? "<QZC000>" : "<QZA100>");
    }
}

TEST(Receive, UnreadableMarkDependsOnTheAddressOnAMainStationOnly) {
    struct Row {
        const char* address;
        const char* mainMark;
    } rows[] = {{"", ""}, {"127", ""}, {"127.", "."}, {"127.1.1.1", "."}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.address);
        Station main(1, row.address);
        main.Arrive("<QZA1ab>");
        EXPECT_EQ(main.world.program.rt.LinkMark, row.mainMark);
        Station slave(2, row.address);
        slave.Arrive("<QZA1ab>");
        EXPECT_EQ(slave.world.program.rt.LinkMark, ".");
    }
}

TEST(Receive, EveryWaitingDatagramIsHandledInOneEvent) {
    Station slave(2);
    for (const char* d : {"<QZA100>", "<QZA101>", "<QZT000>", "<QZA100>"})
        slave.world.socket.incoming.push_back(d);
    udpServ_DataArrival(slave.world.program, slave.events);
    EXPECT_TRUE(slave.world.socket.incoming.empty());
    EXPECT_EQ(slave.events.calls, (Calls{kConnectionError, "RemoteTest"}));
    // The first answer carries the pending message, the next one the alive message.
    EXPECT_EQ(slave.SentData(), (std::vector<std::string>{"<QZC000>", "<QZA100>"}));
    EXPECT_EQ(slave.world.program.rt.LinkMark, "C");
}

TEST(Receive, NothingMoreToReadEndsTheEventWithoutAFailure) {
    Station slave(2);
    slave.world.socket.incoming = {"<QZA101>", std::nullopt, "<QZC000>"};
    udpServ_DataArrival(slave.world.program, slave.events);
    EXPECT_EQ(slave.world.program.rt.LinkMark, "E");
    EXPECT_EQ(slave.events.calls, Calls{kConnectionError});
    ASSERT_EQ(slave.world.socket.incoming.size(), 1u);

    udpServ_DataArrival(slave.world.program, slave.events);
    EXPECT_EQ(slave.world.program.rt.LinkMark, "C");
    EXPECT_EQ(slave.events.calls, (Calls{kConnectionError, "RemoteReset"}));
}

TEST(Receive, AFloodIsHandledInBoundedRounds) {
    constexpr std::size_t kFlood = 5000;
    Station slave(2);
    for (std::size_t i = 0; i < kFlood; ++i)
        slave.world.socket.incoming.push_back("<QZA100>");
    udpServ_DataArrival(slave.world.program, slave.events);
    std::size_t firstRound = slave.world.socket.sent.size();
    EXPECT_GT(firstRound, 0u);
    EXPECT_LT(firstRound, kFlood) << "one event must leave time for the timer";
    EXPECT_EQ(firstRound + slave.world.socket.incoming.size(), kFlood);

    for (int rounds = 0; rounds < 100 && !slave.world.socket.incoming.empty(); ++rounds)
        udpServ_DataArrival(slave.world.program, slave.events);
    EXPECT_EQ(slave.world.socket.sent.size(), kFlood);
}

TEST(Receive, AFailedAnswerKeepsTheMessagePending) {
    Station slave(2);
    slave.world.socket.sendFails = true;
    slave.Arrive("<QZA100>");
    EXPECT_EQ(slave.world.program.rt.LinkMessage, "<QZC000>");
    slave.world.socket.sendFails = false;
    slave.Arrive("<QZA100>");
    EXPECT_EQ(slave.SentData(), std::vector<std::string>{"<QZC000>"});
    EXPECT_EQ(slave.world.program.rt.LinkMessage, "<QZA100>");
}

} // namespace
} // namespace qz::test
