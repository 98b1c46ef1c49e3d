#pragma once
#include <string>

#include "core/MainView.h"
#include "core/Program.h"
#include "core/WindowHost.h"
#include "link/Link.h"

namespace qz {

// The main window's logic: start-up, the once-per-second monitor, the shutdown countdown, the
// status display, the tray icon and the popup menu. It writes `view`; a front end renders it
// after every call and forwards the window's events to the handlers below.
//
// How a front end drives it:
// - after Main() chose the main window: Load() once, then OnActivated() whenever the
//   window becomes active;
// - every 500 ms while p.rt.TimerEnabled is set: OnTimer();
// - when the link socket is readable: OnDatagram();
// - buttons: OnReset, OnTest, OnConfigure, OnAbout, OnExit, OnUpdate,
//   OnLogo; popup items: the OnMenu* handlers;
// - the tray icon: OnTrayMouse(0, 0, 515, 0) for a double click, (0, 0, 516, 0) for a right
//   click;
// - the desktop's tray came or went (asked at every timer tick): SetTrayAvailable();
// - the user minimised or restored the window: set view.state, then OnResized();
// - the window's close command (offered only while view.closeAllowed): Close().
// The program ends through p.svc.host.EndProgram: 0 after Exit or a completed countdown, 1 after
// a fatal error.
class QuenzelMain : public LinkEvents {
  public:
    QuenzelMain(Program& program, WindowHost& host);

    MainView view;

    // Start and end (the window's life).
    void Load();
    void OnActivated();
    void Close();
    void OnExit();

    // The monitor.
    void OnTimer();
    void ActivationStep();
    void RunStep();
    void CheckActivity();
    void ShutdownStep();
    void OnReset();
    void OnTest();
    void RestartMonitor();

    // Status display.
    void ResetMonitor();
    void ShowStatus();

    // Window, tray and popup menu.
    void BringToFront();
    void SetTrayIcon(const std::string& key);
    void SetCloseAllowed(bool allow);
    void SetTrayAvailable(bool available);
    void OnResized();
    void OnTrayMouse(int button, int shift, int x, int y);
    void OnAbout();
    void OnConfigure();
    void OnLogo();
    void OnUpdate();
    void DisableMainControls();
    void EnableMainControls();
    void OnMenuAbout();
    void OnMenuCancel();
    void OnMenuConfigure();
    void OnMenuExit();
    void OnMenuMinimise();
    void OnMenuReset();
    void OnMenuRestore();
    void OnMenuTest();
    void OnMenuUpdate();

    // The link socket has data.
    void OnDatagram();

    // What the slave's receiver asks of the window.
    void RemoteReset() override;
    void RemoteTest() override;
    void ShowLinkError(const std::string& text) override;
    void LogEvent(std::string_view word, std::string_view detail) override;

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
    bool RunPowerAction(ShutdownType shutType, bool forced);

    Program& p;
    WindowHost& window;
    bool stepMessageOpen = false; // ticks that arrive meanwhile run no monitor step
    unsigned resets = 0;          // counts ResetMonitor calls
};

} // namespace qz
