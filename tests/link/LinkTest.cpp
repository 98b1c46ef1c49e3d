#include <gtest/gtest.h>

#include <chrono>
#include <memory>

#include "app/LoadSettings.h"
#include "link/Link.h"
#include "link/LinkProof.h"
#include "platform/Backend.h"
#include "tests/link/Loopback.h"
#include "tests/support/Fakes.h"
#include "tests/support/IniFile.h"
#include "tests/support/TempDir.h"

namespace qz::test {
namespace {

using Texts = std::vector<std::string>;
constexpr const char* kPeer = "127.1.1.1";

// A station wired to fakes (or to a real socket) that records what its receiver asks of the main window.
struct Station : LinkEvents {
    explicit Station(int cmain = 1, const std::string& address = kPeer, UdpSocket* socket = nullptr)
        : p(Services{w.host, w.clock, w.files, w.processes, w.power, socket ? *socket : w.socket, w.resolver,
                     w.guard, w.system}) {
        p.set.role = cmain == 2 ? Role::Slave : Role::Main;
        p.set.peerAddress = address;
    }
    void RemoteReset() override { calls.push_back("RemoteReset"); }
    void RemoteTest() override { calls.push_back("RemoteTest"); }
    void ShowLinkError(const std::string& text) override { calls.push_back(text); }
    void LogEvent(std::string_view word, std::string_view detail) override {
        log.push_back(std::string(word) + "/" + std::string(detail));
    }
    void Load(int cmain, const char* address, int port1, int port2) {
        IniFile ini;
        ini.Set("CMain", cmain).Set("IPAdd", address);
        dir.Write("Data/Quenzel.ini", ini.Set("Port1", port1).Set("Port2", port2).Text());
        LoadSettings(p);
    }
    // Keyed, its counters read from counterNow.
    Station& Keyed(std::string key, uint64_t clock) {
        p.link.key = std::move(key);
        p.link.counterClock = [this] { return counterNow; };
        counterNow = clock;
        return *this;
    }
    TempDir dir;
    FakeWorld w{dir.path()};
    Program p;
    Texts calls, log; // log: "Event/Detail"
    uint64_t counterNow = 0;
};

TEST(Receive, BothMarkWhatTheyHearOnlyTheSlaveAnswersAndObeys) {
    struct Row {
        std::optional<std::string> datagram; // nullopt: a failed read
        const char* mark;
        Texts slaveCalls;
        bool slaveAnswers;
    };
    std::vector<Row> rows = {{"<QZA100>", "C", {}, true},
                             {"<QZA199" + std::string(99, 'p') + ">", "C", {}, true},
                             {"<KXA100>", "C", {}, true},
                             {"<WVC000>", "C", {"RemoteReset"}, false},
                             {"<QZT000>", "C", {"RemoteTest"}, false},
                             {"<QZX100>", "C", {}, false},
                             {std::nullopt, ".", {"Not connexted"}, false}};
    for (const char* invalid : {"<QZA101>", "<QZA100x>", "<qzA100>", "<ABA100>", "<QZA100x", "<QZA10"})
        rows.push_back({invalid, "E", {"Connection Error"}, false});
    for (const char* unreadable : {"<QZA1ab>", "<QZA1+0>", "<QZA1"})
        rows.push_back({unreadable, ".", {"Not connexted"}, false});
    for (const auto& row : rows) {
        for (int cmain : {1, 2}) {
            const bool slave = cmain == 2, answers = slave && row.slaveAnswers;
            SCOPED_TRACE(row.datagram.value_or("(failed read)") + (slave ? " at a slave" : " at a main"));
            Station s(cmain);
            s.w.socket.incoming = {row.datagram};
            OnDatagram(s.p, s);
            // At a slave every datagram counts as heard: LinkIdle 0.
            EXPECT_EQ(std::tuple(s.p.rt.LinkMark, s.p.rt.LinkIdle, s.calls, s.w.socket.sent.size(),
                                 s.p.rt.LinkMessage),
                      std::tuple(row.mark, slave ? 0 : 1, slave ? row.slaveCalls : Texts{}, answers ? 1u : 0u,
                                 answers ? "<QZA100>" : "<QZC000>"));
        }
    }
}

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
        s.w.socket.incoming.assign(step.datagrams.begin(), step.datagrams.end());
        if (!step.datagrams.empty()) OnDatagram(s.p, s);
        EXPECT_EQ(std::tuple(s.calls, s.log), std::tuple(step.calls, step.log));
    }
}

constexpr const char* kKey = "0123456789abcdef0123456789abcdef";

std::string Proven(const char* plain, Role sender, uint64_t counter, const std::string& key = kKey) {
    return SignLinkMessage(key, sender, plain, counter).value_or("(no HMAC)");
}

