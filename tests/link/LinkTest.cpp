#include <gtest/gtest.h>

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
constexpr const char *kPeer = "127.1.1.1", *kKey = "0123456789abcdef0123456789abcdef";
constexpr const char *C = "<QZC000>", *T = "<QZT000>";

// A station wired to fakes that records what its receiver asks of the main window.
struct Station : LinkEvents {
    explicit Station(int cmain = 1, const std::string& address = kPeer) {
        p.set.role = cmain == 2 ? Role::Slave : Role::Main;
        p.set.peerAddress = address;
        p.link.counterClock = [this] { return counterNow; };
    }
    void RemoteReset() override { calls.push_back("Reset"); }
    void RemoteTest() override { calls.push_back("Test"); }
    void ShowLinkError(const std::string& text) override { calls.push_back(text); }
    void LogEvent(std::string_view word, std::string_view detail) override {
        log.push_back(std::string(word) + "/" + std::string(detail));
    }
    // Hears the datagrams afresh; true when the last one was heard.
    bool Hear(Texts datagrams) {
        calls.clear();
        p.rt.linkMark = "-";
        p.link.peerHeard = false;
        w.socket.incoming.assign(datagrams.begin(), datagrams.end());
        OnDatagram(p, *this);
        return p.rt.linkMark == "C";
    }
    TempDir dir;
    FakeWorld w{dir.path()};
    Program& p = w.program;
    Texts calls, log; // log: "Event/Detail"
    uint64_t counterNow = 5000;
};

TEST(Receive, ASlaveActsOnOneResetAndOneTestASecondTheLastOneLaterAndLogsTheCountOfTheRestOnceAMinute) {
    // the time, the datagrams (none: a tick of the timer), the calls and the log
    const std::tuple<LocalTime, Texts, Texts, Texts> steps[] = {
        {{2026, 12, 5, 10, 30, 0}, {C, C, C, T}, {"Reset", "Test"}, {}},
        {{2026, 12, 5, 10, 30, 0}, {T, T, C}, {}, {}}, // the Reset is held
        {{2026, 12, 5, 10, 30, 0}, {}, {}, {}},
        {{2026, 12, 5, 10, 30, 1}, {}, {"Reset"}, {}},
        {{2026, 12, 5, 10, 30, 1}, {C}, {}, {}},
        {{2026, 12, 5, 10, 30, 59}, {C}, {"Reset"}, {}}, // the held one is replaced
        {{2026, 12, 5, 10, 31, 0}, {}, {}, {"ResetDrop/3", "TestDrop/2"}},
        {{2026, 12, 5, 10, 31, 0}, {C, C}, {"Reset"}, {}},
        {{2026, 12, 5, 11, 31, 0}, {"<WVC000>"}, {"Reset"}, {}},
        {{2026, 12, 6, 11, 31, 0}, {C, C, T}, {"Reset", "Test"}, {"ResetDrop/2"}},
        {{2026, 12, 6, 11, 31, 0}, {T}, {}, {}},
    };
    Station s(2);
    for (const auto& step : steps) {
        const auto& [at, datagrams, calls, log] = step;
        s.w.clock.now = at;
        s.calls = s.log = {};
        datagrams.empty() ? LinkTick(s.p, s) : void(s.Hear(datagrams));
        EXPECT_EQ(std::tuple(s.calls, s.log), std::tuple(calls, log)) << "step " << &step - steps;
    }
    LogLinkDrops(s.p, s, true); // the exit: the held Test is dropped
    EXPECT_EQ(s.log, Texts{"TestDrop/1"});
}

std::string Proven(const char* plain, Role sender, uint64_t counter, const std::string& key = kKey) {
    return SignLinkMessage(key, sender, plain, counter).value_or("(no HMAC)");
}

