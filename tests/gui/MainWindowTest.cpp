#include <QApplication>
#include <QMenu>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>

#include "gui/AboutDialog.h"
#include "gui/Pictures.h"
#include "tests/gui/GuiWorld.h"

namespace qz::test {
namespace {

using Events = std::vector<std::string>;

const QColor kOrangeRgb(255, 128, 0);
const QColor kBlueRgb(0, 0, 255);
const QColor kDarkGreenRgb(0, 102, 0);
const QColor kWhiteRgb(255, 255, 255);

QColor System(QPalette::ColorRole role) {
    return QApplication::palette().color(role);
}

void RunIntoCountdown(GuiWorld& w) {
    w.ProcessRuns(false);
    for (int second = 0; second < 30 && w.p.rt.MonState != 2; ++second)
        w.Seconds(1);
    ASSERT_EQ(w.p.rt.MonState, 2);
}

Events EventsSince(const GuiWorld& w, size_t from) {
    const Events all = w.Events();
    return from < all.size() ? Events(all.begin() + static_cast<std::ptrdiff_t>(from), all.end()) : Events{};
}

TEST(MainWindow, ButtonsDriveTheProgramsHandlers) {
    struct Row {
        const char* button;
        std::function<void(GuiWorld&, size_t logged)> check;
    };
    const Row rows[] = {
        {"TestS",
         [](GuiWorld& w, size_t logged) {
             EXPECT_EQ(EventsSince(w, logged), (Events{"*Enter/Test", "*Start/Initialise"}));
             EXPECT_EQ(w.window->windowTitle(), "Quenzel - Test Mode");
         }},
        {"Reset",
         [](GuiWorld& w, size_t logged) {
             EXPECT_EQ(EventsSince(w, logged), (Events{"Reset/Run", "Start/Initialise"}));
             EXPECT_EQ(w.Label("Counter").text(), "Program Activation In 2s");
         }},
        {"About",
         [](GuiWorld& w, size_t) {
             ASSERT_NE(w.window->About(), nullptr);
             EXPECT_TRUE(w.window->About()->isVisible());
             EXPECT_EQ(w.window->About()->windowTitle(), "About Quenzel");
             EXPECT_TRUE(w.p.rt.DialogOpen);
         }},
        {"Config",
         [](GuiWorld& w, size_t) {
             ASSERT_NE(w.window->Config(), nullptr);
             EXPECT_TRUE(w.window->Config()->isVisible());
             EXPECT_EQ(w.window->Config()->windowTitle(), "Quenzel Configuration");
             EXPECT_TRUE(w.p.rt.DialogOpen);
         }},
        {"Update",
         [](GuiWorld& w, size_t) {
             EXPECT_EQ(w.world.system.opened,
                       Events{"https://www.quenzel.example/software/misc/update.htm?ID=15&Ver=1.6"});
         }},
        {"Exit",
         [](GuiWorld& w, size_t logged) {
             EXPECT_EQ(w.window->EndedWith(), 0);
             EXPECT_EQ(EventsSince(w, logged), Events{"Exit/Run"});
             EXPECT_EQ(w.host.trayRemovals, 1);
             EXPECT_FALSE(w.window->isVisible());
             EXPECT_FALSE(w.tray.Icon().isVisible());
         }},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.button);
        GuiWorld w;
        w.ProcessRuns(true);
        w.Start(IniFile());
        w.Seconds(3);
        ASSERT_EQ(w.p.rt.MonState, 1);
        const size_t logged = w.Events().size();
        w.Click(r.button);
        r.check(w, logged);
    }
}

TEST(MainWindow, ScreenButtonsPauseTheMainControlsUntilTheScreenCloses) {
    for (const char* screen : {"About", "Config"}) {
        SCOPED_TRACE(screen);
        GuiWorld w;
        w.Start(IniFile());
        w.Click(screen);
        for (const char* button : {"TestS", "Config", "About", "Reset"})
            EXPECT_FALSE(w.Button(button).isEnabled()) << button;
        EXPECT_TRUE(w.Button("Update").isEnabled());
        EXPECT_TRUE(w.Button("Exit").isEnabled());
        QWidget* dialog = w.window->About() ? static_cast<QWidget*>(w.window->About()) : w.window->Config();
        ASSERT_NE(dialog, nullptr);
        dialog->close();
        SettleEvents();
        for (const char* button : {"TestS", "Config", "About", "Reset"})
            EXPECT_TRUE(w.Button(button).isEnabled()) << button;
        EXPECT_FALSE(w.p.rt.DialogOpen);
        EXPECT_EQ(w.window->About(), nullptr);
        EXPECT_EQ(w.window->Config(), nullptr);
    }
}

TEST(MainWindow, LogoOpensTheHomePage) {
    GuiWorld w;
    w.Start(IniFile());
    QTest::mouseClick(w.window->findChild<QWidget*>("Logo"), Qt::LeftButton);
    EXPECT_EQ(w.world.system.opened, Events{"https://www.quenzel.example/index.htm"});
    w.world.system.openResult = 2;
    QTest::mouseClick(w.window->findChild<QWidget*>("Logo"), Qt::LeftButton);
    ASSERT_EQ(w.host.messages.size(), 1u);
    EXPECT_EQ(w.host.messages[0].title, "Quenzel Error");
    EXPECT_EQ(w.host.messages[0].text, "Unable to launch Browser.");
}

TEST(MainWindow, LabelsShowTheViewsTextsColoursAndBoldness) {
    struct Look {
        QString text;
        QColor fore, back;
        bool bold;
    };
    struct Row {
        const char* when;
        std::function<void(GuiWorld&)> reach;
        const char* label;
        Look look;
    };
    const auto start = [](GuiWorld& w) { w.Start(IniFile()); };
    const auto run = [](GuiWorld& w) {
        w.ProcessRuns(true);
        w.Start(IniFile());
        w.Seconds(3);
    };
    const auto idle = [](GuiWorld& w) {
        w.Start(IniFile());
        w.Seconds(3);
    };
    const auto countdown = [](GuiWorld& w) {
        w.Start(IniFile());
        RunIntoCountdown(w);
    };
    const auto unconfigured = [](GuiWorld& w) { w.Start(IniFile().Set("Proc1", "")); };
    const Row rows[] = {
        {"start",
         start,
         "Title",
         {"Shutdown if there is no activity for 5s", System(QPalette::ButtonText), System(QPalette::Button),
          false}},
        {"start", start, "Counter", {"Program Activation In 2s", kBlueRgb, System(QPalette::Button), false}},
        {"start", start, "CPULoad", {"", System(QPalette::ButtonText), System(QPalette::Button), false}},
        {"run", run, "Counter", {"Activity", kDarkGreenRgb, System(QPalette::Button), false}},
        {"run", run, "CPULoad", {"P1 .. ..", System(QPalette::ButtonText), System(QPalette::Button), false}},
        {"idle", idle, "Counter", {"No activity for 1s", kOrangeRgb, System(QPalette::Button), false}},
        {"countdown",
         countdown,
         "Counter",
         {"The Computer Will Shutdown In 3s", kWhiteRgb, kOrangeRgb, true}},
        {"countdown", countdown, "CPULoad", {"", kWhiteRgb, kOrangeRgb, false}},
        {"unconfigured",
         unconfigured,
         "Title",
         {"Click Configure To Set Up Quenzel", kOrangeRgb, System(QPalette::Button), true}},
        {"unconfigured", unconfigured, "Counter", {"", kBlueRgb, System(QPalette::Button), false}},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(std::string(r.when) + " " + r.label);
        GuiWorld w;
        r.reach(w);
        const QLabel& label = w.Label(r.label);
        EXPECT_EQ(label.text(), r.look.text);
        EXPECT_EQ(label.palette().color(QPalette::WindowText), r.look.fore);
        EXPECT_EQ(label.palette().color(QPalette::Window), r.look.back);
        EXPECT_EQ(label.font().bold(), r.look.bold);
    }
}

TEST(MainWindow, ButtonsShowCaptionsTooltipsAndPermission) {
    struct Row {
        const char* button;
        const char* caption;
        const char* tooltip;
    };
    GuiWorld w;
    w.Start(IniFile());
    for (const Row& r :
         {Row{"Update", "&Update", "Look on the Quenzel web site for the latest version of Quenzel"},
          Row{"Config", "&Configure", "Configure Quenzel"}, Row{"Reset", "&Reset", "Reset Quenzel"},
          Row{"About", "&About", "About Quenzel"}, Row{"Exit", "&Exit", "Close Quenzel"},
          Row{"TestS", "&Test", "Enables/Restarts Quenzel Test Mode"}}) {
        EXPECT_EQ(w.Button(r.button).text(), r.caption);
        EXPECT_EQ(w.Button(r.button).toolTip(), r.tooltip);
        EXPECT_TRUE(w.Button(r.button).isEnabled()) << r.button;
    }
    // An unconfigured program offers neither Reset nor Test.
    GuiWorld unconfigured;
    unconfigured.Start(IniFile().Set("Proc1", ""));
    EXPECT_FALSE(unconfigured.Button("Reset").isEnabled());
    EXPECT_FALSE(unconfigured.Button("TestS").isEnabled());
    EXPECT_TRUE(unconfigured.Button("Config").isEnabled());
}

TEST(MainWindow, DuringTheCountdownOnlyCancelCanBeChosen) {
    GuiWorld w;
    w.Start(IniFile());
    EXPECT_EQ(w.ChoosableItems(), (Events{"mPopUpAbout", "mPopUpConfig", "mPopUpMin", "mPopUpReset",
                                          "mPopUpTest", "mPopUpUpdate", "mPopUpExit"}));
    RunIntoCountdown(w);
    EXPECT_EQ(w.ChoosableItems(), Events{"mPopUpCancel"});
    EXPECT_EQ(w.Item("mPopUpCancel").text(), "Cancel");
    EXPECT_FALSE(w.Item("mPopUpReset").isVisible());
    EXPECT_EQ(w.Button("Reset").text(), "&Cancel");
    EXPECT_EQ(w.Button("Reset").toolTip(), "Cancel Quenzel Shutdown");
    for (const char* button : {"Config", "About", "TestS", "Exit", "Update"})
        EXPECT_FALSE(w.Button(button).isEnabled()) << button;
    EXPECT_TRUE(w.window->windowFlags().testFlag(Qt::WindowStaysOnTopHint));

    const size_t logged = w.Events().size();
    w.Item("mPopUpCancel").trigger();
    EXPECT_EQ(EventsSince(w, logged), (Events{"Cancel/Shutdown", "Start/Initialise"}));
    EXPECT_EQ(w.ChoosableItems(), (Events{"mPopUpAbout", "mPopUpConfig", "mPopUpMin", "mPopUpReset",
                                          "mPopUpTest", "mPopUpUpdate", "mPopUpExit"}));
    EXPECT_EQ(w.Button("Reset").text(), "&Reset");
}

TEST(MainWindow, PopupItemsDriveTheProgramsHandlers) {
    struct Row {
        const char* item;
        std::function<void(GuiWorld&, size_t logged)> check;
    };
    const Row rows[] = {
        {"mPopUpAbout", [](GuiWorld& w, size_t) { EXPECT_NE(w.window->About(), nullptr); }},
        {"mPopUpConfig", [](GuiWorld& w, size_t) { EXPECT_NE(w.window->Config(), nullptr); }},
        {"mPopUpMin",
         [](GuiWorld& w, size_t) {
             EXPECT_FALSE(w.window->isVisible());
             EXPECT_TRUE(w.Item("mPopUpRestore").isVisible());
             EXPECT_FALSE(w.Item("mPopUpMin").isVisible());
         }},
        {"mPopUpReset",
         [](GuiWorld& w, size_t logged) {
             EXPECT_EQ(EventsSince(w, logged), (Events{"Reset/Run", "Start/Initialise"}));
         }},
        {"mPopUpTest",
         [](GuiWorld& w, size_t logged) {
             EXPECT_EQ(EventsSince(w, logged), (Events{"*Enter/Test", "*Start/Initialise"}));
         }},
        {"mPopUpUpdate",
         [](GuiWorld& w, size_t) {
             EXPECT_EQ(w.world.system.opened,
                       Events{"https://www.quenzel.example/software/misc/update.htm?ID=15&Ver=1.6"});
         }},
        {"mPopUpExit",
         [](GuiWorld& w, size_t logged) {
             EXPECT_EQ(w.window->EndedWith(), 0);
             EXPECT_EQ(EventsSince(w, logged), Events{"Exit/Run"});
         }},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.item);
        GuiWorld w;
        w.ProcessRuns(true);
        w.Start(IniFile());
        w.Seconds(3);
        const size_t logged = w.Events().size();
        // The user's way: a right click on the tray icon opens the menu, a click chooses the item.
        emit w.tray.Icon().activated(QSystemTrayIcon::Context);
        QMenu& menu = w.window->PopupMenu();
        ASSERT_TRUE(menu.isVisible());
        QAction& item = w.Item(r.item);
        QTest::mouseClick(&menu, Qt::LeftButton, {}, menu.actionGeometry(&item).center());
        SettleEvents();
        r.check(w, logged);
    }
}

