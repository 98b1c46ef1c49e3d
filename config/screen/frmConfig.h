#pragma once
#include <cstdint>
#include <string>

#include "app/Program.h"
#include "config/ConfigWriter.h"
#include "config/screen/ConfigScreenHost.h"
#include "config/screen/ConfigView.h"

namespace qz {

// The configuration screen's logic. The front end creates it when the screen opens, calls Form_Load,
// forwards the user's actions to the handlers, renders `view` after every event and closes the window
// once view.open is false. Text fields are edited by writing their text directly; typing checks nothing.
class frmConfig {
  public:
    frmConfig(Program& p, ConfigScreenHost& host) : p_(p), host_(host) {}

    ConfigView view;

    // Timer1 runs every second while enabled, Timer2 once, 2 seconds after it was enabled.
    bool timer1Enabled = false;
    bool timer2Enabled = false;
    bool loading = false;
    int16_t workingLogLevel = 0; // 1 None, 2 Normal, 3 Full; 0 none chosen
    int16_t workingShutType = 0; // 1..6; 0 none chosen
    std::string referenceSnapshot;

    // Life of the screen.
    void Form_Load();
    void Form_Activate();
    void Form_Unload(); // also what closing the window by its title bar or the auto-close does
    void Data_Load();

    // Buttons and timers.
    void Save_Click();
    void Restore_Click();
    void ExitConfig_Click();
    void Archive_Click();
    void ViewL_Click();
    void Logo_Click();
    void Timer1_Timer();
    void Timer2_Timer();

    // Check boxes and lists: the front end passes the new tick or the chosen item.
    void Del_OnT_Click(bool ticked);
    void Stop_OnT_Click(bool ticked);
    void ForceT_Click(bool ticked);
    void DNameT_Click(bool ticked);
    void StartTimeT_Click(bool ticked);
    void RunOnTopT_Click(bool ticked);
    void ShutNameT_Click(const std::string& item);
    void LogLevelT_Click(const std::string& item);

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
    bool SlaveMode() const { return p_.set.CMain == 2; }
    bool MainMode() const { return p_.set.CMain == 1; }
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
