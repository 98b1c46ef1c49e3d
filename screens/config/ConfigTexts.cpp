#include "screens/config/ConfigScreen.h"

namespace qz {

void ConfigScreen::UpdateLabels() {
    ConfigView& v = view;
    if (v.StartTimeT.checked) {
        v.StartDelayL.text = "Activate At:";
        v.StartDelayM.text = "Time in the format xx:xx";
        v.StartDelayT.tooltip = "Time at which program is activated in the format 'xx:xx' (24 hour clock)";
    } else {
        v.StartDelayL.text = "Activate After:";
        v.StartDelayM.text = "seconds (min 1, max 3600)";
        v.StartDelayT.tooltip = "Delay after startup before program is activated";
    }

    const bool monitor = v.ShutNameT.text == "Monitor";
    // With "Monitor" or on a slave the link is needed, so the address may not be empty.
    const bool addressNeeded = monitor || SlaveMode();
    if (v.DNameT.checked) {
        v.IPAddL.text = "Domain Name";
        v.IPAddT.tooltip = "Domain name of computer to communicate with (less than 100 characters)";
        v.IPAddM.text = addressNeeded ? "(a valid domain name)" : "(Either empty or a valid domain name)";
    } else {
        v.IPAddL.text = "IP Address";
        v.IPAddT.tooltip = "IP Address of computer to communicate with";
        v.IPAddM.text = addressNeeded ? "(A valid IP address)" : "(Either empty or a valid IP address)";
    }

    std::string& hint = v.ShutTypeM.text;
    hint.clear();
    if (v.ForceT.checked && workingShutType >= 1 && workingShutType <= 3)
        hint = "(Forces Applications To Close)";
    if (p_.set.shutdownType == ShutdownType::Monitor && SlaveMode()) hint = "Not Available In Slave Mode";
    if (!v.DNameT.checked && monitor && MainMode()) hint = "(Only Use With A Valid IP Address)";
    if (v.DNameT.checked && monitor && MainMode()) hint = "(Only Use With A Valid Domain Name)";
    if (monitor && SlaveMode()) {
        workingShutType = 4;
        hint = "Not Available In Slave Mode";
    }
}

void ConfigScreen::UpdateTooltips() {
    const std::string& title = p_.rt.AppTitle;
    view.ViewL.tooltip = "View " + title + " log file (It will not be updated while open)";
    view.Restore.tooltip = "Restore " + title +
                           " Default Configuration Values (Does not restore or delete any process names or "
                           "computer address set)";
    view.Save.tooltip =
        "Save " + title +
        " Configuration Values (The program will be reset when you close this screen if values "
        "have been changed)";
    view.ExitConfig.tooltip =
        view.ExitConfig.caption == "&Exit"
            ? "Close " + title +
                  " Configuration Screen (The program will be reset if changed values have been saved)"
            : "Close " + title + " Configuration Screen without saving changes";
}

} // namespace qz