TEST(MainWindow, RestoreFromThePopupCentresTheWindow) {
    GuiWorld w;
    w.Start(IniFile());
    w.window->move(0, 0);
    w.Item("mPopUpMin").trigger();
    ASSERT_FALSE(w.window->isVisible());
    w.Item("mPopUpRestore").trigger();
    ASSERT_TRUE(w.window->isVisible());
    const QRect screen = w.window->screen()->geometry();
    EXPECT_EQ(w.window->frameGeometry().center(), screen.center());
}

TEST(MainWindow, TrayShowsThePictureOfTheMonitorsState) {
    GuiWorld w;
    const auto picture = [&w] { return w.tray.Icon().icon().pixmap(32, 32).toImage(); };
    const auto expected = [](const char* key) { return TrayPicture(key).pixmap(32, 32).toImage(); };
    w.ProcessRuns(true);
    w.Start(IniFile());
    EXPECT_TRUE(w.tray.Icon().isVisible());
    EXPECT_EQ(w.tray.Icon().toolTip(), "Quenzel");
    EXPECT_EQ(picture(), expected("Start"));
    w.Seconds(3);
    EXPECT_EQ(picture(), expected("Activity"));
    w.ProcessRuns(false);
    w.Seconds(1);
    EXPECT_EQ(picture(), expected("NoActivity"));
    EXPECT_EQ(picture(), WindowIcon().pixmap(32, 32).toImage());
    RunIntoCountdown(w);
    EXPECT_EQ(picture(), expected("Shutdown"));
    w.Click("Reset");
    EXPECT_EQ(picture(), expected("Activate"));
    // Every state has a picture of its own; Start and Activate share one.
    EXPECT_EQ(expected("Start"), expected("Activate"));
    for (const char* a : {"Activate", "Activity", "NoActivity", "Shutdown"})
        for (const char* b : {"Activate", "Activity", "NoActivity", "Shutdown"})
            if (std::string(a) != b) {
                EXPECT_NE(expected(a), expected(b)) << a << " " << b;
            }
}

