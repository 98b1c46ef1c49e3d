#include <gtest/gtest.h>

#include <limits>
#include <vector>

#include "screens/frmAbout.h"
#include "tests/support/Fakes.h"
#include "tests/support/TempDir.h"

namespace qz {
namespace {

using test::FakeWorld;
using test::TempDir;

class RecordingAboutHost : public AboutScreenHost {
  public:
    void EnableMainControls() override { ++enables; }
    void OpenWebPage(const std::string& page) override { pages.push_back(page); }
    int enables = 0;
    std::vector<std::string> pages;
};

struct AboutWorld {
    TempDir dir;
    FakeWorld world{dir.path()};
    Program& p = world.program;
    RecordingAboutHost host;
    frmAbout about{p, host};
};

TEST(AboutScreen, LoadShowsTitleVersionAndSiteAndPausesTheMonitor) {
    struct Row {
        const char* appTitle;
        int16_t cmdLineMode;
        const char* caption;
        int16_t closeCount;
    };
    for (const Row& r : {Row{"Quenzel", 0, "About Quenzel", 60}, Row{"Quenzel", 1, "About Quenzel", 4},
                         Row{"Quenzel", 2, "About Quenzel", 60}, Row{"Quenzel", 3, "About Quenzel", 60},
                         Row{"Quenzel Slave", 4, "About Quenzel Slave", 60},
                         Row{"Quenzel Slave", 1, "About Quenzel Slave", 4}}) {
        AboutWorld w;
        w.p.rt.AppTitle = r.appTitle;
        w.p.rt.CmdLineMode = r.cmdLineMode;
        w.p.rt.AboutCloseCount = -3; // left over from an earlier screen
        w.about.Form_Load();
        const AboutView& v = w.about.view;
        EXPECT_TRUE(v.open);
        EXPECT_TRUE(w.p.rt.DialogOpen);
        EXPECT_EQ(v.caption, r.caption);
        EXPECT_EQ(v.ProgName.text, r.appTitle);
        EXPECT_EQ(v.ProgVersion.text, "Version 1.6");
        EXPECT_EQ(v.WebSite.text, "www.quenzel.example");
        EXPECT_EQ(v.TMessage.text, "");
        EXPECT_EQ(v.ExitAbout.caption, "&Exit");
        EXPECT_EQ(v.ExitAbout.tooltip, "Close Quenzel About Screen");
        EXPECT_EQ(w.p.rt.AboutCloseCount, r.closeCount) << r.cmdLineMode;
    }
}

TEST(AboutScreen, TimerShowsTheCountThenLowersIt) {
    AboutWorld w;
    w.p.rt.CmdLineMode = 1;
    w.about.Form_Load();
    const char* expected[] = {"About will close in 4 sec", "About will close in 3 sec",
                              "About will close in 2 sec", "About will close in 1 sec",
                              "About will close in 0 sec"};
    int16_t count = 4;
    for (const char* text : expected) {
        w.about.Timer1_Timer();
        EXPECT_EQ(w.about.view.TMessage.text, text);
        EXPECT_EQ(w.p.rt.AboutCloseCount, --count);
    }
}

TEST(AboutScreen, CountStopsAtItsSmallestValue) {
    AboutWorld w;
    w.about.Form_Load();
    w.p.rt.AboutCloseCount = std::numeric_limits<int16_t>::min() + 1;
    w.about.Timer1_Timer();
    w.about.Timer1_Timer();
    EXPECT_EQ(w.about.view.TMessage.text, "About will close in -32768 sec");
    EXPECT_EQ(w.p.rt.AboutCloseCount, std::numeric_limits<int16_t>::min());
}

TEST(AboutScreen, UnloadGivesTheMainWindowBackItsControlsOnce) {
    using Close = void (frmAbout::*)();
    for (Close close : {&frmAbout::Form_Unload, &frmAbout::ExitAbout_Click}) {
        AboutWorld w;
        w.about.Form_Load();
        (w.about.*close)();
        EXPECT_FALSE(w.about.view.open);
        EXPECT_FALSE(w.p.rt.DialogOpen);
        EXPECT_EQ(w.host.enables, 1);
        // Closing again (the main timer after the Exit button) and late ticks change nothing.
        w.p.rt.DialogOpen = true; // meanwhile the configuration screen is open
        w.about.Form_Unload();
        w.about.Timer1_Timer();
        EXPECT_EQ(w.host.enables, 1);
        EXPECT_TRUE(w.p.rt.DialogOpen);
        EXPECT_EQ(w.about.view.TMessage.text, "");
    }
}

TEST(AboutScreen, OnTopFollowsRunOnTopAtActivation) {
    for (int runOnTop : {1, 2}) {
        AboutWorld w;
        w.p.set.RunOnTop = static_cast<int16_t>(runOnTop);
        w.about.Form_Load();
        w.about.Form_Activate();
        EXPECT_EQ(w.about.view.topMost, runOnTop == 2);
    }
}

TEST(AboutScreen, SiteLabelOpensTheStartPage) {
    AboutWorld w;
    w.about.Form_Load();
    w.about.WebSite_Click();
    EXPECT_EQ(w.host.pages, std::vector<std::string>{"index.htm"});
}

} // namespace
} // namespace qz
