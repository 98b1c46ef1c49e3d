#include "screens/config/ConfigScreen.h"

#include "core/FaultBox.h"
#include "logging/LogArchive.h"
#include "screens/AdminTest.h"
#include "screens/config/ConfigChecks.h"
#include "screens/config/ListItems.h"

namespace qz {

void ConfigScreen::Load() {
    view.open = true;
    loading_ = true;
    UpdateTooltips();
    p_.rt.screenOpen = true;
    LoadFields();
    EnableFields();
    UpdateLabels();
    view.caption = p_.rt.appTitle + " Configuration";
    if (SlaveMode()) {
        view.txPort.label.text = "Rx Port";
        view.rxPort.label.text = "Tx Port";
    }
    const bool admin = IsAdministrator(p_);
    view.save.enabled = admin;
    view.restore.enabled = admin;
    view.archive.enabled = admin && workingLogLevel_ != LogLevel::None;
    view.viewLog.enabled = view.archive.enabled;
    p_.rt.configCloseCount = p_.rt.startOption == StartOption::InhibitShutdown ? 4 : 600;
    view.closeNotice.text.clear();
    loading_ = false;

    int16_t count = ValidateFields();
    if (count != 0) {
        view.status.text = std::to_string(count) + " Item(s) Highlighted Contain Out Of Range Values";
    } else {
        p_.rt.configSaved = false;
    }
}

void ConfigScreen::OnActivated() {
    if (p_.set.runOnTop) host_.SetTopMost(true);
}

void ConfigScreen::Close() {
    if (!view.open) return;
    view.open = false;
    closeCountdownEnabled = false;
    statusTimeoutEnabled = false;
    host_.EnableMainControls();
    p_.rt.screenOpen = false;
}

int16_t ConfigScreen::ValidateFields() {
    ClearHighlights(view);
    EnableFields();
    ReadShutType();
    ReadLogLevel();
    const CheckContext context{MainMode(), SlaveMode(), workingShutType_,
                               reportSetupFault_ && p_.rt.setupFault, p_.svc.files};
    const int16_t count = MarkFailedFields(view, context);
    if (p_.rt.startOption == StartOption::AddErrorMessage && count != 0) {
        p_.svc.host.ShowMessage(MsgIcon::None, MsgButtons::Ok, p_.rt.appTitle + " Data Error",
                                "Invalid Data");
    }
    closeCountdownEnabled = true;
    return count;
}

// LoadFields outside the screen's load: the controls that follow the fields follow them at once.
void ConfigScreen::ShowDataLoad() {
    LoadFields();
    EnableFields();
    UpdateLabels();
    ApplyLogButtonRule();
}

void ConfigScreen::OnSave() {
    if (!view.save.enabled) return;
    view.status.text.clear();
    view.exit.caption = "&Exit";
    UpdateTooltips();
    reportSetupFault_ = false;

    int16_t count = ValidateFields();
    if (count != 0) {
        view.status.text =
            std::to_string(count) + " Item(s) Highlighted Contain Out Of Range Values - Changes Not Saved";
        return;
    }
    const bool changed = FieldSnapshot() != referenceSnapshot_;
    // A window state chosen by hand must not outlast a changed tray setting.
    if (view.runInTray.box.checked != p_.set.startMinimised) p_.rt.windowOverride = false;
    if (!changed) {
        view.status.text = "No Changes To Save";
    } else {
        const Result<void> saved =
            WriteConfigFile(p_.svc.files, ConfigFileText(Input(), p_.set.role, p_.svc.clock.Now()));
        if (!saved) {
            if (saved.fault().fatal) return host_.EndProgram(saved.fault());
            ShowFault(p_, saved.fault());
            ShowDataLoad();
            return;
        }
        view.status.text = "Changes Saved - Click Exit To Activate The Changes";
        p_.rt.configSaved = true;
    }
    referenceSnapshot_ = FieldSnapshot();
    statusTimeoutEnabled = true;
}

void ConfigScreen::OnRestore() {
    if (!view.restore.enabled) return;
    ConfigView& v = view;
    v.lostLinkDelay.field.text = "60";
    v.fixedDelay.box.checked = false;
    v.shutdownAfter.field.text = "90";
    v.force.box.checked = true;
    v.logLevel.list.text = "Normal";
    v.logName.field.text = "Quenzel.log";
    v.logPath.field.text = "Log\\";
    v.txPort.field.text = "10001";
    v.rxPort.field.text = "10000";
    v.processDelay.field.text = "60";
    SetRunOnTopTick(false);
    v.countdown.field.text = "60";
    v.runInTray.box.checked = false;
    v.shutdownType.list.text = "Power Off";
    v.activation.field.text = "2";
    v.activateAtTime.box.checked = false;
    v.shutdownAt.field.text = "00:00";
    v.fixedTime.box.checked = false;
    v.userExit.box.checked = false;
    // The working codes follow the lists at once, so Force, the hints and Exit's change test see the
    // defaults.
    ReadShutType();
    ReadLogLevel();

    ClearHighlights(v);
    EnableFields();
    UpdateLabels();
    v.status.text = "Defaults Restored - Click Save To Keep";
    statusTimeoutEnabled = true;
}

void ConfigScreen::OnExit() {
    // Someone who may not save never has unsaved changes.
    if (!IsAdministrator(p_)) referenceSnapshot_ = FieldSnapshot();
    if (FieldSnapshot() == referenceSnapshot_ || view.exit.caption == "&Cancel") {
        if (p_.rt.configSaved || p_.rt.notConfigured || p_.rt.setupFault) host_.ResetProgram();
        Close();
        return;
    }
    view.exit.caption = "&Cancel";
    view.status.text = "Click Cancel to exit without saving changes";
    UpdateTooltips();
}

void ConfigScreen::OnArchive() {
    if (!view.archive.enabled) return;
    ArchiveOutcome outcome = qz::ArchiveLog(p_);
    if (outcome.fatal) return host_.EndProgram(*outcome.fatal);
    if (!outcome.status.empty()) view.status.text = outcome.status;
    if (outcome.startCloseCountdown) closeCountdownEnabled = true;
}

void ConfigScreen::OnViewLog() {
    if (!view.viewLog.enabled) return;
    if (const Result<void> shown = qz::ViewLog(p_); !shown) host_.EndProgram(shown.fault());
}

void ConfigScreen::OnLogo() {
    host_.OpenWebPage("index.htm");
}

void ConfigScreen::OnSecond() {
    if (!closeCountdownEnabled) return;
    int16_t& count = p_.rt.configCloseCount;
    if (count < 91)
        view.closeNotice.text = "The Configuration Screen will close in " + std::to_string(count) + " sec";
    if (count > INT16_MIN) --count;
}

void ConfigScreen::OnStatusTimeout() {
    view.status.text.clear();
    statusTimeoutEnabled = false;
}

void ConfigScreen::OnFixedDelayTicked(bool ticked) {
    view.fixedDelay.box.checked = ticked;
    if (!loading_) EnableFields();
}

void ConfigScreen::OnFixedTimeTicked(bool ticked) {
    view.fixedTime.box.checked = ticked;
    if (!loading_) EnableFields();
}

void ConfigScreen::OnForceTicked(bool ticked) {
    view.force.box.checked = ticked;
    if (loading_) return;
    EnableFields();
    UpdateLabels();
}

void ConfigScreen::OnDomainNameTicked(bool ticked) {
    view.domainName.box.checked = ticked;
    if (loading_) return;
    ReadShutType();
    EnableFields();
    UpdateLabels();
}

void ConfigScreen::OnShutdownTypeChosen(const std::string& item) {
    if (!ValueOf(kShutdownTypeItems, item)) return;
    view.shutdownType.list.text = item;
    if (loading_) return;
    ReadShutType();
    EnableFields();
    UpdateLabels();
}

void ConfigScreen::OnActivateAtTimeTicked(bool ticked) {
    view.activateAtTime.box.checked = ticked;
    EnableFields();
    UpdateLabels();
    // A seconds value never becomes a time of day, nor the reverse.
    std::string& value = view.activation.field.text;
    const bool holdsTime = value.size() >= 3 && value[2] == ':';
    if (ticked != holdsTime) value.clear();
}

void ConfigScreen::OnLogLevelChosen(const std::string& item) {
    if (!ValueOf(kLogLevelItems, item)) return;
    view.logLevel.list.text = item;
    if (loading_) return;
    ReadLogLevel();
    ApplyLogButtonRule();
}

void ConfigScreen::ApplyLogButtonRule() {
    const bool enable = view.logLevel.list.text != "None" && IsAdministrator(p_);
    view.archive.enabled = enable;
    view.viewLog.enabled = enable;
}

void ConfigScreen::OnRunOnTopTicked(bool ticked) {
    view.runOnTop.box.checked = ticked;
    if (!loading_) host_.SetTopMost(ticked);
}

// Setting the box by program acts like a click on it, as the window placement follows the box.
void ConfigScreen::SetRunOnTopTick(bool ticked) {
    if (view.runOnTop.box.checked != ticked) OnRunOnTopTicked(ticked);
}

} // namespace qz