TEST(MainWindow, DoubleClickOnTheTrayBringsTheWindowBackCentred) {
    GuiWorld w;
    w.Start(IniFile().Set("StartMin", 2));
    EXPECT_FALSE(w.window->isVisible());
    emit w.tray.Icon().activated(QSystemTrayIcon::Trigger); // a single click does nothing
    EXPECT_FALSE(w.window->isVisible());
    emit w.tray.Icon().activated(QSystemTrayIcon::DoubleClick);
    EXPECT_TRUE(w.window->isVisible());
    EXPECT_FALSE(w.window->isMinimized());
    EXPECT_EQ(w.window->frameGeometry().center(), w.window->screen()->geometry().center());
}

TEST(MainWindow, WindowOverrideFollowsTheUsersChoiceThroughMinimiseRestoreAndReset) {
    // Start minimised: bringing the window back is a choice against StartMin that a Reset keeps.
    GuiWorld tray;
    tray.Start(IniFile().Set("StartMin", 2));
    EXPECT_FALSE(tray.p.rt.WindowOverride);
    emit tray.tray.Icon().activated(QSystemTrayIcon::DoubleClick);
    EXPECT_TRUE(tray.p.rt.WindowOverride);
    tray.Click("Reset");
    EXPECT_TRUE(tray.window->isVisible());
    EXPECT_TRUE(tray.p.rt.WindowOverride);
    tray.Item("mPopUpMin").trigger();
    EXPECT_FALSE(tray.window->isVisible());
    EXPECT_FALSE(tray.p.rt.WindowOverride);
    tray.Item("mPopUpReset").trigger();
    EXPECT_FALSE(tray.window->isVisible());

    // Start normal: minimising by the window system is the user's choice, and a Reset repeats it.
    GuiWorld normal;
    normal.Start(IniFile());
    ASSERT_TRUE(normal.window->isVisible());
    normal.window->setWindowState(Qt::WindowMinimized);
    SettleEvents();
    EXPECT_FALSE(normal.window->isVisible()); // hidden into the tray
    EXPECT_TRUE(normal.p.rt.WindowOverride);
    normal.Item("mPopUpReset").trigger();
    EXPECT_FALSE(normal.window->isVisible());
    EXPECT_TRUE(normal.p.rt.WindowOverride);
    normal.Item("mPopUpRestore").trigger();
    EXPECT_TRUE(normal.window->isVisible());
    EXPECT_FALSE(normal.p.rt.WindowOverride);
    normal.Click("Reset");
    EXPECT_TRUE(normal.window->isVisible());
    EXPECT_FALSE(normal.window->isMinimized());
}

