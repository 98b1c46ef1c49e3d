#include <gtest/gtest.h>

#include <functional>

#include "tests/config_screen/ScreenWorld.h"

namespace qz::test {
namespace {

using Strings = std::vector<std::string>;

TEST(Handlers, ActivationFieldNeverCarriesAValueOfTheOtherKind) {
    struct Row {
        bool startTicked;
        const char* before;
        bool click;
        const char* after;
        const char* label;
        const char* hint;
    };
    for (const Row& r : {Row{false, "30", true, "", "Activate At:", "Time in the format xx:xx"},
                         Row{true, "07:30", false, "", "Activate After:", "seconds (min 1, max 3600)"},
                         Row{false, "07:30", true, "07:30", "Activate At:", "Time in the format xx:xx"},
                         Row{true, "30", false, "30", "Activate After:", "seconds (min 1, max 3600)"},
                         Row{false, "", true, "", "Activate At:", "Time in the format xx:xx"}}) {
        ScreenWorld w;
        frmConfig& s = w.Open();
        s.view.StartTimeT.checked = r.startTicked;
        s.view.StartDelayT.text = r.before;
        s.StartTimeT_Click(r.click);
        EXPECT_EQ(s.view.StartDelayT.text, r.after) << r.before;
        EXPECT_EQ(s.view.StartDelayL.text, r.label) << r.before;
        EXPECT_EQ(s.view.StartDelayM.text, r.hint) << r.before;
    }
}

TEST(Handlers, WaitForTheEndOfLoadingExceptTheActivationBox) {
    struct Row {
        const char* name;
        std::function<void(ScreenWorld&)> prepare;
        std::function<void(frmConfig&)> click;
        std::function<std::string(ScreenWorld&)> observe;
        const char* before;
        const char* after;
    };
    auto enabled = [](bool e) { return e ? std::string("on") : std::string("off"); };
    const Row rows[] = {
        {"Del_OnT",
         {},
         [](frmConfig& s) { s.Del_OnT_Click(true); },
         [&](ScreenWorld& w) { return enabled(w.screen->view.DelTimeT.enabled); },
         "off",
         "on"},
        {"Stop_OnT",
         {},
         [](frmConfig& s) { s.Stop_OnT_Click(true); },
         [&](ScreenWorld& w) { return enabled(w.screen->view.StopTimeT.enabled); },
         "off",
         "on"},
        {"ForceT", [](ScreenWorld& w) { w.p.set.Force = 1; }, [](frmConfig& s) { s.ForceT_Click(true); },
         [](ScreenWorld& w) { return w.screen->view.ShutTypeM.text; }, "", "(Forces Applications To Close)"},
        {"DNameT",
         {},
         [](frmConfig& s) { s.DNameT_Click(true); },
         [](ScreenWorld& w) { return w.screen->view.IPAddL.text; },
         "IP Address",
         "Domain Name"},
        {"ShutNameT",
         {},
         [](frmConfig& s) { s.ShutNameT_Click("Hibernate"); },
         [&](ScreenWorld& w) { return enabled(w.screen->view.ForceT.enabled); },
         "on",
         "off"},
        {"LogLevelT",
         {},
         [](frmConfig& s) { s.LogLevelT_Click("None"); },
         [&](ScreenWorld& w) { return enabled(w.screen->view.Archive.enabled); },
         "on",
         "off"},
        {"RunOnTopT",
         {},
         [](frmConfig& s) { s.RunOnTopT_Click(true); },
         [](ScreenWorld& w) { return w.host.calls.empty() ? std::string() : w.host.calls.back(); },
         "",
         "TopMost"},
        {"StartTimeT",
         {},
         [](frmConfig& s) { s.StartTimeT_Click(true); },
         [](ScreenWorld& w) { return w.screen->view.StartDelayL.text; },
         "Activate At:",
         "Activate At:"},
    };
    for (bool loading : {true, false}) {
        for (const Row& r : rows) {
            ScreenWorld w;
            if (r.prepare) r.prepare(w);
            frmConfig& s = w.Open();
            s.loading = loading;
            r.click(s);
            EXPECT_EQ(r.observe(w), loading ? r.before : r.after)
                << r.name << (loading ? " while loading" : "");
        }
    }
}

TEST(Handlers, ListsOnlyTakeTheirOwnItems) {
    ScreenWorld w;
    frmConfig& s = w.Open();
    s.ShutNameT_Click("Standby");
    s.ShutNameT_Click("power off");
    s.LogLevelT_Click("full");
    EXPECT_EQ(s.view.ShutNameT.text, "Power Off");
    EXPECT_EQ(s.workingShutType, 1);
    EXPECT_EQ(s.view.LogLevelT.text, "Normal");
    EXPECT_EQ(s.workingLogLevel, 2);

    s.ShutNameT_Click("StandBy");
    s.LogLevelT_Click("Full");
    EXPECT_EQ(s.workingShutType, 6);
    EXPECT_EQ(s.workingLogLevel, 3);
}

TEST(Handlers, ShutdownTypeSwitchesForce) {
    ScreenWorld w;
    frmConfig& s = w.Open();
    EXPECT_EQ(s.view.ShutTypeM.text, "(Forces Applications To Close)");
    s.ShutNameT_Click("Hibernate");
    EXPECT_FALSE(s.view.ForceT.enabled);
    EXPECT_EQ(s.view.ShutTypeM.text, "");
    s.ShutNameT_Click("Reboot");
    EXPECT_TRUE(s.view.ForceT.enabled);
    EXPECT_EQ(s.view.ShutTypeM.text, "(Forces Applications To Close)");
}

TEST(Handlers, LogButtonsNeedALevelAndAnAdministrator) {
    struct Row {
        bool admin;
        const char* level;
        bool enabled;
    };
    for (const Row& r : {Row{true, "None", false}, Row{true, "Normal", true}, Row{true, "Full", true},
                         Row{false, "Normal", false}}) {
        ScreenWorld w;
        w.world.system.admin = r.admin;
        frmConfig& s = w.Open();
        s.LogLevelT_Click("None");
        s.LogLevelT_Click(r.level);
        EXPECT_EQ(s.view.Archive.enabled, r.enabled) << r.level << r.admin;
        EXPECT_EQ(s.view.ViewL.enabled, r.enabled) << r.level << r.admin;
    }
}

TEST(Handlers, WindowPlacement) {
    struct Row {
        int16_t storedOnTop;
        std::function<void(frmConfig&)> act;
        Strings calls;
    };
    const Row rows[] = {
        {2, [](frmConfig& s) { s.Form_Activate(); }, {"TopMost"}},
        {1, [](frmConfig& s) { s.Form_Activate(); }, {}},
        {1, [](frmConfig& s) { s.RunOnTopT_Click(true); }, {"TopMost"}},
        {2, [](frmConfig& s) { s.RunOnTopT_Click(false); }, {"NotTopMost"}},
        {2, [](frmConfig& s) { s.Restore_Click(); }, {"NotTopMost"}},
        {1, [](frmConfig& s) { s.Restore_Click(); }, {}},
        {1, [](frmConfig& s) { s.Logo_Click(); }, {"OpenWebPage index.htm"}},
    };
    for (const Row& r : rows) {
        ScreenWorld w;
        w.p.set.RunOnTop = r.storedOnTop;
        frmConfig& s = w.Open();
        EXPECT_EQ(w.host.calls, Strings{}) << "a load places nothing";
        r.act(s);
        EXPECT_EQ(w.host.calls, r.calls);
    }
}

} // namespace
} // namespace qz::test
