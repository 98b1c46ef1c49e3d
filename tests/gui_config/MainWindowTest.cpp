#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <functional>

#include "app/QuenzelMain.h"
#include "tests/gui_config/DialogWorld.h"

namespace qz::test {
namespace {

// The main window's front end, as far as the configuration screen meets it: the screen is opened
// and closed the way the desktop program does it.
class MainWindowHost : public WindowHost {
  public:
    explicit MainWindowHost(Program& p) : p_(p) {}
    void ShowConfig() override { config = OpenConfigDialog(p_, *main, *this, nullptr); }
    void UnloadConfig() override {
        if (config) config->close();
    }
    void OpenWebPage(const std::string& page) override { pages.push_back(page); }
    void ShowAbout() override {}
    void UnloadAbout() override {}
    void SetForeground() override {}
    void ShowPopupMenu() override {}

    QuenzelMain* main = nullptr;
    QPointer<QDialog> config;
    std::vector<std::string> pages;

  private:
    Program& p_;
};

// A host whose message boxes run a step of the user's choosing while they are open.
class WaitingHost : public FakeHost {
  public:
    Answer ShowMessage(MsgIcon icon, MsgButtons buttons, const std::string& title,
                       const std::string& text) override {
        if (whileOpen) whileOpen();
        return FakeHost::ShowMessage(icon, buttons, title, text);
    }
    std::function<void()> whileOpen;
};

struct MainWorld : ScreenWorld {
    // Message boxes go to `boxes` when given, to the fake world's host otherwise.
    explicit MainWorld(Host* boxes = nullptr)
        : program(Services{boxes ? *boxes : world.host, world.clock, world.files, world.processes,
                           world.power, world.socket, world.resolver, world.guard, world.system}) {
        program.set = MainSettings();
        window.main = &main;
    }

    template <class Widget> Widget& Find(const char* name) {
        auto* widget = window.config ? window.config->findChild<Widget*>(name) : nullptr;
        if (!widget) throw std::runtime_error(std::string("no open screen with a control ") + name);
        return *widget;
    }
    void DeleteClosedWindows() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

    Program program;
    MainWindowHost window{program};
    QuenzelMain main{program, window};
};

TEST(MainWindow, SavedSettingsTakeEffectWhenTheScreenIsLeft) {
    MainWorld w;
    w.main.Config_Click();
    ASSERT_TRUE(w.window.config);
    EXPECT_TRUE(w.window.config->isVisible());
    EXPECT_FALSE(w.main.view.Config.enabled);
    EXPECT_TRUE(w.program.rt.DialogOpen);

    QLineEdit& proc2 = w.Find<QLineEdit>("Proc2T");
    proc2.setFocus();
    QTest::keyClicks(&proc2, "rsync");
    QTest::mouseClick(&w.Find<QPushButton>("Save"), Qt::LeftButton);
    QTest::mouseClick(&w.Find<QPushButton>("ExitConfig"), Qt::LeftButton);

    EXPECT_EQ(w.program.set.Proc2, "rsync");
    EXPECT_TRUE(w.main.view.Config.enabled);
    EXPECT_FALSE(w.program.rt.DialogOpen);
    EXPECT_EQ(w.main.view.Title.text, "Power Off if there is no activity for 60s");
    w.DeleteClosedWindows();
    EXPECT_TRUE(w.window.config.isNull());
}

TEST(MainWindow, LogoOpensThePageThroughTheMainWindowsLauncher) {
    MainWorld w;
    w.main.Config_Click();
    QTest::mouseClick(&w.Find<QWidget>("Logo"), Qt::LeftButton);
    EXPECT_EQ(w.window.pages, std::vector<std::string>{"index.htm"});
}

TEST(MainWindow, ItsTimerClosesTheScreenWhenTheCountRunsOut) {
    MainWorld w;
    w.main.Config_Click();
    RunState& rt = w.program.rt;
    rt.TimerEnabled = true;
    rt.TickPhase = 1;
    rt.ConfigCloseCount = 0;
    w.main.tmrRefresh_Timer();
    ASSERT_FALSE(w.window.config.isNull());
    EXPECT_FALSE(w.window.config->isVisible());
    EXPECT_TRUE(w.main.view.Config.enabled);
    EXPECT_FALSE(rt.DialogOpen);
    w.DeleteClosedWindows();
    EXPECT_TRUE(w.window.config.isNull());
}

TEST(MainWindow, ScreenClosedWhileItsMessageBoxIsOpenOutlivesTheBox) {
    WaitingHost host;
    MainWorld w(&host);
    w.dir.Write("Log/Quenzel.log", "a log\n");
    w.main.Config_Click();
    bool aliveWhileOpen = false;
    host.whileOpen = [&] {
        w.window.UnloadConfig(); // the main window's count ran out meanwhile
        w.DeleteClosedWindows();
        aliveWhileOpen = !w.window.config.isNull();
    };
    QTest::mouseClick(&w.Find<QPushButton>("Archive"), Qt::LeftButton);
    EXPECT_TRUE(aliveWhileOpen);
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].title, "Archive Quenzel Log File");
    EXPECT_TRUE(w.main.view.Config.enabled);
    w.DeleteClosedWindows();
    EXPECT_TRUE(w.window.config.isNull());
}

} // namespace
} // namespace qz::test