TEST(MainWindow, WithoutATrayMinimisingKeepsTheWindowReachable) {
    GuiWorld w(false);
    w.Start(IniFile());
    w.Item("mPopUpMin").trigger();
    EXPECT_TRUE(w.window->isVisible());
    EXPECT_TRUE(w.window->isMinimized());
    EXPECT_TRUE(w.Item("mPopUpRestore").isVisible());
    w.window->setWindowState(Qt::WindowNoState); // the user restores it from the task bar
    SettleEvents();
    EXPECT_FALSE(w.window->isMinimized());
    EXPECT_TRUE(w.Item("mPopUpMin").isVisible());
    EXPECT_FALSE(w.Item("mPopUpRestore").isVisible());
}

TEST(MainWindow, CloseFollowsTheExitPermission) {
    struct Row {
        int userExit;
        bool admin;
        bool closes;
    };
    for (const Row& r : {Row{1, false, true}, Row{2, true, true}, Row{2, false, false}}) {
        SCOPED_TRACE(r.userExit * 10 + r.admin);
        GuiWorld w;
        w.world.system.admin = r.admin;
        w.Start(IniFile().Set("UserExit", r.userExit));
        EXPECT_EQ(w.window->windowFlags().testFlag(Qt::WindowCloseButtonHint), r.closes);
        EXPECT_EQ(w.Button("Exit").isEnabled(), r.closes);
        EXPECT_EQ(w.Item("mPopUpExit").isEnabled(), r.closes);
        const size_t logged = w.Events().size();
        w.window->close();
        EXPECT_EQ(w.window->EndedWith().has_value(), r.closes);
        EXPECT_EQ(w.window->isVisible(), !r.closes);
        EXPECT_EQ(EventsSince(w, logged), r.closes ? Events{"Exit/Initialise"} : Events{});
    }
}

