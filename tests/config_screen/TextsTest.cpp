#include <gtest/gtest.h>

#include "tests/config_screen/ScreenWorld.h"

namespace qz::test {
namespace {

TEST(UpdateLabels, AddressAndTypeHints) {
    struct Row {
        bool slave;
        int16_t storedType;
        bool domain;
        const char* item;
        bool force;
        const char* label;
        const char* hint;
        const char* typeHint;
    };
    const char* const ip = "IP Address";
    const char* const dn = "Domain Name";
    const Row rows[] = {
        {false, 1, false, "Power Off", true, ip, "(Either empty or a valid IP address)",
         "(Forces Applications To Close)"},
        {false, 1, false, "Shutdown", false, ip, "(Either empty or a valid IP address)", ""},
        {false, 1, false, "Monitor", true, ip, "(A valid IP address)", "(Only Use With A Valid IP Address)"},
        {false, 1, true, "Monitor", true, dn, "(a valid domain name)", "(Only Use With A Valid Domain Name)"},
        {false, 1, true, "Reboot", true, dn, "(Either empty or a valid domain name)",
         "(Forces Applications To Close)"},
        {false, 1, false, "Hibernate", true, ip, "(Either empty or a valid IP address)", ""},
        {false, 1, false, "StandBy", true, ip, "(Either empty or a valid IP address)", ""},
        {true, 1, false, "Power Off", true, ip, "(A valid IP address)", "(Forces Applications To Close)"},
        {true, 1, true, "Reboot", false, dn, "(a valid domain name)", ""},
        {true, 4, false, "Reboot", true, ip, "(A valid IP address)", "Not Available In Slave Mode"},
        {true, 1, false, "Monitor", true, ip, "(A valid IP address)", "Not Available In Slave Mode"},
    };
    for (const Row& r : rows) {
        ScreenWorld w;
        if (r.slave) {
            w.p.set = SlaveSettings();
            w.p.rt.AppTitle = "Quenzel Slave";
        }
        w.p.set.ShutType = r.storedType;
        frmConfig& s = w.Open();
        s.DNameT_Click(r.domain);
        s.ShutNameT_Click(r.item);
        s.ForceT_Click(r.force);
        std::string row =
            std::string(r.item) + (r.slave ? " slave" : " main") + (r.domain ? " domain" : " ip");
        EXPECT_EQ(s.view.IPAddL.text, r.label) << row;
        EXPECT_EQ(s.view.IPAddT.tooltip,
                  r.domain ? "Domain name of computer to communicate with (less than 100 characters)"
                           : "IP Address of computer to communicate with")
            << row;
        EXPECT_EQ(s.view.IPAddM.text, r.hint) << row;
        EXPECT_EQ(s.view.ShutTypeM.text, r.typeHint) << row;
    }
}

TEST(UpdateLabels, MonitorChosenOnASlaveIsKeptAsItsCode) {
    ScreenWorld w;
    w.p.set = SlaveSettings();
    frmConfig& s = w.Open();
    s.view.ShutNameT.text = "Monitor";
    s.UpdateLabels();
    EXPECT_EQ(s.workingShutType, 4);
}

TEST(UpdateLabels, ActivationRowFollowsItsMode) {
    struct Row {
        int16_t startTime;
        int16_t startDelay;
        const char* field;
        const char* label;
        const char* hint;
        const char* tooltip;
    };
    for (const Row& r : {Row{1, 30, "30", "Activate After:", "seconds (min 1, max 3600)",
                             "Delay after startup before program is activated"},
                         Row{2, 730, "07:30", "Activate At:", "Time in the format xx:xx",
                             "Time at which program is activated in the format 'xx:xx' (24 hour clock)"}}) {
        ScreenWorld w;
        w.p.set.StartTime = r.startTime;
        w.p.set.StartDelay = r.startDelay;
        frmConfig& s = w.Open();
        EXPECT_EQ(s.view.StartDelayT.text, r.field);
        EXPECT_EQ(s.view.StartDelayL.text, r.label);
        EXPECT_EQ(s.view.StartDelayM.text, r.hint);
        EXPECT_EQ(s.view.StartDelayT.tooltip, r.tooltip);
    }
}

TEST(UpdateTooltips, NameTheProgramAndFollowTheExitButton) {
    for (const char* title : {"Quenzel", "Quenzel Slave"}) {
        ScreenWorld w;
        if (std::string(title) == "Quenzel Slave") w.p.set = SlaveSettings();
        w.p.rt.AppTitle = title;
        frmConfig& s = w.Open();
        const std::string t = title;
        EXPECT_EQ(s.view.ViewL.tooltip, "View " + t + " log file (It will not be updated while open)");
        EXPECT_EQ(s.view.Restore.tooltip, "Restore " + t +
                                              " Default Configuration Values (Does not restore or delete any "
                                              "process names or computer address set)");
        EXPECT_EQ(s.view.Save.tooltip,
                  "Save " + t +
                      " Configuration Values (The program will be reset when you close this "
                      "screen if values have been changed)");
        const std::string exitTip =
            "Close " + t +
            " Configuration Screen (The program will be reset if changed values have been saved)";
        EXPECT_EQ(s.view.ExitConfig.tooltip, exitTip);
        EXPECT_EQ(s.view.Archive.tooltip, "Archive Quenzel log file and create new one");

        s.view.ProcDelayT.text = "61";
        s.ExitConfig_Click();
        EXPECT_EQ(s.view.ExitConfig.caption, "&Cancel");
        EXPECT_EQ(s.view.ExitConfig.tooltip, "Close " + t + " Configuration Screen without saving changes");
        s.Save_Click();
        EXPECT_EQ(s.view.ExitConfig.caption, "&Exit");
        EXPECT_EQ(s.view.ExitConfig.tooltip, exitTip);
    }
}

TEST(DesignedTexts, LabelsHintsAndTooltipsAsLoaded) {
    ScreenWorld w;
    frmConfig& s = w.Open();
    const ConfigView& v = s.view;
    struct Row {
        const LabelView& label;
        const char* text;
    };
    const Row labels[] = {
        {v.Proc1L, "Process 1:"},
        {v.RunOnTopL, " Run On Top:"},
        {v.StartMinL, "Run in System Tray:"},
        {v.ProcDelayL, "Process Delay:"},
        {v.DelTimeL, "Shutdown After:"},
        {v.Del_OnL, "Enable Fixed Delay:"},
        {v.StopTimeL, "Shutdown At:"},
        {v.Stop_OnL, "Enable Fixed Time:"},
        {v.LogPathL, "Path To Log File:"},
        {v.StartTimeL, "Fixed Time:"},
        {v.ShutTimeL, "Shut Down Time:"},
        {v.ShutNameL, "Shut Down Type:"},
        {v.UExitL, "User Exit:"},
        {v.ComDelayL, "Lost Comms Delay:"},
        {v.DNameL, "Domain Name:"},
        {v.IPAddL, "IP Address"},
        {v.Port1L, "TX Port:"},
        {v.Port2L, "Rx Port:"},
        {v.LogPathM, "(Must exist and be between 1 and 99 characters plus '\\')"},
        {v.IPAddM, "(Either empty or a valid IP address)"},
        {v.Port1M, "(An unused port between 1024 and 65535)"},
    };
    for (const Row& r : labels) {
        EXPECT_EQ(r.label.text, r.text);
        EXPECT_EQ(r.label.fore, kDarkGreen) << r.text;
    }
    EXPECT_EQ(v.Status.fore, kOrange);
    EXPECT_EQ(v.TMessage.fore, kOrange);
    EXPECT_EQ(v.TMessage.back, kWhite);
    EXPECT_EQ(v.DelTimeT.tooltip,
              "Delay after activation  when shutdown is initiated in seconds (min 60, max 10800 - "
              "must be greater than Process Delay)");
    EXPECT_EQ(v.Del_OnT.tooltip,
              "Enable fixed delay shutdown iniitiation (forces all running applications to close)");
    EXPECT_EQ(v.Port2T.tooltip,
              "Port used to communicate from Master to Slave - only change this if there is a "
              "clash with another program");
    EXPECT_EQ(v.LogLevelT.items, (std::vector<std::string>{"Full", "None", "Normal"}));
    EXPECT_EQ(v.ShutNameT.items, (std::vector<std::string>{"Hibernate", "Monitor", "Power Off", "Reboot",
                                                           "Shutdown", "StandBy"}));
}

} // namespace
} // namespace qz::test