TEST(KeyedReceive, OnlyTheProvenMessagesOfThePeerWithARisingCounterAreHeardTheRestChangesNothing) {
    std::string altered = Proven("<QZC000>", Role::Main, 60);
    altered[3] = 'T';
    std::string forged = Proven("<QZC000>", Role::Main, 61);
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
        {2, "<QZA101x>", "-", {}, false},
        {2, "<QZA101>", "-", {}, false},
        {2, "<QZA1ab>", "-", {}, false},
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
        s->Keyed(kKey, 5000);
        s->p.rt.PeerPort = 10001;
    }
    for (const Row& row : rows) {
        SCOPED_TRACE(row.datagram + (row.cmain == 2 ? " at a slave" : " at a main"));
        Station& s = row.cmain == 2 ? slave : main;
        s.calls.clear();
        s.w.socket.sent.clear();
        s.p.rt.LinkMark = "-";
        s.p.rt.LinkIdle = 1;
        s.p.rt.LinkMessage = "<QZC000>";
        s.w.socket.incoming = {row.datagram};
        OnDatagram(s.p, s);
        const bool heard = std::string(row.mark) == "C";
        EXPECT_EQ(std::tuple(s.p.rt.LinkMark, s.p.rt.LinkIdle, s.calls, s.w.socket.sent.size()),
                  std::tuple(row.mark, heard && row.cmain == 2 ? 0 : 1, row.calls, row.answers ? 1u : 0u));
        if (row.answers) {
            EXPECT_EQ(s.w.socket.sent[0].data, Proven("<QZC000>", Role::Slave, 5000));
        }
    }
    for (Station* s : {&slave, &main}) {
        s->w.clock.now.minute += 1;
        LogLinkDrops(s->p, *s);
    }
    EXPECT_EQ(slave.log, Texts{"AuthDrop/10"});
    EXPECT_EQ(main.log, Texts{"AuthDrop/3"});
}

TEST(KeyedSend, CountersKeepRisingWithinARunAndAcrossARestartOfEitherStation) {
    // Both send through the fake socket; a datagram is carried by hand.
    auto carry = [](Station& from, Station& to) {
        if (from.w.socket.sent.empty()) return false;
        to.w.socket.incoming = {from.w.socket.sent.back().data};
        from.w.socket.sent.clear();
        to.calls.clear();
        to.p.rt.LinkMark = "-";
        OnDatagram(to.p, to);
        return to.p.rt.LinkMark == "C";
    };
    auto main = std::make_unique<Station>(1), slave = std::make_unique<Station>(2);
    main->Keyed(kKey, 1000);
    slave->Keyed(kKey, 500);
    auto tell = [&](const char* message) {
        main->p.rt.LinkMessage = message;
        SendLinkMessage(main->p);
        return carry(*main, *slave);
    };
    EXPECT_TRUE(tell("<QZA100>"));
    EXPECT_TRUE(carry(*slave, *main));
    main->counterNow = 900; // the wall clock steps back
    EXPECT_TRUE(tell("<QZA100>"));
    EXPECT_EQ(main->p.link.lastSent, 1001u);
    main = std::make_unique<Station>(1); // restarted later
    main->Keyed(kKey, 2000);
    EXPECT_TRUE(tell("<QZC000>"));
    EXPECT_EQ(slave->calls, Texts{"RemoteReset"});
    EXPECT_TRUE(carry(*slave, *main));
    slave = std::make_unique<Station>(2); // restarted later
    slave->Keyed(kKey, 700);
    EXPECT_TRUE(tell("<QZT000>"));
    EXPECT_EQ(slave->calls, Texts{"RemoteTest"});
    EXPECT_TRUE(tell("<QZA100>"));
    EXPECT_TRUE(carry(*slave, *main));
}

// A main station and its slave on loopback, each through a real socket.
struct LoopbackPair {
    LoopbackPair(std::optional<std::string> mainKey, std::optional<std::string> slaveKey) {
        const int mainPort = FreeUdpPort(), slavePort = FreeUdpPort();
        main.p.link.key = std::move(mainKey);
        slave.p.link.key = std::move(slaveKey);
        for (auto [s, own, peer] :
             {std::tuple(&main, mainPort, slavePort), std::tuple(&slave, slavePort, mainPort)}) {
            s->p.rt.PeerPort = peer;
            bound = bound && s->p.svc.socket.Bind(own);
        }
    }
    // Handles what came within a moment; false when nothing did.
    static bool Hear(Station& s, std::chrono::milliseconds wait = std::chrono::seconds(5)) {
        if (!WaitReadable(s.p.svc.socket.NativeHandle(), wait)) return false;
        OnDatagram(s.p, s);
        return true;
    }
    std::unique_ptr<UdpSocket> mainSocket = MakeUdpSocket(), slaveSocket = MakeUdpSocket();
    Station main{1, "127.0.0.1", mainSocket.get()}, slave{2, "127.0.0.1", slaveSocket.get()};
    bool bound = true;
};

