#pragma once
#include <string>

#include "core/Program.h"

namespace qz {

class MainWindowModel;

// The monitor: the activation countdown, the watch for activity and the shutdown countdown, one
// step a second. It keeps its state in p.monitor and shows it through the main window's model.
class Monitor {
  public:
    Monitor(Program& program, MainWindowModel& window);

    const MonitorState& State() const { return s; }
    // "Initialise", "Run" or the action's name, as the log says the state.
    std::string PhaseWord() const;

    // The once-a-second step of the present phase. Nothing happens while a screen is open, while a
    // box of the countdown is open, or while the setup is unusable.
    void Tick();

    // Back to the activation countdown with the configured delays (those of a trial under a start
    // option), the status colours and the buttons as at the start.
    void Reset();
    // The status sentence, the activation counter and the tooltips; starts the main timer.
    void ShowStatus();
    // Reset and status, the window's controls and tray icon as at the start.
    void StartOver();
    // The Reset (or, in the countdown, Cancel) command: logged, then the monitor starts over; a main
    // station's slaves follow.
    void UserReset();
    // The Test command: a run with short delays that ends in a message instead of the action.
    void StartTest();

  private:
    bool MayStep(MonitorPhase phase) const;
    void ActivationStep();
    void RunStep();
    void CheckActivity();
    void CountdownStep();
    bool CompleteCountdown();
    bool RunPowerAction(ShutdownType shutType, bool forced);
    // A box shown from within a step. False when the monitor was reset while it was open, so the
    // step must not carry on with a state that is gone.
    bool StepMessage(MsgIcon icon, const std::string& title, const std::string& text);

    Program& p;
    MonitorState& s;
    MainWindowModel& window;
    bool stepMessageOpen = false; // ticks that arrive meanwhile run no step
    unsigned resets = 0;          // counts Reset calls
};

} // namespace qz