TEST(MainWindow, OnTopFollowsRunOnTopAtActivation) {
    for (int runOnTop : {1, 2}) {
        GuiWorld w;
        w.Start(IniFile().Set("RunOnTop", runOnTop));
        QEvent activate(QEvent::WindowActivate);
        QApplication::sendEvent(w.window.get(), &activate);
        EXPECT_EQ(w.window->windowFlags().testFlag(Qt::WindowStaysOnTopHint), runOnTop == 2);
        EXPECT_TRUE(w.window->isVisible());
    }
}

TEST(MainWindow, AboutScreenClosesItselfWhenItsCountRunsOut) {
    struct Row {
        const char* commandLine;
        int16_t seconds;
    };
    for (const Row& r : {Row{"-InhibitShutdown", 4}, Row{"", 60}}) {
        SCOPED_TRACE(r.commandLine);
        GuiWorld w;
        w.Start(IniFile(), r.commandLine);
        w.Click("About");
        AboutDialog* about = w.window->About();
        ASSERT_NE(about, nullptr);
        EXPECT_EQ(about->findChild<QLabel*>("TMessage")->text(), "");
        for (int second = r.seconds; second >= 1; --second) {
            ASSERT_EQ(w.window->About(), about) << second;
            about->Timer1Tick();
            EXPECT_EQ(about->findChild<QLabel*>("TMessage")->text(),
                      QString("About will close in %1 sec").arg(second));
            w.Seconds(1);
        }
        EXPECT_EQ(w.window->About(), nullptr);
        EXPECT_FALSE(w.p.rt.DialogOpen);
        EXPECT_TRUE(w.Button("About").isEnabled());
        SettleEvents();
        EXPECT_TRUE(w.window->findChildren<AboutDialog*>().isEmpty());
    }
}

TEST(MainWindow, AnOpenScreenComesForwardInsteadOfASecondOne) {
    for (const char* item : {"mPopUpAbout", "mPopUpConfig"}) {
        SCOPED_TRACE(item);
        GuiWorld w;
        w.Start(IniFile());
        w.Item(item).trigger();
        // A reset from the main station gives the popup items back while the screen is open.
        w.window->Run([&] { w.window->Logic().RemoteReset(); });
        ASSERT_TRUE(w.Item(item).isEnabled());
        w.Item(item).trigger();
        SettleEvents();
        int screens = 0;
        for (const QDialog* dialog : w.window->findChildren<QDialog*>())
            screens += dialog->isVisible();
        EXPECT_EQ(screens, 1);
        EXPECT_TRUE(w.p.rt.DialogOpen);
    }
}