TEST(KeyedLink, APairWorksOnLoopbackAKeyedMainDrivesAnOldSlaveAKeyedSlaveIgnoresAnyOtherMain) {
    using namespace std::chrono_literals;
    const struct {
        std::optional<std::string> mainKey, slaveKey;
        bool obeys;
    } rows[] = {{kKey, kKey, true},
                {kKey, std::nullopt, true},
                {std::nullopt, kKey, false},
                {std::string(32, 'x'), kKey, false}};
    for (const auto& row : rows) {
        SCOPED_TRACE(std::to_string(&row - rows));
        LoopbackPair pair(row.mainKey, row.slaveKey);
        ASSERT_TRUE(pair.bound);
        Station &main = pair.main, &slave = pair.slave;
        for (const char* message : {"<QZA100>", "<QZC000>", "<QZT000>", "<QZA100>"}) {
            SCOPED_TRACE(message);
            main.p.rt.LinkMessage = message;
            slave.p.rt.LinkMessage = "<QZT000>";
            main.p.rt.LinkMark = slave.p.rt.LinkMark = "-";
            slave.p.rt.LinkIdle = 1;
            slave.calls.clear();
            SendLinkMessage(main.p);
            ASSERT_TRUE(LoopbackPair::Hear(slave));
            const std::string command = std::string(message).substr(3, 2);
            const Texts calls = !row.obeys        ? Texts{}
                                : command == "C0" ? Texts{"RemoteReset"}
                                : command == "T0" ? Texts{"RemoteTest"}
                                                  : Texts{};
            EXPECT_EQ(std::tuple(slave.p.rt.LinkMark, slave.p.rt.LinkIdle, slave.calls),
                      std::tuple(row.obeys ? "C" : "-", row.obeys ? 0 : 1, calls));
            if (command != "A1") continue;
            // Only an alive message is answered, and the answer marks the main station.
            EXPECT_EQ(LoopbackPair::Hear(main, row.obeys ? 5000ms : 200ms), row.obeys);
            EXPECT_EQ(main.p.rt.LinkMark, row.obeys ? "C" : "-");
        }
    }
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
        ASSERT_EQ(s.w.socket.sent.size(), *row.to ? 1u : 0u);
        for (const auto& sent : s.w.socket.sent)
            EXPECT_EQ(sent.to + ":" + std::to_string(sent.port) + sent.data,
                      row.to + std::string(":10001<QZT000>"));
        EXPECT_EQ(s.p.rt.LinkMessage, *row.to ? "<QZA100>" : "<QZT000>");
        EXPECT_EQ(s.w.resolver.forgotten, row.forgotten);
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
    for (const Step& step : steps) {
        SCOPED_TRACE("step " + std::to_string(&step - steps));
        rt.DialogOpen = rt.TimerEnabled = rt.NotConfigured = rt.SetupFault = rt.ConfigSaved = true;
        rt.ApplyStartMin = false;
        rt.TickPhase = rt.AboutCloseCount = rt.ConfigCloseCount = 1;
        rt.LinkMessage = "<QZA100>";
        const bool slave = step.cmain == 2;
        const int own = slave ? step.port1 : step.port2, peer = slave ? step.port2 : step.port1;
        s.w.socket.takenPorts = {step.taken ? own : 0};
        s.Load(step.cmain, step.linked ? kPeer : "", step.port1, step.port2);
        EXPECT_EQ(std::tuple(rt.DialogOpen, rt.TimerEnabled, rt.NotConfigured, rt.ConfigSaved,
                             rt.ApplyStartMin, rt.TickPhase, rt.AboutCloseCount, rt.ConfigCloseCount,
                             rt.LinkMessage),
                  std::tuple(false, false, false, false, true, 2, 60, 60, "<QZC000>"));
        EXPECT_EQ(rt.AppTitle, slave ? "Quenzel Slave" : "Quenzel");
        EXPECT_EQ(std::tuple(s.w.socket.bound, rt.BoundPort, rt.PeerPort, rt.SetupFault),
                  std::tuple(step.bound, step.bound, step.linked ? peer : 0, step.taken));
        EXPECT_EQ(s.w.socket.binds.size(), binds += step.binds);
        ASSERT_EQ(s.w.host.messages.size(), boxes += step.taken);
        if (!step.taken) continue;
        const ShownMessage& box = s.w.host.messages.back();
        EXPECT_EQ(std::tuple(box.icon, box.buttons, box.title),
                  std::tuple(MsgIcon::Exclamation, MsgButtons::YesNo, rt.AppTitle + " Port Error"));
        EXPECT_EQ(box.text, "The RX Port " + std::to_string(own) +
                                " Is Already In Use\r\nThis Error Must Be Resolved Before\r\nYou Can Use "
                                "Quenzel.\r\nUse The Configuration Screen\r\nTo Change The RX Port.\r\nDo "
                                "You Want To End The Program?");
    }
    EXPECT_EQ(s.w.host.trayRemovals, 0);
    s.w.host.answers = {Answer::Yes};
    s.w.socket.takenPorts = {10005};
    EXPECT_THROW(s.Load(1, kPeer, 10002, 10005), ProgramEnded);
    EXPECT_EQ(std::tuple(s.w.host.endedWith, s.w.host.trayRemovals), std::tuple(1, 1));
}

} // namespace
} // namespace qz::test
