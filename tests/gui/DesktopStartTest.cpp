#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>

#include "gui/Desktop.h"
#include "gui/Tray.h"
#include "platform/Backend.h"
#include "tests/gui/GuiWorld.h"

namespace qz::test {
namespace {

// XDG_RUNTIME_DIR, where the single-instance guard keeps its lock, pointed at a folder of the test's.
class RuntimeDir {
  public:
    RuntimeDir() {
        if (const char* old = std::getenv("XDG_RUNTIME_DIR")) old_ = old;
        setenv("XDG_RUNTIME_DIR", dir_.path().c_str(), 1);
    }
    ~RuntimeDir() {
        if (old_)
            setenv("XDG_RUNTIME_DIR", old_->c_str(), 1);
        else
            unsetenv("XDG_RUNTIME_DIR");
    }

  private:
    TempDir dir_;
    std::optional<std::string> old_;
};

// One started copy of the desktop program with the real single-instance guard.
struct Copy {
    explicit Copy(const std::string& commandLine) {
        std::filesystem::create_directories(dir.path() / "Log");
        dir.Write("Data/Quenzel.ini", IniFile().Text());
        p.rt.CommandLine = commandLine;
        desktop = StartDesktop(p, tray);
    }
    TempDir dir;
    GuiHost host;
    FakeWorld world{dir.path()};
    std::unique_ptr<InstanceGuard> guard = MakeInstanceGuard();
    Program p{Services{host, world.clock, world.files, world.processes, world.power, world.socket,
                       world.resolver, *guard, world.system}};
    Tray tray{true};
    Desktop desktop;
};

TEST(DesktopStart, SecondCopyShowsOnlyTheAlreadyRunningWindow) {
    RuntimeDir runtime;
    Copy first("");
    ASSERT_NE(first.desktop.main, nullptr);
    EXPECT_EQ(first.desktop.multiInst, nullptr);
    EXPECT_TRUE(first.desktop.main->isVisible());

    Copy second("-InhibitShutdown");
    EXPECT_EQ(second.desktop.main, nullptr);
    ASSERT_NE(second.desktop.multiInst, nullptr);
    MultiInstWindow& window = *second.desktop.multiInst;
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(window.windowTitle(), "Quenzel Start Up Error");
    EXPECT_EQ(window.findChild<QLabel*>("ErrorMess")->text(),
              "Quenzel is already running.\nOnly one instance can be\nrunning at a time.");
    QPushButton& ok = *window.findChild<QPushButton*>("Exit");
    EXPECT_EQ(ok.text(), "&OK");
    EXPECT_EQ(ok.toolTip(), "Close Quenzel");
    EXPECT_TRUE(window.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_FALSE(second.tray.Icon().isVisible());
    EXPECT_FALSE(std::filesystem::exists(second.dir.path() / "Log" / "Quenzel.log"));

    QTest::mouseClick(window.findChild<QWidget*>("Logo"), Qt::LeftButton);
    EXPECT_EQ(second.world.system.opened, std::vector<std::string>{"https://www.quenzel.example/index.htm"});
    QTest::mouseClick(&ok, Qt::LeftButton);
    EXPECT_EQ(window.EndedWith(), 1);
    EXPECT_FALSE(window.isVisible());

    // The first copy goes on undisturbed.
    EXPECT_FALSE(first.desktop.main->EndedWith());
    EXPECT_TRUE(first.desktop.main->isVisible());
    EXPECT_TRUE(first.desktop.main->findChild<QTimer*>("tmrRefresh")->isActive());
}

TEST(DesktopStart, ClosingTheAlreadyRunningWindowEndsTheProgramAsItsButtonDoes) {
    RuntimeDir runtime;
    Copy first("");
    Copy second("");
    ASSERT_NE(second.desktop.multiInst, nullptr);
    second.desktop.multiInst->close();
    EXPECT_EQ(second.desktop.multiInst->EndedWith(), 1);
}

TEST(DesktopStart, AllowMultiAtTheEndLetsASecondCopyRun) {
    struct Row {
        const char* commandLine;
        bool runs;
    };
    for (const Row& r : {Row{"-AllowMulti", true}, Row{"-StartShutdown -AllowMulti", true},
                         Row{"-AllowMulti -StartShutdown", false}, Row{"-allowmulti", false}}) {
        SCOPED_TRACE(r.commandLine);
        RuntimeDir runtime;
        Copy first("");
        Copy second(r.commandLine);
        EXPECT_EQ(second.desktop.main != nullptr, r.runs);
        EXPECT_EQ(second.desktop.multiInst != nullptr, !r.runs);
    }
}

TEST(DesktopStart, MissingDataFolderEndsTheStartWithItsBox) {
    RuntimeDir runtime;
    TempDir dir;
    GuiHost host;
    FakeWorld world(dir.path());
    Program p(Services{host, world.clock, world.files, world.processes, world.power, world.socket,
                       world.resolver, world.guard, world.system});
    Tray tray(true);
    const Desktop desktop = StartDesktop(p, tray);
    ASSERT_NE(desktop.main, nullptr);
    EXPECT_EQ(desktop.main->EndedWith(), 1);
    EXPECT_FALSE(desktop.main->isVisible());
    EXPECT_FALSE(tray.Icon().isVisible());
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].title, "Quenzel Data Directory Error");
}

} // namespace
} // namespace qz::test
