#pragma once
#include <string>
#include <string_view>
#include <vector>

#include "core/MainView.h"

namespace qz {

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

// A text field with its label before it and the hint after it, which a failed check marks.
struct FieldRow {
    LabelView label;
    TextFieldView field;
    LabelView hint;
};

// A tick box with its label; it stands at the right of the row above it.
struct CheckRow {
    LabelView label;
    CheckBoxView box;
};

struct ListRow {
    LabelView label;
    ListView list;
    LabelView hint;
};

inline FieldRow Field(std::string label, std::string tooltip, std::string hint) {
    return {FieldLabel(std::move(label)), {"", std::move(tooltip)}, FieldLabel(std::move(hint))};
}

inline CheckRow Check(std::string label, std::string tooltip) {
    return {FieldLabel(std::move(label)), {false, std::move(tooltip)}};
}

inline constexpr std::string_view kProcessNameHint = "(30 chars max)";
inline constexpr std::string_view kShutdownAfterHint = "sec (min 60, max 10800)";
inline constexpr std::string_view kPortHint = "(An unused port between 1024 and 65535)";
inline constexpr std::string_view kPortTooltip =
    "Port used to communicate from Master to Slave - only change this if there is a clash with another "
    "program";

// Everything the configuration screen shows, as designed; the screen's routines change it.
struct ConfigView {
    std::string caption;
    bool open = false; // the window exists; false once it has been unloaded

    LabelView closeNotice{"", kOrange, kWhite}; // the auto-close's countdown, at the top
    LabelView generalHeading{"General"};
    LabelView shutdownHeading{"Shutdown"};
    LabelView commsHeading{"Communications"};

    FieldRow processNames[3] = {
        Field("Process 1:", "1st process to monitor", std::string(kProcessNameHint)),
        Field("Process 2:", "2nd process to monitor (will only work if process 1 specified as well)",
              std::string(kProcessNameHint)),
        Field("Process 3:", "3rd Process to monitor (will only work if processes 1 and 2 specified as well)",
              std::string(kProcessNameHint))};
    CheckRow runOnTop =
        Check(" Run On Top:", "Set program to Run On Top (Run in System Tray takes priority)");
    CheckRow runInTray =
        Check("Run in System Tray:",
              "Set program to Run Minimised in System Tray (takes priority over Run On Top)");
    FieldRow processDelay =
        Field("Process Delay:", "Time for no process activity before shutdown is initiated",
              "sec (min 5, max 3600)");
    FieldRow shutdownAfter =
        Field("Shutdown After:",
              "Delay after activation  when shutdown is initiated in seconds (min 60, max "
              "10800 - must be greater than Process Delay)",
              std::string(kShutdownAfterHint));
    CheckRow fixedDelay =
        Check("Enable Fixed Delay:",
              "Enable fixed delay shutdown iniitiation (forces all running applications to close)");
    FieldRow shutdownAt =
        Field("Shutdown At:", "Time at which shutdown is initiated in the format 'xx:xx' (24 hour clock)",
              "Time in the format xx:xx");
    CheckRow fixedTime =
        Check("Enable Fixed Time:",
              "Enable fixed time shutdown initiation (forces all running applications to close)");
    ListRow logLevel{FieldLabel("Log Level:"),
                     {{"Full", "None", "Normal"}, "", "Log level"},
                     FieldLabel("(Setting this to full will generate big log files)")};
    FieldRow logName = Field("Log File Name:", "Log file name", "(Between 8 and 20 characters)");
    FieldRow logPath =
        Field("Path To Log File:",
              "Path to log file (either an absolute path or relative to the Program Directory)",
              "(Must exist and be between 1 and 99 characters plus '\\')");
    // A delay in seconds or a time of day, as the tick beside it says; its texts follow the tick.
    FieldRow activation = Field("", "", "");
    CheckRow activateAtTime = Check("Fixed Time:", "Enable fixed time activation");

    // The countdown's length once the shutdown has begun.
    FieldRow countdown =
        Field("Shut Down Time:", "Time before shutdown occurs after the shutdown sequence has started",
              "sec (min 2, max 600)");
    CheckRow force = Check("Force:", "Enable forced shutdown even if programs are still running");
    ListRow shutdownType{
        FieldLabel("Shut Down Type:"),
        {{"Hibernate", "Monitor", "Power Off", "Reboot", "Shutdown", "StandBy"}, "", "Type of Shutdown"},
        FieldLabel("")};
    CheckRow userExit = Check("User Exit:", "Disables program exit for non administrative users");

    FieldRow lostLinkDelay =
        Field("Lost Comms Delay:", "Lost comms delay before shutdown is initiated", "sec (min 5, max 600)");
    CheckRow domainName = Check("Domain Name:", "Enable domain name instead of IP address");
    FieldRow address = Field("IP Address:", "", "");
    // The two ports as the main station sees them; a slave's screen swaps their labels.
    FieldRow txPort = Field("TX Port:", std::string(kPortTooltip), std::string(kPortHint));
    FieldRow rxPort = Field("Rx Port:", std::string(kPortTooltip), std::string(kPortHint));

    LabelView status{"", kOrange};

    ButtonView archive{"&Archive", "Archive Quenzel log file and create new one", false};
    ButtonView viewLog{"&View Log", "", false};
    ButtonView restore{"&Restore", "", false};
    ButtonView save{"&Save", "", false};
    ButtonView exit{"&Exit", "", true};
};

// Every row between the top line and the status line, top to bottom, with the name a front end gives
// its control (its label is name + "Label", its hint name + "Hint"). `visit` takes the name and a
// heading (LabelView), a FieldRow, a ListRow or a CheckRow.
template <class View, class Visit> void VisitRows(View& v, Visit&& visit) {
    visit("generalHeading", v.generalHeading);
    visit("processName1", v.processNames[0]);
    visit("runOnTop", v.runOnTop);
    visit("processName2", v.processNames[1]);
    visit("runInTray", v.runInTray);
    visit("processName3", v.processNames[2]);
    visit("processDelay", v.processDelay);
    visit("shutdownAfter", v.shutdownAfter);
    visit("fixedDelay", v.fixedDelay);
    visit("shutdownAt", v.shutdownAt);
    visit("fixedTime", v.fixedTime);
    visit("logLevel", v.logLevel);
    visit("logName", v.logName);
    visit("logPath", v.logPath);
    visit("activation", v.activation);
    visit("activateAtTime", v.activateAtTime);
    visit("shutdownHeading", v.shutdownHeading);
    visit("countdown", v.countdown);
    visit("force", v.force);
    visit("shutdownType", v.shutdownType);
    visit("userExit", v.userExit);
    visit("commsHeading", v.commsHeading);
    visit("lostLinkDelay", v.lostLinkDelay);
    visit("domainName", v.domainName);
    visit("address", v.address);
    visit("txPort", v.txPort);
    visit("rxPort", v.rxPort);
}

// Lambdas for each kind of row, as one visitor.
template <class... Parts> struct Overloaded : Parts... { using Parts::operator()...; };
template <class... Parts> Overloaded(Parts...) -> Overloaded<Parts...>;

} // namespace qz
