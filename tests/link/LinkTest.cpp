#include <gtest/gtest.h>

#include <memory>

#include "app/LoadSettings.h"
#include "link/Link.h"
#include "link/LinkProof.h"
#include "tests/support/Fakes.h"
#include "tests/support/IniFile.h"
#include "tests/support/TempDir.h"

// The plain receive rules are checked against a model by the link fuzz target's corpus replay.
namespace qz::test {
namespace {

using Texts = std::vector<std::string>;
constexpr const char* kPeer = "127.1.1.1";
constexpr const char* kKey = "0123456789abcdef0123456789abcdef";

// A station wired to fakes that records what its receiver asks of the main window.
struct Station : LinkEvents {
    explicit Station(int cmain = 1, const std::string& address = kPeer) {
        p.set.role = cmain == 2 ? Role::Slave : Role::Main;
        p.set.peerAddress = address;
    }
    void RemoteReset() override { calls.push_back("RemoteReset"); }
    void RemoteTest() override { calls.push_back("RemoteTest"); }
    void ShowLinkError(const std::string& text) override { calls.push_back(text); }
    void LogEvent(std::string_view word, std::string_view detail) override {
        log.push_back(std::string(word) + "/" + std::string(detail));
    }
    // Keyed, its counters read from counterNow.
    Station& Keyed(uint64_t clock) {
        p.link.key = kKey;
        p.link.counterClock = [this] { return counterNow; };
        counterNow = clock;
        return *this;
    }
    // Hears the datagrams with a fresh record of calls and marks; true when the last one was heard.
    bool Hear(Texts datagrams) {
        calls.clear();
        p.rt.LinkMark = "-";
        p.rt.LinkIdle = 1;
        w.socket.incoming.assign(datagrams.begin(), datagrams.end());
        OnDatagram(p, *this);
        return p.rt.LinkMark == "C";
    }
    TempDir dir;
    FakeWorld w{dir.path()};
    Program& p = w.program;
    Texts calls, log; // log: "Event/Detail"
    uint64_t counterNow = 0;
};

TEST(Receive, ASlaveActsOnOneResetAndOneTestASecondTheLastOneLaterAndLogsTheCountOfTheRestOnceAMinute) {
    struct Step {
        LocalTime at;
        Texts datagrams; // none: a tick of the timer (the last: the exit)
        Texts calls, log;
    } steps[] = {
        {{2026, 12, 5, 10, 30, 0},
         {"<QZC000>", "<QZC000>", "<QZC000>", "<QZT000>"},
         {"RemoteReset", "RemoteTest"},
         {}},
        {{2026, 12, 5, 10, 30, 0}, {"<QZT000>", "<QZT000>", "<QZC000>"}, {}, {}}, // the Reset is held
        {{2026, 12, 5, 10, 30, 0}, {}, {}, {}},
        {{2026, 12, 5, 10, 30, 1}, {}, {"RemoteReset"}, {}},
        {{2026, 12, 5, 10, 30, 1}, {"<QZC000>"}, {}, {}},
        {{2026, 12, 5, 10, 30, 59}, {"<QZC000>"}, {"RemoteReset"}, {}}, // the held one is replaced
        {{2026, 12, 5, 10, 31, 0}, {}, {}, {"ResetDrop/3", "TestDrop/2"}},
        {{2026, 12, 5, 10, 31, 0}, {"<QZC000>", "<QZC000>"}, {"RemoteReset"}, {}},
        {{2026, 12, 5, 11, 31, 0}, {"<WVC000>"}, {"RemoteReset"}, {}},
        {{2026, 12, 6, 11, 31, 0},
         {"<QZC000>", "<QZC000>", "<QZT000>"},
         {"RemoteReset", "RemoteTest"},
         {"ResetDrop/2"}},
        {{2026, 12, 6, 11, 31, 0}, {"<QZT000>"}, {}, {}},
        {{2026, 12, 6, 11, 31, 0}, {}, {}, {"TestDrop/1"}}, // the exit
    };
    Station s(2);
    for (const Step& step : steps) {
        SCOPED_TRACE("step " + std::to_string(&step - steps));
        s.w.clock.now = step.at;
        s.calls.clear();
        s.log.clear();
        if (&step == std::end(steps) - 1)
            LogLinkDrops(s.p, s, true);
        else if (step.datagrams.empty())
            LinkTick(s.p, s);
        if (!step.datagrams.empty()) s.Hear(step.datagrams);
        EXPECT_EQ(std::tuple(s.calls, s.log), std::tuple(step.calls, step.log));
    }
}

std::string Proven(const char* plain, Role sender, uint64_t counter, const std::string& key = kKey) {
    return SignLinkMessage(key, sender, plain, counter).value_or("(no HMAC)");
}

TEST(KeyedReceive, OnlyTheProvenMessagesOfThePeerWithARisingCounterAreHeardTheRestChangesNothing) {
    std::string altered = Proven("<QZC000>", Role::Main, 60), forged = Proven("<QZC000>", Role::Main, 61);
    altered[3] = 'T';
    forged[20] = forged[20] == 'A' ? 'B' : 'A'; // within the tag
    struct Row {
        int cmain;
        std::string datagram;
        const char* mark; // "-": unchanged
        Texts calls;
        bool answers;
    } rows[] = {
        {2, Proven("<QZA100>", Role::Main, 50), "C", {}, true},
        {2, Proven("<QZA100>", Role::Main, 50), "-", {}, false}, // replayed
        {2, Proven("<QZA100>", Role::Main, 49), "-", {}, false}, // older
        {2, altered, "-", {}, false},
        {2, forged, "-", {}, false},
        {2, Proven("<QZC000>", Role::Slave, 70), "-", {}, false}, // its own, sent back
        {2, Proven("<QZC000>", Role::Main, 71, std::string(32, 'k')), "-", {}, false},
        {2, "<QZC000>", "-", {}, false}, // plain
        {2, Proven("<QZC000>", Role::Main, 80), "C", {"RemoteReset"}, false},
        {2, Proven("<QZT000>", Role::Main, 81), "C", {"RemoteTest"}, false},
        {1, "<QZA100>", "C", {}, false}, // the plain reply of a slave without a key
        {1, Proven("<QZA100>", Role::Slave, 90), "C", {}, false},
        {1, Proven("<QZA100>", Role::Slave, 90), "-", {}, false},
        {1, Proven("<QZA100>", Role::Main, 91), "-", {}, false},
        {1, "<QZA101>", "-", {}, false},
    };
    Station slave(2), main(1);
    for (Station* s : {&slave, &main}) {
        s->Keyed(5000);
        s->p.rt.PeerPort = 10001;
    }
    for (const Row& row : rows) {
        SCOPED_TRACE(row.datagram + (row.cmain == 2 ? " at a slave" : " at a main"));
        Station& s = row.cmain == 2 ? slave : main;
        s.w.socket.sent.clear();
        s.p.rt.LinkMessage = "<QZC000>";
        const bool heard = s.Hear({row.datagram});
        EXPECT_EQ(std::tuple(s.p.rt.LinkMark, s.p.rt.LinkIdle, s.calls, s.w.socket.sent.size()),
                  std::tuple(row.mark, heard && row.cmain == 2 ? 0 : 1, row.calls, row.answers ? 1u : 0u));
        EXPECT_EQ(row.answers ? s.w.socket.sent.at(0).data : "",
                  row.answers ? Proven("<QZC000>", Role::Slave, 5000) : "");
    }
    for (Station* s : {&slave, &main}) {
        s->w.clock.now.minute += 1;
        LogLinkDrops(s->p, *s);
    }
    EXPECT_EQ(std::tuple(slave.log, main.log), std::tuple(Texts{"AuthDrop/7"}, Texts{"AuthDrop/3"}));
}

TEST(KeyedSend, CountersKeepRisingWhenTheClockStepsBackAndAnOldSlaveObeysAProvenMessage) {
    Station main(1), slave(2), old(2);
    main.Keyed(1000);
    slave.Keyed(500);
    auto carry = [](Station& from, Station& to) {
        const std::string data = from.w.socket.sent.empty() ? "" : from.w.socket.sent.back().data;
        from.w.socket.sent.clear();
        return to.Hear({data});
    };
    for (uint64_t clock : {1000, 900}) { // the wall clock steps back
        main.counterNow = clock;
        main.p.rt.LinkMessage = "<QZA100>";
        SendLinkMessage(main.p);
        EXPECT_TRUE(carry(main, slave));
        EXPECT_TRUE(carry(slave, main));
    }
    EXPECT_EQ(main.p.link.lastSent, 1001u);
    EXPECT_TRUE(old.Hear({Proven("<QZC000>", Role::Main, 1)}));
    EXPECT_EQ(old.calls, Texts{"RemoteReset"});
}

TEST(Send, GoesToTheResolvedPeerAndOnlyASuccessReplacesTheMessage) {
    struct Row {
        const char *address, *to; // to: "" when nothing is sent
        bool resolves, fails;
        Texts forgotten;
    } rows[] = {{kPeer, kPeer, false, false, {}},
                {"peer", "127.2.2.2", true, false, {}},
                {"peer", "", false, false, {}},
                {"", "", true, false, {}},
                {"peer", "", true, true, {"peer"}}};
    for (const auto& row : rows) {
        SCOPED_TRACE("row " + std::to_string(&row - rows));
        Station s(1, row.address);
        s.p.rt.PeerPort = 10001;
        s.p.rt.LinkMessage = "<QZT000>";
        if (row.resolves) s.w.resolver.answers[row.address] = "127.2.2.2";
        s.w.socket.sendFails = row.fails;
        SendLinkMessage(s.p);
        Texts sent;
        for (const auto& d : s.w.socket.sent)
            sent.push_back(d.to + ":" + std::to_string(d.port) + d.data);
        EXPECT_EQ(std::tuple(sent, s.p.rt.LinkMessage, s.w.resolver.forgotten),
                  std::tuple(*row.to ? Texts{row.to + std::string(":10001<QZT000>")} : Texts{},
                             *row.to ? "<QZA100>" : "<QZT000>", row.forgotten));
    }
}

// The program loads the settings and opens the link: what the link sends from needs it.
TEST(LoadSettings, GivesStartValuesBindsOnlyForAnotherOwnPortAndRetriesAPortThatFailed) {
    struct Step {
        int cmain, port1, port2;
        bool linked, taken, binds; // taken: another socket holds the port; the box is answered No
        int bound;
    } steps[] = {
        {1, 10001, 10000, false, false, false, 0},    {2, 10001, 10000, true, true, true, 0},
        {2, 10001, 10000, true, false, true, 10001},  {1, 10001, 10000, true, false, true, 10000},
        {1, 10002, 10000, true, false, false, 10000}, {1, 10002, 10005, true, true, true, 0},
        {1, 10002, 10000, true, false, true, 10000},
    };
    Station s;
    RunState& rt = s.p.rt;
    size_t binds = 0, boxes = 0;
    auto load = [&](int cmain, const char* address, int port1, int port2) {
        IniFile ini;
        ini.Set("CMain", cmain).Set("IPAdd", address).Set("Port1", port1).Set("Port2", port2);
        s.dir.Write("Data/Quenzel.ini", ini.Text());
        LoadSettings(s.p);
    };
    for (const Step& step : steps) {
        SCOPED_TRACE("step " + std::to_string(&step - steps));
        rt.DialogOpen = rt.TimerEnabled = rt.NotConfigured = rt.SetupFault = rt.ConfigSaved = true;
        rt.ApplyStartMin = false;
        rt.TickPhase = rt.AboutCloseCount = rt.ConfigCloseCount = 1;
        rt.LinkMessage = "<QZA100>";
        const bool slave = step.cmain == 2;
        const int own = slave ? step.port1 : step.port2, peer = slave ? step.port2 : step.port1;
        s.w.socket.takenPorts = {step.taken ? own : 0};
        load(step.cmain, step.linked ? kPeer : "", step.port1, step.port2);
        EXPECT_EQ(std::tuple(rt.DialogOpen, rt.TimerEnabled, rt.NotConfigured, rt.ConfigSaved,
                             rt.ApplyStartMin, rt.TickPhase, rt.AboutCloseCount, rt.ConfigCloseCount,
                             rt.LinkMessage, rt.AppTitle),
                  std::tuple(false, false, false, false, true, 2, 60, 60, "<QZC000>",
                             slave ? "Quenzel Slave" : "Quenzel"));
        EXPECT_EQ(
            std::tuple(s.w.socket.bound, rt.BoundPort, rt.PeerPort, rt.SetupFault, s.w.socket.binds.size()),
            std::tuple(step.bound, step.bound, step.linked ? peer : 0, step.taken, binds += step.binds));
        ASSERT_EQ(s.w.host.messages.size(), boxes += step.taken);
        if (!step.taken) continue;
        const ShownMessage& box = s.w.host.messages.back();
        EXPECT_EQ(std::tuple(box.icon, box.buttons, box.title, box.text),
                  std::tuple(MsgIcon::Exclamation, MsgButtons::YesNo, rt.AppTitle + " Port Error",
                             "The RX Port " + std::to_string(own) +
                                 " Is Already In Use\r\nThis Error Must Be Resolved Before\r\nYou Can Use "
                                 "Quenzel.\r\nUse The Configuration Screen\r\nTo Change The RX Port.\r\nDo "
                                 "You Want To End The Program?"));
    }
    s.w.host.answers = {Answer::Yes};
    s.w.socket.takenPorts = {10005};
    EXPECT_THROW(load(1, kPeer, 10002, 10005), ProgramEnded);
    EXPECT_EQ(std::tuple(s.w.host.endedWith, s.w.host.trayRemovals), std::tuple(1, 1));
}

} // namespace
} // namespace qz::test
