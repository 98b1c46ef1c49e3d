#include "screens/config/ConfigScreen.h"

#include "config/Validation.h"
#include "core/ProgramEnd.h"
#include "screens/config/ListItems.h"
#include "logging/LogArchive.h"
#include "screens/AdminTest.h"

namespace qz {

void ConfigScreen::Load() {
    view.open = true;
    loading = true;
    UpdateTooltips();
    p_.rt.DialogOpen = true;
    LoadFields();
    EnableFields();
    UpdateLabels();
    view.caption = p_.rt.AppTitle + " Configuration";
    if (SlaveMode()) {
        view.Port1L.text = "Rx Port";
        view.Port2L.text = "Tx Port";
    }
    const bool admin = IsAdministrator(p_);
    view.Save.enabled = admin;
    view.Restore.enabled = admin;
    view.Archive.enabled = admin && workingLogLevel != 1;
    view.ViewL.enabled = view.Archive.enabled;
    p_.rt.ConfigCloseCount = p_.rt.CmdLineMode == 1 ? 4 : 600;
    view.TMessage.text.clear();
    loading = false;

    int16_t count = ValidateFields();
    if (count != 0) {
        view.Status.text = std::to_string(count) + " Item(s) Highlighted Contain Out Of Range Values";
    } else {
        p_.rt.ConfigSaved = false;
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
    p_.rt.DialogOpen = false;
}

void ConfigScreen::LoadFields() {
    const Settings& s = p_.set;
    ConfigView& v = view;
    const bool atTimeOfDay = s.activation == ActivationMode::AtTimeOfDay;
    v.ComDelayT.text = std::to_string(s.linkDelay);
    v.DNameT.checked = s.peerByName;
    v.IPAddT.text = s.peerAddress;
    v.Port1T.text = std::to_string(s.slavePort);
    v.Port2T.text = std::to_string(s.mainPort);
    v.Del_OnT.checked = s.fixedDelayOn;
    v.DelTimeT.text = std::to_string(s.fixedDelay);
    v.LogNameT.text = s.logName;
    v.LogPathT.text = s.logFolder;
    v.Proc1T.text = s.processNames[0];
    v.Proc2T.text = s.processNames[1];
    v.Proc3T.text = s.processNames[2];
    v.ProcDelayT.text = std::to_string(s.processDelay);
    SetRunOnTopTick(s.runOnTop);
    v.StartDelayT.text = atTimeOfDay ? TimeText(s.activationDelay) : std::to_string(s.activationDelay);
    v.StartMinT.checked = s.startMinimised;
    v.StartTimeT.checked = atTimeOfDay;
    v.StopTimeT.text = TimeText(s.stopTime);
    v.Stop_OnT.checked = s.stopTimeOn;
    v.ForceT.checked = s.force;
    v.ShutTimeT.text = std::to_string(s.shutdownDelay);
    v.UExitT.checked = s.exitAdminOnly;

    workingLogLevel = ListCode(s.logLevel);
    v.LogLevelT.text = *TextOf(kLogLevelItems, workingLogLevel);
    workingShutType = ListCode(s.shutdownType);
    v.ShutNameT.text = *TextOf(kShutNameItems, workingShutType);
    if (s.shutdownType > ShutdownType::Monitor) v.ShutTypeM.text.clear();
    referenceSnapshot = FieldSnapshot();
}

// LoadFields outside the screen's load: the controls that follow the fields follow them at once.
void ConfigScreen::ShowDataLoad() {
    LoadFields();
    EnableFields();
    UpdateLabels();
    ApplyLogButtonRule();
}

ConfigInput ConfigScreen::Input() const {
    const ConfigView& v = view;
    ConfigInput in;
    in.ComDelay = v.ComDelayT.text;
    in.IPAdd = v.IPAddT.text;
    in.Port1 = v.Port1T.text;
    in.Port2 = v.Port2T.text;
    in.DelTime = v.DelTimeT.text;
    in.LogName = v.LogNameT.text;
    in.LogPath = v.LogPathT.text;
    in.Proc1 = v.Proc1T.text;
    in.Proc2 = v.Proc2T.text;
    in.Proc3 = v.Proc3T.text;
    in.ProcDelay = v.ProcDelayT.text;
    in.StartDelay = v.StartDelayT.text;
    in.StopTime = v.StopTimeT.text;
    in.ShutTime = v.ShutTimeT.text;
    in.DName = v.DNameT.checked;
    in.Del_On = v.Del_OnT.checked;
    in.RunOnTop = v.RunOnTopT.checked;
    in.StartMin = v.StartMinT.checked;
    in.StartTime = v.StartTimeT.checked;
    in.Stop_On = v.Stop_OnT.checked;
    in.Force = v.ForceT.checked;
    in.UserExit = v.UExitT.checked;
    in.LogLevel = workingLogLevel;
    in.ShutType = workingShutType;
    return in;
}

void ConfigScreen::OnSave() {
    if (!view.Save.enabled) return;
    view.Status.text.clear();
    view.ExitConfig.caption = "&Exit";
    UpdateTooltips();
    reportSetupFault_ = false;

    int16_t count = ValidateFields();
    if (count != 0) {
        view.Status.text =
            std::to_string(count) + " Item(s) Highlighted Contain Out Of Range Values - Changes Not Saved";
        return;
    }
    const bool changed = FieldSnapshot() != referenceSnapshot;
    // A window state chosen by hand must not outlast a changed tray setting.
    if (view.StartMinT.checked != p_.set.startMinimised) p_.rt.WindowOverride = false;
    if (!changed) {
        view.Status.text = "No Changes To Save";
    } else {
        const Result<void> saved =
            WriteConfigFile(p_.svc.files, ConfigFileText(Input(), p_.set.role, p_.svc.clock.Now()));
        if (!saved) {
            if (saved.fault().fatal) EndWithFault(p_, saved.fault());
            ShowFault(p_, saved.fault());
            ShowDataLoad();
            return;
        }
        view.Status.text = "Changes Saved - Click Exit To Activate The Changes";
        p_.rt.ConfigSaved = true;
    }
    referenceSnapshot = FieldSnapshot();
    statusTimeoutEnabled = true;
}

void ConfigScreen::OnRestore() {
    if (!view.Restore.enabled) return;
    ConfigView& v = view;
    v.ComDelayT.text = "60";
    v.Del_OnT.checked = false;
    v.DelTimeT.text = "90";
    v.ForceT.checked = true;
    v.LogLevelT.text = "Normal";
    v.LogNameT.text = "Quenzel.log";
    v.LogPathT.text = "Log\\";
    v.Port1T.text = "10001";
    v.Port2T.text = "10000";
    v.ProcDelayT.text = "60";
    SetRunOnTopTick(false);
    v.ShutTimeT.text = "60";
    v.StartMinT.checked = false;
    v.ShutNameT.text = "Power Off";
    v.StartDelayT.text = "2";
    v.StartTimeT.checked = false;
    v.StopTimeT.text = "00:00";
    v.Stop_OnT.checked = false;
    v.UExitT.checked = false;
    // The working codes follow the lists at once, so Force, the hints and Exit's change test see the
    // defaults.
    ReadShutType();
    ReadLogLevel();

    ClearHighlights();
    EnableFields();
    UpdateLabels();
    v.Status.text = "Defaults Restored - Click Save To Keep";
    statusTimeoutEnabled = true;
}

void ConfigScreen::OnExit() {
    // Someone who may not save never has unsaved changes.
    if (!IsAdministrator(p_)) referenceSnapshot = FieldSnapshot();
    if (FieldSnapshot() == referenceSnapshot || view.ExitConfig.caption == "&Cancel") {
        if (p_.rt.ConfigSaved || p_.rt.NotConfigured || p_.rt.SetupFault) ResetProgram(p_, host_);
        Close();
        return;
    }
    view.ExitConfig.caption = "&Cancel";
    view.Status.text = "Click Cancel to exit without saving changes";
    UpdateTooltips();
}

void ConfigScreen::OnArchive() {
    if (!view.Archive.enabled) return;
    ArchiveOutcome outcome = qz::ArchiveLog(p_);
    if (outcome.fatal) EndWithFault(p_, *outcome.fatal);
    if (!outcome.status.empty()) view.Status.text = outcome.status;
    if (outcome.startCloseCountdown) closeCountdownEnabled = true;
}

void ConfigScreen::OnViewLog() {
    if (view.ViewL.enabled) EndOnFault(p_, qz::ViewLog(p_));
}

void ConfigScreen::OnLogo() {
    host_.OpenWebPage("index.htm");
}

void ConfigScreen::OnSecond() {
    if (!closeCountdownEnabled) return;
    int16_t& count = p_.rt.ConfigCloseCount;
    if (count < 91)
        view.TMessage.text = "The Configuration Screen will close in " + std::to_string(count) + " sec";
    if (count > INT16_MIN) --count;
}

void ConfigScreen::OnStatusTimeout() {
    view.Status.text.clear();
    statusTimeoutEnabled = false;
}

void ConfigScreen::OnFixedDelayTicked(bool ticked) {
    view.Del_OnT.checked = ticked;
    if (!loading) EnableFields();
}

void ConfigScreen::OnFixedTimeTicked(bool ticked) {
    view.Stop_OnT.checked = ticked;
    if (!loading) EnableFields();
}

void ConfigScreen::OnForceTicked(bool ticked) {
    view.ForceT.checked = ticked;
    if (loading) return;
    EnableFields();
    UpdateLabels();
}

void ConfigScreen::OnDomainNameTicked(bool ticked) {
    view.DNameT.checked = ticked;
    if (loading) return;
    ReadShutType();
    EnableFields();
    UpdateLabels();
}

void ConfigScreen::OnShutdownTypeChosen(const std::string& item) {
    if (!CodeOf(kShutNameItems, item)) return;
    view.ShutNameT.text = item;
    if (loading) return;
    ReadShutType();
    EnableFields();
    UpdateLabels();
}

void ConfigScreen::OnStartAtTimeTicked(bool ticked) {
    view.StartTimeT.checked = ticked;
    EnableFields();
    UpdateLabels();
    // A seconds value never becomes a time of day, nor the reverse.
    const std::string& value = view.StartDelayT.text;
    const bool holdsTime = value.size() >= 3 && value[2] == ':';
    if (ticked != holdsTime) view.StartDelayT.text.clear();
}

void ConfigScreen::OnLogLevelChosen(const std::string& item) {
    if (!CodeOf(kLogLevelItems, item)) return;
    view.LogLevelT.text = item;
    if (loading) return;
    ReadLogLevel();
    ApplyLogButtonRule();
}

void ConfigScreen::ApplyLogButtonRule() {
    const bool enable = view.LogLevelT.text != "None" && IsAdministrator(p_);
    view.Archive.enabled = enable;
    view.ViewL.enabled = enable;
}

void ConfigScreen::OnRunOnTopTicked(bool ticked) {
    view.RunOnTopT.checked = ticked;
    if (!loading) host_.SetTopMost(ticked);
}

// Setting the box by program acts like a click on it, as the window placement follows the box.
void ConfigScreen::SetRunOnTopTick(bool ticked) {
    if (view.RunOnTopT.checked != ticked) OnRunOnTopTicked(ticked);
}

} // namespace qz
