#pragma once
#include <cstdint>
#include <string>

#include "core/Program.h"
#include "config/ConfigWriter.h"
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
    bool loading = false;
    int16_t workingLogLevel = 0; // 1 None, 2 Normal, 3 Full; 0 none chosen
    int16_t workingShutType = 0; // 1..6; 0 none chosen
    std::string referenceSnapshot;

    // Life of the screen.
    void Load();
    void OnActivated();
    void Close(); // also what closing the window by its title bar or the auto-close does
    void LoadFields();

    // Buttons and timers.
    void OnSave();
    void OnRestore();
    void OnExit();
    void OnArchive();
    void OnViewLog();
    void OnLogo();
    void OnSecond();
    void OnStatusTimeout();

    // Check boxes and lists: the front end passes the new tick or the chosen item.
    void OnFixedDelayTicked(bool ticked);
    void OnFixedTimeTicked(bool ticked);
    void OnForceTicked(bool ticked);
    void OnDomainNameTicked(bool ticked);
    void OnStartAtTimeTicked(bool ticked);
    void OnRunOnTopTicked(bool ticked);
    void OnShutdownTypeChosen(const std::string& item);
    void OnLogLevelChosen(const std::string& item);

    // Field checks and mode-dependent controls.
    int16_t ValidateFields();
    void ClearHighlights();
    void EnableFields();
    void ReadShutType();
    std::string FieldSnapshot() const;
    void UpdateLabels();
    void UpdateTooltips();

    // The fields as Save writes them.
    ConfigInput Input() const;

  private:
    bool SlaveMode() const { return p_.set.role == Role::Slave; }
    bool MainMode() const { return p_.set.role == Role::Main; }
    void ReadLogLevel();
    void ApplyLogButtonRule();
    void ShowDataLoad();
    void SetRunOnTopTick(bool ticked);

    Program& p_;
    ConfigScreenHost& host_;
    // A link setup fault is reported by the checks only until the first Save, which the user may press
    // to see whether anything else is wrong; the fault itself lasts until the program is reset.
    bool reportSetupFault_ = true;
};

} // namespace qz
