#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <tuple>

#include "app/LinkKey.h"
#include "app/Startup.h"
#include "platform/Crypto.h"
#include "tests/app/Harness.h"

namespace qz::test {
namespace {

using Texts = std::vector<std::string>;

TEST(StatusSentence, EveryFormOfIt) {
    struct Row {
        int16_t cMain, shutType, procDelay, comDelay;
        int16_t stopTime, delTime; // 0: not on
        int16_t cmdLineMode;
        const char* sentence;
        ProcessWatch watch{}; // said after the sentence; hidden processes also logged once at start
    };
    const ProcessWatch kernel{true, false}, othersHidden{false, true};
    for (const Row& r :
         {Row{1, 3, 300, 60, 2230, 3600, 0,
              "Shutdown if there is no activity for 300s or at 22:30 or after 3600s"},
          Row{1, 4, 300, 60, 705, 60, 0, "Monitor until no activity for 300s or until 07:05 or for 60s"},
          Row{1, 3, 300, 600, 5, 0, 0,
              "Shutdown if there is no activity for 300s or at 00:05 (other users' processes hidden)",
              othersHidden},
          Row{1, 6, -5, 60, 0, 0, 0, "Standby if there is no activity for 0s (kernel process events)",
              kernel},
          Row{2, 2, 30, 60, 0, 0, 0, "Reboot if there are no communications for 60s"},
          Row{2, 3, 600, 300, 0, 0, 0, "Shutdown if there are no communications for 600s"},
          Row{2, 4, 300, 600, 0, 0, 0,
              "Monitor until no activity for 600s (kernel process events, other users' processes hidden)",
              ProcessWatch{true, true}},
          Row{2, 1, 45, 90, 0, 0, 3, "Power Off if there are no communications for 60s"}}) {
        Monitor m;
        m.world.processes.watch = r.watch;
        m.Start(IniFile());
        EXPECT_EQ(std::ranges::count(m.Events(), "HidePid/OtherUser"), r.watch.otherUsersHidden ? 1 : 0);
        Settings& s = m.p.set;
        s.role = r.cMain == 2 ? Role::Slave : Role::Main;
        s.shutdownType = static_cast<ShutdownType>(r.shutType - 1);
        std::tie(s.processDelay, s.linkDelay, s.stopTime, s.fixedDelay) =
            std::tuple(r.procDelay, r.comDelay, r.stopTime, r.delTime);
        std::tie(s.stopTimeOn, s.fixedDelayOn) = std::tuple(r.stopTime != 0, r.delTime != 0);
        m.p.rt.startOption = static_cast<StartOption>(r.cmdLineMode);
        m.app.monitor.Reset();
        m.app.monitor.ShowStatus();
        EXPECT_EQ(m.app.window.view.title.text, r.sentence);
    }
}

// The first start's guard, log and window; who may exit; an exit logs the state, closes screens, ends 0.
// An unusable setup (unconfigured, its port taken and the box answered No) waits in view and never steps.
TEST(Window, StartsLogsAndLetsOnlyThoseAllowedExit) {
    const struct {
        bool admin;
        int userExit;
        const char* option;
        bool allowed;
        MonitorPhase phase = MonitorPhase::Run;
        const char* proc1 = "a.exe"; // "": not configured, no entry
        Texts exit{};                // logged by the exit
        bool portTaken = false;
    } rows[] = {{true, 2, "", true, MonitorPhase::Run, "a.exe", {"Exit/Run"}},
                {false, 2, "", false},
                {false, 1, "", true, MonitorPhase::Shutdown, "a.exe", {"Exit/Shutdown"}},
                {true, 2, "-InhibitAdmin -AllowMulti", false},
                {true, 2, "-AllowMulti -InhibitShutdown", true, MonitorPhase::Initialise, ""},
                {true, 2, "-AllowMulti", true, MonitorPhase::Initialise, "a.exe", {"Exit/Initialise"}, true}};
    for (const auto& r : rows) {
        SCOPED_TRACE(std::string(r.option) + (r.admin ? " admin " : " user ") + std::to_string(r.userExit));
        Monitor m;
        m.world.system.admin = r.admin;
        // Beside another copy only with -AllowMulti, wherever it stands, and keeping none of the guards.
        m.world.guard.otherHolds = true;
        m.p.rt.commandLine = r.option;
        const bool multi = std::string_view(r.option).find("-AllowMulti") != std::string_view::npos;
        EXPECT_EQ(Main(m.p), multi ? StartWindow::Main : StartWindow::AlreadyRunning);
        EXPECT_EQ(m.world.guard.created.size(), multi ? 2u : 1u);
        EXPECT_EQ(m.world.guard.closed, m.world.guard.created);
        const bool unusable = !*r.proc1 || r.portTaken;
        m.world.socket.takenPorts = r.portTaken ? std::vector{10000} : std::vector<int>{};
        IniFile ini = IniFile().Set("UserExit", r.userExit).Set("Proc1", r.proc1);
        m.Start(ini.Set("StartMin", unusable ? 2 : 1).Set("IPAdd", r.portTaken ? "127.1.2.3" : ""), r.option);
        MainView& v = m.app.window.view;
        if (&r == rows) {
            EXPECT_EQ(
                SplitLines(m.dir.Read("Log/Quenzel.log")),
                (Texts{"Quenzel", "Version 1.6", "File Created", "05-Dec-26 10:30:00", "", "", "Quenzel",
                       "Version 1.6", "", "05-Dec-26 10:30:00,  Start    , Initialise, Count:    2"}));
            EXPECT_EQ(std::tuple(m.p.rt.timerOn, v.trayKey, m.world.system.priorityRaises),
                      std::tuple(true, std::string("Start"), 1));
            EXPECT_EQ((Texts{v.caption, v.reset.tooltip, v.exit.tooltip, v.about.tooltip, v.configure.tooltip,
                             v.test.tooltip}),
                      (Texts{"Quenzel", "Reset Quenzel", "Close Quenzel", "About Quenzel",
                             "Configure Quenzel", "Enables/Restarts Quenzel Test Mode"}));
        }
        if (unusable) {
            m.app.window.OnActivated();
            EXPECT_EQ(
                std::tuple(v.title.text, v.title.fore, v.title.bold, v.counter.text),
                std::tuple(std::string("Click Configure To Set Up Quenzel"), kOrange, true, std::string()));
            EXPECT_FALSE(v.reset.enabled || v.test.enabled || v.menuReset.enabled || v.menuTest.enabled);
            EXPECT_EQ(std::tuple(v.state, m.host.messages.size()),
                      std::tuple(WindowState::Normal, r.portTaken ? 1u : 0u));
            m.app.window.OnTest();
            m.Seconds(5);
        }
        m.app.window.OnReset();
        if (unusable) { // the Test did nothing
            EXPECT_EQ(std::tuple(m.p.monitor.phase, m.p.monitor.testMode, m.EventsSince(r.portTaken ? 0 : 1)),
                      std::tuple(MonitorPhase::Initialise, false, Texts{"Reset/Initialise"}));
        }
        v.menuExit.enabled = !r.allowed;
        m.app.window.OnActivated();
        EXPECT_EQ(std::tuple(v.exit.enabled, v.closeAllowed, v.menuExit.enabled),
                  std::tuple(r.allowed, r.allowed, r.allowed));
        if (!r.allowed) continue;
        m.app.window.OnAbout();
        m.p.monitor.phase = r.phase;
        const size_t before = m.Events().size();
        EXPECT_THROW(m.app.window.OnMenuExit(), ProgramEnded);
        EXPECT_EQ(m.EventsSince(before), r.exit);
        EXPECT_EQ(std::tuple(m.host.endedWith, m.host.trayRemovals), std::tuple(0, 1));
        EXPECT_FALSE(m.p.rt.timerOn || m.window.aboutOpen);
    }
}

TEST(LinkKey, ANewKeyIsWrittenOnceAndReadAtStartAKeyFileThatCannotServeEndsTheStart) {
    Monitor made;
    std::filesystem::create_directories(made.dir.path() / "Data");
    std::ostringstream out, err;
    ASSERT_EQ(WriteNewLinkKey(made.world.files, out, err), 0) << err.str();
    const std::string key = made.dir.Read("Data/Quenzel.key");
    EXPECT_TRUE(key.size() == 32u && out.str().find("Data/Quenzel.key") != std::string::npos);
    EXPECT_EQ(WriteNewLinkKey(made.world.files, out, err), 1); // never replaces a key
    made.Start(IniFile());
    EXPECT_EQ(made.p.link.key, key);

    struct Row {
        std::optional<std::string> bytes; // nullopt: a folder in its place
        int mode;
        std::string problem; // after "The key file <path>" or "...<path>:\r\n"; "" when it starts
    } rows[] = {
        {std::string(1024, 'k'), 0600, ""},
        {std::string(31, 'k'), 0600,
         " is too short:\r\nit holds 31 bytes, a key needs at least 32.\r\nMake a new one with: quenzeld "
         "--new-key"},
        {std::string(1025, 'k'), 0600, " is too long:\r\na key has at most 1024 bytes."},
#ifndef _WIN32
        {std::nullopt, 0700, ":\r\nnot a regular file."},
        {std::string(32, 'k'), 0602, // written by others; read by others is the platform test's
         "\r\nmay be read or changed by other users.\r\nLet only its owner read it: chmod 600 "
         "Data/Quenzel.key"},
#else
        // Written the ordinary way, it inherits the folder's permissions, which let Users read.
        {std::string(32, 'k'), 0644,
         "\r\nmay be read or changed by other users.\r\nLet only its owner read it (remove Everyone and "
         "Users from its permissions)."},
#endif
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::to_string(&row - rows));
        Monitor m;
        const auto path = m.world.files.Resolve(kLinkKeyFile);
        std::filesystem::create_directories(row.bytes ? path.parent_path() : path);
        if (row.mode == 0644) // the ordinary way
            m.dir.Write("Data/Quenzel.key", *row.bytes);
        else if (row.bytes) {
            ASSERT_EQ(WriteSecretFile(path, *row.bytes), std::nullopt); // owner-only
        }
#ifndef _WIN32
        if (row.mode != 0600)
            std::filesystem::permissions(path, static_cast<std::filesystem::perms>(row.mode));
#endif
        if (row.problem.empty()) {
            m.Start(IniFile());
            EXPECT_EQ(m.p.link.key, row.bytes);
            continue;
        }
        EXPECT_THROW(m.Start(IniFile()), ProgramEnded);
        EXPECT_EQ(m.p.link.key, std::nullopt);
        const std::string lead = row.bytes ? "The key file " : "Unable to read the key file ";
        EXPECT_EQ(m.Boxes(), (std::vector{Box{MsgIcon::Critical, MsgButtons::Ok, "Quenzel Key File Error",
                                              lead + path.string() + row.problem +
                                                  "\r\nThe program will now terminate."}}));
    }
}

} // namespace
} // namespace qz::test
