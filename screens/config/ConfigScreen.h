#pragma once
#include <cstdint>
#include <string>

#include "config/ConfigWriter.h"
#include "core/Program.h"
#include "screens/config/ConfigScreenHost.h"
#include "screens/config/ConfigView.h"

namespace qz {

// The configuration screen's logic. The front end creates it when the screen opens, calls Load,
// forwards the user's actions to the handlers, renders `view` after every event and closes the window
// once view.open is false. Text fields are edited by writing their text directly; typing checks nothing.
class ConfigScreen {
  public:
    ConfigScreen(Program& p, ConfigScreenHost& host) : p_(p), host_(host) {}

    ConfigView view;

    // The close countdown ticks every second while enabled; the status timeout fires once, 2 seconds
    // after it was enabled, and clears the status line.
    bool closeCountdownEnabled = false;
    bool statusTimeoutEnabled = false;

    // Life of the screen.
    void Load();
    void OnActivated();
    void Close(); // also what closing the window by its title bar or the auto-close does

    // Buttons and timers.
    void OnSave();
    void OnRestore();
    void OnExit();
    void OnArchive();
    void OnViewLog();
    void OnLogo();
    void OnSecond();
    void OnStatusTimeout();

    // Tick boxes and lists: the front end passes the new tick or the chosen item.
    void OnFixedDelayTicked(bool ticked);
    void OnFixedTimeTicked(bool ticked);
    void OnForceTicked(bool ticked);
    void OnDomainNameTicked(bool ticked);
    void OnActivateAtTimeTicked(bool ticked);
    void OnRunOnTopTicked(bool ticked);
    void OnShutdownTypeChosen(const std::string& item);
    void OnLogLevelChosen(const std::string& item);

    // Checks every field, marks the hints of those that fail and returns the number of failed checks.
    int16_t ValidateFields();
    // The fields from the settings, and the fields as Save writes them.
    void LoadFields();
    ConfigInput Input() const;

  private:
    bool SlaveMode() const { return p_.set.role == Role::Slave; }
    bool MainMode() const { return p_.set.role == Role::Main; }
    // What the fields say and allow in the station's mode and with the boxes ticked now.
    void EnableFields();
    void UpdateLabels();
    void UpdateTooltips();
    void ReadShutType();
    void ReadLogLevel();
    void ApplyLogButtonRule();
    void ShowDataLoad();
    void SetRunOnTopTick(bool ticked);
    // The fields' values in one text, to tell whether anything changed since the last load or save.
    std::string FieldSnapshot() const;

    Program& p_;
    ConfigScreenHost& host_;
    bool loading_ = false;
    // The lists' choices, which Save writes.
    LogLevel workingLogLevel_ = LogLevel::Normal;
    ShutdownType workingShutType_ = ShutdownType::PowerOff;
    std::string referenceSnapshot_;
    // A link setup fault is reported by the checks only until the first Save, which the user may press
    // to see whether anything else is wrong; the fault itself lasts until the program is reset.
    bool reportSetupFault_ = true;
};

} // namespace qz