TEST(KeyedLink, OnlyProvenMessagesOfThePeerWithARisingCounterAreHeardAndOnlyASentOneReplacesTheMessage) {
    std::string forged = Proven(C, Role::Main, 61);
    forged[20] = forged[20] == 'A' ? 'B' : 'A'; // within the tag
    const std::tuple<int, std::string, const char*, Texts> rows[] = {
        // cmain, datagram, mark ("-": unchanged)
        {2, Proven("<QZA100>", Role::Main, 50), "C", {}},
        {2, Proven("<QZA100>", Role::Main, 50), "-", {}},           // replayed
        {2, Proven("<QZA100>", Role::Main, 49), "-", {}},           // older
        {2, Proven(C, Role::Main, 60).replace(3, 1, "T"), "-", {}}, // the command altered
        {2, forged, "-", {}},
        {2, Proven(C, Role::Slave, 70), "-", {}}, // its own, sent back
        {2, Proven(C, Role::Main, 71, std::string(32, 'k')), "-", {}},
        {2, C, "-", {}}, // plain
        {2, Proven(C, Role::Main, 80), "C", {"Reset"}},
        {2, Proven(T, Role::Main, 81), "C", {"Test"}},
        {1, "<QZA100>", "C", {}}, // the plain reply of a slave without a key
        {1, Proven("<QZA100>", Role::Slave, 90), "C", {}},
        {1, Proven("<QZA100>", Role::Slave, 90), "-", {}},
        {1, Proven("<QZA100>", Role::Main, 91), "-", {}},
        {1, "<QZA101>", "-", {}},
    };
    Station slave(2), main(1, "peer");
    slave.p.link.key = main.p.link.key = kKey;
    for (const auto& [cmain, datagram, mark, calls] : rows) {
        Station& s = cmain == 2 ? slave : main;
        SCOPED_TRACE(datagram + (cmain == 2 ? " at a slave" : " at a main"));
        const bool heard = s.Hear({datagram});
        EXPECT_EQ(std::tuple(s.p.rt.linkMark, s.p.link.peerHeard, s.calls),
                  std::tuple(mark, heard && cmain == 2, calls));
    }
    LogLinkDrops(slave.p, slave, true);
    LogLinkDrops(main.p, main, true);
    EXPECT_EQ(std::tuple(slave.log, main.log), std::tuple(Texts{"AuthDrop/7"}, Texts{"AuthDrop/3"}));
    main.w.resolver.answers["peer"] = "127.2.2.2";
    for (uint64_t clock : {1000, 900}) { // the wall clock steps back
        main.counterNow = clock;
        main.p.rt.linkMessage = T;
        SendLinkMessage(main.p);
        EXPECT_EQ(std::tuple(main.w.socket.sent.back().to, main.p.rt.linkMessage),
                  std::tuple("127.2.2.2", "<QZA100>"));
        EXPECT_TRUE(slave.Hear({main.w.socket.sent.back().data})) << clock;
    }
    main.w.socket.sendFails = true; // the peer may have moved: only a success replaces the message
    main.p.rt.linkMessage = T;
    SendLinkMessage(main.p);
    EXPECT_EQ(std::tuple(main.p.rt.linkMessage, main.w.resolver.forgotten), std::tuple(T, Texts{"peer"}));
}

TEST(LoadSettings, GivesStartValuesBindsOnlyForAnotherOwnPortAndRetriesAPortThatFailed) {
    // taken: another socket holds the own port; the box is answered No
    const std::tuple<int, int, int, int, bool, bool> steps[] = {
        {1, 10001, 10000, 0, false, false},    {2, 10001, 10000, 10001, true, false},
        {1, 10001, 10000, 10000, true, false}, {1, 10002, 10000, 10000, true, false},
        {1, 10002, 10005, 0, true, true},      {1, 10002, 10000, 10000, true, false}};
    Station s;
    RunState& rt = s.p.rt;
    auto load = [&](int cmain, const char* address, int port1, int port2) {
        IniFile ini;
        ini.Set("CMain", cmain).Set("IPAdd", address).Set("Port1", port1).Set("Port2", port2);
        s.dir.Write("Data/Quenzel.ini", ini.Text());
        LoadSettings(s.p);
    };
    for (const auto& step : steps) {
        const auto& [cmain, port1, port2, bound, linked, taken] = step;
        rt.screenOpen = rt.timerOn = rt.notConfigured = rt.setupFault = rt.configSaved = true;
        rt.applyStartMinimised = false;
        rt.tickPhase = rt.aboutCloseCount = rt.configCloseCount = 1;
        rt.linkMessage = "<QZA100>";
        const bool slave = cmain == 2;
        s.w.socket.takenPorts = {taken ? (slave ? port1 : port2) : 0};
        load(cmain, linked ? kPeer : "", port1, port2);
        EXPECT_EQ(
            std::tuple(rt.screenOpen, rt.timerOn, rt.notConfigured, rt.configSaved, rt.applyStartMinimised,
                       rt.tickPhase, rt.aboutCloseCount, rt.configCloseCount, rt.linkMessage, rt.appTitle,
                       s.w.socket.bound, rt.boundPort, rt.peerPort, rt.setupFault),
            std::tuple(false, false, false, false, true, 2, 60, 60, C, slave ? "Quenzel Slave" : "Quenzel",
                       bound, bound, linked ? (slave ? port2 : port1) : 0, taken))
            << "step " << &step - steps;
    }
    EXPECT_EQ(s.w.socket.binds, (std::vector<int>{10001, 10000, 10005, 10000}));
    s.w.host.answers = {Answer::Yes};
    s.w.socket.takenPorts = {10005};
    EXPECT_THROW(load(1, kPeer, 10002, 10005), ProgramEnded);
    const ShownMessage& box = s.w.host.messages.back();
    EXPECT_EQ(std::tuple(s.w.host.endedWith, s.w.host.trayRemovals, box.buttons),
              std::tuple(1, 1, MsgButtons::YesNo));
    EXPECT_EQ(box.text, "The RX Port 10005 Is Already In Use\r\nThis Error Must Be Resolved Before\r\n"
                        "You Can Use Quenzel.\r\nUse The Configuration Screen\r\nTo Change The RX Port.\r\n"
                        "Do You Want To End The Program?");
}

} // namespace
} // namespace qz::test
