#include "screens/config/ConfigScreen.h"

namespace qz {
namespace {

// Switched off: button face and disabled; live: window background and enabled.
void SetLive(TextFieldView& field, bool live) {
    field.back = live ? kWindowBackground : kButtonFace;
    field.enabled = live;
    field.readOnly = false;
}

void SetOff(TextFieldView& field) {
    SetLive(field, false);
    field.readOnly = true;
}

} // namespace

void ConfigScreen::EnableFields() {
    ConfigView& v = view;
    const bool slave = SlaveMode();
    v.fixedDelay.box.enabled = !slave;
    v.fixedTime.box.enabled = !slave;
    if (slave) {
        SetOff(v.shutdownAfter.field);
        SetOff(v.shutdownAt.field);
        SetLive(v.lostLinkDelay.field, true);
    } else {
        SetLive(v.shutdownAfter.field, v.fixedDelay.box.checked);
        SetLive(v.shutdownAt.field, v.fixedTime.box.checked);
        SetOff(v.lostLinkDelay.field);
    }
    v.force.box.enabled = workingShutType_ < ShutdownType::Monitor;
}

void ConfigScreen::UpdateLabels() {
    ConfigView& v = view;
    if (v.activateAtTime.box.checked) {
        v.activation.label.text = "Activate At:";
        v.activation.hint.text = "Time in the format xx:xx";
        v.activation.field.tooltip =
            "Time at which program is activated in the format 'xx:xx' (24 hour clock)";
    } else {
        v.activation.label.text = "Activate After:";
        v.activation.hint.text = "seconds (min 1, max 3600)";
        v.activation.field.tooltip = "Delay after startup before program is activated";
    }

    const bool monitor = v.shutdownType.list.text == "Monitor";
    // With "Monitor" or on a slave the link is needed, so the address may not be empty.
    const bool addressNeeded = monitor || SlaveMode();
    FieldRow& address = v.address;
    if (v.domainName.box.checked) {
        address.label.text = "Domain Name";
        address.field.tooltip = "Domain name of computer to communicate with (less than 100 characters)";
        address.hint.text = addressNeeded ? "(a valid domain name)" : "(Either empty or a valid domain name)";
    } else {
        address.label.text = "IP Address";
        address.field.tooltip = "IP Address of computer to communicate with";
        address.hint.text = addressNeeded ? "(A valid IP address)" : "(Either empty or a valid IP address)";
    }

    std::string& hint = v.shutdownType.hint.text;
    hint.clear();
    if (v.force.box.checked && workingShutType_ < ShutdownType::Monitor)
        hint = "(Forces Applications To Close)";
    if (p_.set.shutdownType == ShutdownType::Monitor && SlaveMode()) hint = "Not Available In Slave Mode";
    if (!v.domainName.box.checked && monitor && MainMode()) hint = "(Only Use With A Valid IP Address)";
    if (v.domainName.box.checked && monitor && MainMode()) hint = "(Only Use With A Valid Domain Name)";
    if (monitor && SlaveMode()) {
        workingShutType_ = ShutdownType::Monitor;
        hint = "Not Available In Slave Mode";
    }
}

void ConfigScreen::UpdateTooltips() {
    const std::string& title = p_.rt.appTitle;
    view.viewLog.tooltip = "View " + title + " log file (It will not be updated while open)";
    view.restore.tooltip = "Restore " + title +
                           " Default Configuration Values (Does not restore or delete any process names or "
                           "computer address set)";
    view.save.tooltip =
        "Save " + title +
        " Configuration Values (The program will be reset when you close this screen if values "
        "have been changed)";
    view.exit.tooltip =
        view.exit.caption == "&Exit"
            ? "Close " + title +
                  " Configuration Screen (The program will be reset if changed values have been saved)"
            : "Close " + title + " Configuration Screen without saving changes";
}

} // namespace qz
