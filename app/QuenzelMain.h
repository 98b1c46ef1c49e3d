#pragma once
#include <string>

#include "app/MainView.h"
#include "app/Program.h"
#include "app/WindowHost.h"
#include "link/Link.h"

namespace qz {

// The main window's logic: start-up, the once-per-second monitor, the shutdown countdown, the
// status display, the tray icon and the popup menu. It writes `view`; a front end renders it
// after every call and forwards the window's events to the handlers below.
//
// How a front end drives it:
// - after Main() chose the main window: Form_Load() once, then Form_Activate() whenever the
//   window becomes active;
// - every 500 ms while p.rt.TimerEnabled is set: tmrRefresh_Timer();
// - when the link socket is readable: udpServ_DataArrival();
// - buttons: Reset_Click, TestS_Click, Config_Click, About_Click, Exit_Click, Update_Click,
//   Logo_Click; popup items: the mPopUp*_Click handlers;
// - the tray icon: Form_MouseMove(0, 0, 515, 0) for a double click, (0, 0, 516, 0) for a right
//   click;
// - the desktop's tray came or went (asked at every timer tick): SetTrayAvailable();
// - the user minimised or restored the window: set view.state, then Form_Resize();
// - the window's close command (offered only while view.closeAllowed): Form_Unload().
// The program ends through p.svc.host.EndProgram: 0 after Exit or a completed countdown, 1 after
// a fatal error.
class QuenzelMain : public LinkEvents {
  public:
    QuenzelMain(Program& program, WindowHost& host);

    MainView view;

    // Start and end (the window's life).
    void Form_Load();
    void Form_Activate();
    void Form_Unload();
    void Exit_Click();

    // The monitor.
    void tmrRefresh_Timer();
    void ActivationStep();
    void RunStep();
    void CheckActivity();
    void ShutdownStep();
    void Reset_Click();
    void TestS_Click();
    void RestartMonitor();

    // Status display.
    void ResetMonitor();
    void ShowStatus();

    // Window, tray and popup menu.
    void BringToFront();
    void SetTrayIcon(const std::string& key);
    void SetCloseAllowed(bool allow);
    void SetTrayAvailable(bool available);
    void Form_Resize();
    void Form_MouseMove(int button, int shift, int x, int y);
    void About_Click();
    void Config_Click();
    void Logo_Click();
    void Update_Click();
    void DisableMainControls();
    void EnableMainControls();
    void mPopUpAbout_Click();
    void mPopUpCancel_Click();
    void mPopUpConfig_Click();
    void mPopUpExit_Click();
    void mPopUpMin_Click();
    void mPopUpReset_Click();
    void mPopUpRestore_Click();
    void mPopUpTest_Click();
    void mPopUpUpdate_Click();

    // The link socket has data.
    void udpServ_DataArrival();

    // What the slave's receiver asks of the window.
    void RemoteReset() override;
    void RemoteTest() override;
    void ShowLinkError(const std::string& text) override;

  private:
    bool MonitorMayStep(int16_t state) const;
    std::string StateWord() const;
    void MinimiseWindow();
    bool OverrideRule() const;
    void ApplyOverrideRule();
    // A box shown from within a monitor step. Returns false when the monitor was reset while it
    // was open, so the step must not carry on with a state that is gone.
    bool StepMessage(MsgIcon icon, const std::string& title, const std::string& text);
    bool CompleteCountdown();
    bool RunPowerAction(int16_t shutType, bool forced);

    Program& p;
    WindowHost& window;
    bool stepMessageOpen = false; // ticks that arrive meanwhile run no monitor step
    unsigned resets = 0;          // counts ResetMonitor calls
};

} // namespace qz