TEST(MainWindow, MainTimerClosesTheConfigurationScreenWhenItsCountRunsOut) {
    GuiWorld w;
    w.Start(IniFile(), "-InhibitShutdown");
    w.Click("Config");
    ASSERT_NE(w.window->Config(), nullptr);
    EXPECT_EQ(w.p.rt.ConfigCloseCount, 4);
    w.p.rt.ConfigCloseCount = 1;
    w.Seconds(1);
    ASSERT_NE(w.window->Config(), nullptr);
    EXPECT_TRUE(w.window->Config()->isVisible());
    w.p.rt.ConfigCloseCount = 0;
    w.Seconds(1);
    SettleEvents();
    EXPECT_EQ(w.window->Config(), nullptr);
    EXPECT_FALSE(w.p.rt.DialogOpen);
    for (const char* button : {"TestS", "Config", "About", "Reset"})
        EXPECT_TRUE(w.Button(button).isEnabled()) << button;
}

TEST(MainWindow, AboutScreenShowsTheProgramAndLinksToTheSite) {
    GuiWorld w;
    w.Start(IniFile());
    w.Click("About");
    AboutDialog& about = *w.window->About();
    EXPECT_EQ(about.findChild<QLabel*>("ProgName")->text(), "Quenzel");
    EXPECT_EQ(about.findChild<QLabel*>("ProgVersion")->text(), "Version 1.6");
    EXPECT_EQ(about.findChild<QLabel*>("WebSite")->text(), "www.quenzel.example");
    QPushButton& exit = *about.findChild<QPushButton*>("ExitAbout");
    EXPECT_EQ(exit.text(), "&Exit");
    EXPECT_EQ(exit.toolTip(), "Close Quenzel About Screen");
    QTest::mouseClick(about.findChild<QLabel*>("WebSite"), Qt::LeftButton);
    EXPECT_EQ(w.world.system.opened, Events{"https://www.quenzel.example/index.htm"});
    // The monitor rests while the screen is open.
    const int32_t count = w.p.rt.CountSeconds;
    w.Seconds(3);
    EXPECT_EQ(w.p.rt.CountSeconds, count);
    QTest::mouseClick(&exit, Qt::LeftButton);
    EXPECT_EQ(w.window->About(), nullptr);
    EXPECT_FALSE(w.p.rt.DialogOpen);
    w.Seconds(1);
    EXPECT_EQ(w.p.rt.CountSeconds, count - 1);
}

TEST(MainWindow, TimerRunsOnlyWhileTheProgramWantsIt) {
    GuiWorld w;
    QTimer& timer = *w.window->findChild<QTimer*>("tmrRefresh");
    EXPECT_FALSE(timer.isActive());
    w.Start(IniFile());
    EXPECT_TRUE(timer.isActive());
    EXPECT_EQ(timer.interval(), 500);
    w.Click("Exit");
    EXPECT_FALSE(timer.isActive());
    // After the end no handler runs, whatever arrives.
    const Events logged = w.Events();
    w.Ticks(4);
    w.Click("Reset");
    EXPECT_EQ(w.Events(), logged);
}

TEST(MainWindow, TicksWhileAStepsMessageIsOpenRunNoFurtherStep) {
    GuiWorld w;
    w.Start(IniFile(), "-InhibitShutdown");
    RunIntoCountdown(w);
    // The countdown ends in the simulation box; the timer keeps firing while it is open.
    Events loggedWhileOpen;
    int32_t countWhileOpen = -1;
    w.host.whileOpen = [&] {
        const Events before = w.Events();
        const int32_t count = w.p.rt.CountSeconds;
        w.Seconds(3);
        loggedWhileOpen = EventsSince(w, before.size());
        countWhileOpen = w.p.rt.CountSeconds - count;
    };
    for (int second = 0; second < 10 && !w.window->EndedWith(); ++second)
        w.Seconds(1);
    ASSERT_EQ(w.host.messages.size(), 1u);
    EXPECT_EQ(w.host.messages[0].title, "Quenzel Simulate Shutdown");
    EXPECT_EQ(w.host.messages[0].text, "Test Real Shutdown");
    EXPECT_EQ(loggedWhileOpen, Events{});
    EXPECT_EQ(countWhileOpen, 0);
    EXPECT_EQ(w.window->EndedWith(), 0);
    EXPECT_TRUE(w.world.power.exitCalls.empty());
}

} // namespace
} // namespace qz::test
