#pragma once
#include <string>

#include "core/MainView.h"
#include "core/Program.h"
#include "core/WindowHost.h"

namespace qz {

class LinkSession;
class Monitor;

// The main window's logic: its view, the buttons, the tray icon, the popup menu and the rules for
// minimising, restoring and closing. A front end renders `view` after every call.
class MainWindowModel {
  public:
    MainWindowModel(Program& program, WindowHost& host, Monitor& monitor, LinkSession& link);

    MainView view;

    // The window became the active one.
    void OnActivated();
    // The window's close command (offered only while view.closeAllowed), Exit and the popup's Close:
    // logs the exit, closes the screens and ends the program with 0.
    void Close();

    // Buttons.
    void OnReset();
    void OnTest();
    void OnConfigure();
    void OnAbout();
    void OnUpdate();
    void OnExit() { Close(); }
    void OnLogo();

    // The popup menu.
    void OnMenuAbout() { OnAbout(); }
    void OnMenuCancel() { OnReset(); }
    void OnMenuConfigure() { OnConfigure(); }
    void OnMenuExit() { Close(); }
    void OnMenuMinimise() { Minimise(); }
    void OnMenuReset() { OnReset(); }
    void OnMenuRestore();
    void OnMenuTest() { OnTest(); }
    void OnMenuUpdate() { OnUpdate(); }

    // The tray icon: a double click brings the window forward, a right click opens the popup menu.
    void OnTrayDoubleClick();
    void OnTrayRightClick();
    // The desktop's tray came or went (the front end asks at every timer tick).
    void SetTrayAvailable(bool available);
    // The user minimised or restored the window: the front end sets view.state first.
    void OnResized();

    // The About or configuration screen closed: the controls they disabled come back.
    void EnableMainControls();

    // What the monitor shows through the window.
    void BringToFront();
    void Minimise();
    void SetTrayIcon(const std::string& key);
    void ShowLinkError(const std::string& text);
    void ShowMonitorControls(); // the colours and buttons of a monitor that starts over
    void ShowStartControls();   // the Reset button, the popup's items and the tray icon as at the start
    void ShowTestControls();    // the same for a test run, with the test mode in the caption
    void ShowCountdownControls(const std::string& actionName); // all but Cancel disabled, in orange

  private:
    bool Counting() const;
    // The user put the window into the other state than StartMin asks for.
    bool OverrideRule() const;
    void ApplyOverrideRule();
    void SetMainControls(bool enabled);
    void ShowResetButton();

    Program& p;
    WindowHost& host;
    Monitor& monitor;
    LinkSession& link;
};

} // namespace qz
