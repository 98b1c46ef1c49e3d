#include <gtest/gtest.h>

#include <filesystem>

#include "app/MultiInst.h"
#include "app/mdMain.h"
#include "tests/app/Harness.h"

#ifndef _WIN32
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>

#include "platform/Backend.h"
#endif

namespace qz::test {
namespace {

TEST(CommandLine, StartOptionsAndAllowMulti) {
    struct Row {
        const char* commandLine;
        int16_t mode;
        bool secondCopyRuns;
    };
    const Row rows[] = {
        {"", 0, false},
        {"-InhibitShutdown", 1, false},
        {"-AddErrorMessage", 2, false},
        {"-StartShutdown", 3, false},
        {"-InhibitAdmin", 4, false},
        {"-inhibitshutdown", 0, false},
        {"-INHIBITADMIN", 0, false},
        {" -InhibitShutdown", 0, false},
        {"x -StartShutdown", 0, false},
        {"-InhibitShutdownNow", 1, false},
        {"-StartShutdown -AllowMulti", 3, true},
        {"-AllowMulti -StartShutdown", 0, false},
        {"-AllowMulti", 0, true},
        {"-AllowMulti ", 0, false},
        {"-allowmulti", 0, false},
        {"-AllowMulti -AllowMulti", 0, true},
        {"AllowMulti", 0, false},
    };
    for (const Row& r : rows) {
        EXPECT_EQ(ReadCmdLineMode(r.commandLine), r.mode) << r.commandLine;
        TempDir dir;
        FakeWorld world(dir.path());
        world.guard.otherHolds = true;
        world.program.rt.CommandLine = r.commandLine;
        EXPECT_EQ(Main(world.program), r.secondCopyRuns ? StartWindow::Main : StartWindow::MultiInst)
            << r.commandLine;
    }
}

TEST(CommandLine, OptionReachesTheMonitorAtLoad) {
    Monitor m;
    m.Start(IniFile(), "-StartShutdown -AllowMulti");
    EXPECT_EQ(m.p.rt.CmdLineMode, 3);
    // The start option shortens both delays and shows the fixed test figure.
    EXPECT_EQ(m.p.rt.ProcDelayWork, 6);
    EXPECT_EQ(m.p.rt.ComDelayWork, 6);
    EXPECT_EQ(m.main.view.Title.text, "Shutdown if there is no activity for 600s");
}

TEST(SingleInstance, FirstCopyHoldsTwoHandlesOnItsGuard) {
    TempDir dir;
    FakeWorld world(dir.path());
    EXPECT_EQ(Main(world.program), StartWindow::Main);
    ASSERT_EQ(world.guard.created.size(), 2u);
    EXPECT_EQ(world.program.rt.MutexHandle, world.guard.created[0]);
    EXPECT_TRUE(world.guard.closed.empty());
}

TEST(SingleInstance, SecondCopyIsRefusedAndHoldsNothing) {
    TempDir dir;
    FakeWorld world(dir.path());
    world.guard.otherHolds = true;
    EXPECT_EQ(Main(world.program), StartWindow::MultiInst);
    EXPECT_EQ(world.guard.created, world.guard.closed);
    EXPECT_EQ(world.guard.created.size(), 1u);
    EXPECT_EQ(world.program.rt.MutexHandle, 0);
}

TEST(SingleInstance, AllowedSecondCopyRunsWithoutAGuard) {
    TempDir dir;
    FakeWorld world(dir.path());
    world.guard.otherHolds = true;
    world.program.rt.CommandLine = "-AllowMulti";
    EXPECT_EQ(Main(world.program), StartWindow::Main);
    EXPECT_EQ(world.guard.created.size(), 2u);
    EXPECT_EQ(world.guard.created, world.guard.closed);
    EXPECT_EQ(world.program.rt.MutexHandle, 0);
}

TEST(SingleInstance, CheckPrevInstanceKeepsAndReleasesItsHandle) {
    TempDir dir;
    FakeWorld world(dir.path());
    Program& p = world.program;
    EXPECT_FALSE(CheckPrevInstance(p, "Quenzel", true)); // nothing held: takes the guard
    const InstanceGuard::Handle held = p.rt.MutexHandle;
    EXPECT_NE(held, 0);
    EXPECT_FALSE(CheckPrevInstance(p, "Quenzel", false));
    EXPECT_EQ(p.rt.MutexHandle, held);
    EXPECT_EQ(world.guard.created.size(), 1u);
    EXPECT_FALSE(CheckPrevInstance(p, "Quenzel", true));
    EXPECT_EQ(p.rt.MutexHandle, 0);
    EXPECT_EQ(world.guard.closed, std::vector<InstanceGuard::Handle>{held});
}

#ifndef _WIN32
// Two processes and the real guard: the copy started second is refused.
TEST(SingleInstance, RealGuardRefusesACopyInAnotherProcess) {
    TempDir dir;
    ASSERT_EQ(setenv("XDG_RUNTIME_DIR", dir.path().c_str(), 1), 0);
    auto guard = MakeInstanceGuard();
    FakeWorld first(dir.path());
    Program mine(Services{first.host, first.clock, first.files, first.processes, first.power, first.socket,
                          first.resolver, *guard, first.system});
    ASSERT_EQ(Main(mine), StartWindow::Main);

    auto startCopy = [&](const char* commandLine) {
        pid_t child = fork();
        if (child == 0) {
            auto childGuard = MakeInstanceGuard();
            FakeWorld w(dir.path());
            Program copy(Services{w.host, w.clock, w.files, w.processes, w.power, w.socket, w.resolver,
                                  *childGuard, w.system});
            copy.rt.CommandLine = commandLine;
            _exit(Main(copy) == StartWindow::Main ? 0 : 3);
        }
        int status = 0;
        waitpid(child, &status, 0);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    };
    EXPECT_EQ(startCopy(""), 3);
    EXPECT_EQ(startCopy("-AllowMulti"), 0);
    EXPECT_EQ(startCopy("-AllowMulti -InhibitShutdown"), 3);
    unsetenv("XDG_RUNTIME_DIR");
}
#endif

TEST(MultiInstWindow, ShowsTheThreeLineMessageAndEndsOnOk) {
    TempDir dir;
    FakeWorld world(dir.path());
    struct Pages : PageOpener {
        void OpenWebPage(const std::string& page) override { opened.push_back(page); }
        std::vector<std::string> opened;
    } pages;
    MultiInst window(world.program, pages);
    EXPECT_EQ(window.view.caption, "Error");
    window.Form_Load();
    window.Form_Activate();
    EXPECT_EQ(window.view.caption, "Quenzel Start Up Error");
    EXPECT_EQ(window.view.ErrorMess,
              "Quenzel is already running.\r\nOnly one instance can be\r\nrunning at a time.");
    EXPECT_EQ(window.view.Exit.caption, "&OK");
    EXPECT_EQ(window.view.Exit.tooltip, "Close Quenzel");
    EXPECT_TRUE(window.view.topMost);
    window.Logo_Click();
    EXPECT_EQ(pages.opened, std::vector<std::string>{"index.htm"});
    EXPECT_THROW(window.Exit_Click(), ProgramEnded);
    EXPECT_EQ(world.host.endedWith, 1);
}

TEST(Load, FreshLogGetsHeaderSeparatorVersionAndStart) {
    Monitor m;
    m.Start(IniFile());
    const std::vector<std::string> expected{"Quenzel",
                                            "Version 1.6",
                                            "File Created",
                                            "05-Dec-26 10:30:00",
                                            "",
                                            "",
                                            "Quenzel",
                                            "Version 1.6",
                                            "",
                                            "05-Dec-26 10:30:00,  Start    , Initialise, Count:    2"};
    EXPECT_EQ(SplitLines(m.LogText()), expected);
    EXPECT_TRUE(m.p.rt.TimerEnabled);
    EXPECT_EQ(m.p.rt.MonState, 0);
    EXPECT_EQ(m.main.view.trayKey, "Start");
    EXPECT_EQ(m.main.view.caption, "Quenzel");
    EXPECT_EQ(m.world.system.priorityRaises, 1);
    EXPECT_FALSE(m.p.rt.DialogOpen);
}

TEST(Load, SecondRunAppendsToTheLog) {
    Monitor m;
    m.dir.Write("Log/Quenzel.log", "earlier run\n");
    m.Start(IniFile());
    const std::vector<std::string> expected{"earlier run",
                                            "",
                                            "",
                                            "Quenzel",
                                            "Version 1.6",
                                            "",
                                            "05-Dec-26 10:30:00,  Start    , Initialise, Count:    2"};
    EXPECT_EQ(SplitLines(m.LogText()), expected);
}

TEST(Load, IncompleteConfigurationWaitsForSetUp) {
    Monitor m;
    m.Start(IniFile().Set("Proc1", ""));
    EXPECT_TRUE(m.p.rt.NotConfigured);
    EXPECT_EQ(m.Events(), std::vector<std::string>{"UnConfig/********"});
    const MainView& v = m.main.view;
    EXPECT_EQ(v.Title.text, "Click Configure To Set Up Quenzel");
    EXPECT_EQ(v.Title.fore, kOrange);
    EXPECT_TRUE(v.Title.bold);
    EXPECT_EQ(v.Counter.text, "");
    EXPECT_FALSE(v.Reset.enabled);
    EXPECT_FALSE(v.TestS.enabled);
    m.main.Form_Activate();
    EXPECT_FALSE(m.main.view.mPopUpReset.enabled);
    EXPECT_FALSE(m.main.view.mPopUpTest.enabled);
    EXPECT_TRUE(m.main.view.mPopUpConfig.enabled);

    m.Seconds(5);
    EXPECT_EQ(m.p.rt.MonState, 0);
    EXPECT_EQ(m.p.rt.CountSeconds, 2);
    m.main.TestS_Click();
    EXPECT_FALSE(m.p.rt.TestMode);
    EXPECT_EQ(m.Events(), std::vector<std::string>{"UnConfig/********"});
    EXPECT_TRUE(m.p.rt.TimerEnabled); // the window stays usable
}

TEST(Load, PortInUseAnsweredNoLeavesASetupFault) {
    Monitor m;
    m.world.socket.takenPorts = {10000};
    m.Start(IniFile().Set("IPAdd", "127.1.2.3"));
    ASSERT_EQ(m.host.messages.size(), 1u);
    EXPECT_EQ(m.host.messages[0].title, "Quenzel Port Error");
    EXPECT_TRUE(m.p.rt.SetupFault);
    EXPECT_EQ(m.main.view.Title.text, "Click Configure To Set Up Quenzel");
    m.main.Form_Activate();
    EXPECT_FALSE(m.main.view.mPopUpReset.enabled);
    m.Seconds(4);
    EXPECT_EQ(m.p.rt.MonState, 0);
    EXPECT_TRUE(m.world.socket.sent.empty());
    // While the link setup has failed, nothing of the monitor is logged.
    EXPECT_EQ(m.Events(), std::vector<std::string>{});
}

TEST(Load, SlaveModeTitlesTheWindow) {
    Monitor m;
    m.Start(IniFile().Set("CMain", 2).Set("IPAdd", "127.1.2.3"));
    EXPECT_EQ(m.p.rt.AppTitle, "Quenzel Slave");
    EXPECT_EQ(m.main.view.caption, "Quenzel Slave");
    EXPECT_EQ(m.main.view.Reset.tooltip, "Reset Quenzel Slave");
    EXPECT_EQ(m.main.view.TestS.tooltip, "Enables/Restarts Quenzel Slave Test Mode");
}

TEST(Load, MissingFoldersEndTheProgramBeforeAnythingIsWritten) {
    {
        Monitor m;
        std::filesystem::remove_all(m.dir.path() / "Log");
        EXPECT_THROW(m.Start(IniFile()), ProgramEnded);
        EXPECT_EQ(m.host.endedWith, 1);
        ASSERT_EQ(m.host.messages.size(), 1u);
        EXPECT_EQ(m.host.messages[0].title, "Quenzel Log Directory Error");
    }
    {
        Monitor m;
        EXPECT_THROW(m.main.Form_Load(), ProgramEnded); // no Data folder at all
        ASSERT_EQ(m.host.messages.size(), 1u);
        EXPECT_EQ(m.host.messages[0].title, "Quenzel Data Directory Error");
        EXPECT_FALSE(std::filesystem::exists(m.dir.path() / "Log" / "Quenzel.log"));
    }
}

TEST(Unload, ExitLogsTheStateWordAndEndsWithZero) {
    struct Row {
        const char* how;
        int16_t state;
        const char* entry;
    };
    for (const Row& r :
         {Row{"exit", 0, "Exit/Initialise"}, Row{"popup", 1, "Exit/Run"}, Row{"exit", 2, "Exit/Shutdown"}}) {
        Monitor m;
        m.Start(IniFile());
        m.window.ShowAbout();
        m.p.rt.MonState = r.state;
        const size_t before = m.Events().size();
        if (std::string(r.how) == "exit")
            EXPECT_THROW(m.main.Exit_Click(), ProgramEnded);
        else
            EXPECT_THROW(m.main.mPopUpExit_Click(), ProgramEnded);
        EXPECT_EQ(m.EventsSince(before), std::vector<std::string>{r.entry});
        EXPECT_EQ(m.host.endedWith, 0);
        EXPECT_EQ(m.host.trayRemovals, 1);
        EXPECT_FALSE(m.p.rt.TimerEnabled);
        EXPECT_FALSE(m.window.aboutOpen);
    }
}

TEST(Unload, UnconfiguredProgramWritesNoExitEntry) {
    Monitor m;
    m.Start(IniFile().Set("Proc1", ""));
    EXPECT_THROW(m.main.Exit_Click(), ProgramEnded);
    EXPECT_EQ(m.Events(), std::vector<std::string>{"UnConfig/********"});
}

} // namespace
} // namespace qz::test
