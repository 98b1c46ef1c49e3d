#pragma once
#include <string>
#include <vector>

#include "core/MainView.h"

namespace qz {

// A text field of the configuration screen.
struct TextFieldView {
    std::string text;
    std::string tooltip;
    bool enabled = true;
    bool readOnly = false;
    Colour back = kWindowBackground;
};

struct CheckBoxView {
    bool checked = false;
    std::string tooltip;
    bool enabled = true;
};

// A list the user can only choose from: text is one of items, or empty while nothing is chosen.
struct ListView {
    std::vector<std::string> items;
    std::string text;
    std::string tooltip;
};

// A field label or hint label: dark green, as designed.
inline LabelView FieldLabel(std::string text) {
    return LabelView{std::move(text), kDarkGreen};
}

// Everything the configuration screen shows, as designed; the screen's routines change it.
struct ConfigView {
    std::string caption;
    bool open = false; // the window exists; false once it has been unloaded

    LabelView TMessage{"", kOrange, kWhite};
    LabelView GeneralHeading{"General"};
    LabelView ShutdownHeading{"Shutdown"};
    LabelView CommsHeading{"Communications"};

    LabelView Proc1L = FieldLabel("Process 1:");
    TextFieldView Proc1T{"", "1st process to monitor"};
    LabelView Proc1M = FieldLabel("(30 chars max)");
    LabelView RunOnTopL = FieldLabel(" Run On Top:");
    CheckBoxView RunOnTopT{false, "Set program to Run On Top (Run in System Tray takes priority)"};

    LabelView Proc2L = FieldLabel("Process 2:");
    TextFieldView Proc2T{"", "2nd process to monitor (will only work if process 1 specified as well)"};
    LabelView Proc2M = FieldLabel("(30 chars max)");
    LabelView StartMinL = FieldLabel("Run in System Tray:");
    CheckBoxView StartMinT{false,
                           "Set program to Run Minimised in System Tray (takes priority over Run On Top)"};

    LabelView Proc3L = FieldLabel("Process 3:");
    TextFieldView Proc3T{"",
                         "3rd Process to monitor (will only work if processes 1 and 2 specified as well)"};
    LabelView Proc3M = FieldLabel("(30 chars max)");

    LabelView ProcDelayL = FieldLabel("Process Delay:");
    TextFieldView ProcDelayT{"", "Time for no process activity before shutdown is initiated"};
    LabelView ProcDelayM = FieldLabel("sec (min 5, max 3600)");

    LabelView DelTimeL = FieldLabel("Shutdown After:");
    TextFieldView DelTimeT{
        "", "Delay after activation  when shutdown is initiated in seconds (min 60, max 10800 - "
            "must be greater than Process Delay)"};
    LabelView DelTimeM = FieldLabel("sec (min 60, max 10800)");
    LabelView Del_OnL = FieldLabel("Enable Fixed Delay:");
    CheckBoxView Del_OnT{
        false, "Enable fixed delay shutdown iniitiation (forces all running applications to close)"};

    LabelView StopTimeL = FieldLabel("Shutdown At:");
    TextFieldView StopTimeT{"", "Time at which shutdown is initiated in the format 'xx:xx' (24 hour clock)"};
    LabelView StopTimeM = FieldLabel("Time in the format xx:xx");
    LabelView Stop_OnL = FieldLabel("Enable Fixed Time:");
    CheckBoxView Stop_OnT{false,
                          "Enable fixed time shutdown initiation (forces all running applications to close)"};

    LabelView LogLevelL = FieldLabel("Log Level:");
    ListView LogLevelT{{"Full", "None", "Normal"}, "", "Log level"};
    LabelView LogLevelM = FieldLabel("(Setting this to full will generate big log files)");

    LabelView LogNameL = FieldLabel("Log File Name:");
    TextFieldView LogNameT{"", "Log file name"};
    LabelView LogNameM = FieldLabel("(Between 8 and 20 characters)");

    LabelView LogPathL = FieldLabel("Path To Log File:");
    TextFieldView LogPathT{"",
                           "Path to log file (either an absolute path or relative to the Program Directory)"};
    LabelView LogPathM = FieldLabel("(Must exist and be between 1 and 99 characters plus '\\')");

    LabelView StartDelayL = FieldLabel("");
    TextFieldView StartDelayT;
    LabelView StartDelayM = FieldLabel("");
    LabelView StartTimeL = FieldLabel("Fixed Time:");
    CheckBoxView StartTimeT{false, "Enable fixed time activation"};

    LabelView ShutTimeL = FieldLabel("Shut Down Time:");
    TextFieldView ShutTimeT{"", "Time before shutdown occurs after the shutdown sequence has started"};
    LabelView ShutTimeM = FieldLabel("sec (min 2, max 600)");
    LabelView ForceL = FieldLabel("Force:");
    CheckBoxView ForceT{false, "Enable forced shutdown even if programs are still running"};

    LabelView ShutNameL = FieldLabel("Shut Down Type:");
    ListView ShutNameT{
        {"Hibernate", "Monitor", "Power Off", "Reboot", "Shutdown", "StandBy"}, "", "Type of Shutdown"};
    LabelView ShutTypeM = FieldLabel("");
    LabelView UExitL = FieldLabel("User Exit:");
    CheckBoxView UExitT{false, "Disables program exit for non administrative users"};

    LabelView ComDelayL = FieldLabel("Lost Comms Delay:");
    TextFieldView ComDelayT{"", "Lost comms delay before shutdown is initiated"};
    LabelView ComDelayM = FieldLabel("sec (min 5, max 600)");
    LabelView DNameL = FieldLabel("Domain Name:");
    CheckBoxView DNameT{false, "Enable domain name instead of IP address"};

    LabelView IPAddL = FieldLabel("IP Address:");
    TextFieldView IPAddT;
    LabelView IPAddM = FieldLabel("");

    LabelView Port1L = FieldLabel("TX Port:");
    TextFieldView Port1T{
        "", "Port used to communicate from Master to Slave - only change this if there is a clash "
            "with another program"};
    LabelView Port1M = FieldLabel("(An unused port between 1024 and 65535)");
    LabelView Port2L = FieldLabel("Rx Port:");
    TextFieldView Port2T{"", Port1T.tooltip};
    LabelView Port2M = FieldLabel("(An unused port between 1024 and 65535)");

    LabelView Status{"", kOrange};

    ButtonView Archive{"&Archive", "Archive Quenzel log file and create new one", false};
    ButtonView ViewL{"&View Log", "", false};
    ButtonView Restore{"&Restore", "", false};
    ButtonView Save{"&Save", "", false};
    ButtonView ExitConfig{"&Exit", "", true};
};

} // namespace qz
