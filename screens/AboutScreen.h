#pragma once
#include <string>

#include "core/MainView.h"
#include "core/Program.h"
#include "core/WindowHost.h"

namespace qz {

// What the About screen shows.
struct AboutView {
    std::string caption = "About";
    LabelView programName{"", kButtonText, kButtonFace, true};
    LabelView version;
    LabelView webSite{"", kBlue};
    LabelView closeNotice; // the auto-close's countdown
    ButtonView exit{"&Exit", "Close Quenzel About Screen"};
    bool open = false; // the window exists; false once it has been unloaded
    bool topMost = false;
};

// What the About screen needs from the main window that opened it; pages open with the screen as
// their owner.
class AboutScreenHost : public PageOpener {
  public:
    virtual void EnableMainControls() = 0;
};

// The About screen's logic. The front end creates it when the screen opens, calls Load, runs
// OnSecond every second while view.open, renders `view` after every event and closes the
// window once view.open is false. The main window's timer unloads it when aboutCloseCount runs out.
class AboutScreen {
  public:
    AboutScreen(Program& p, AboutScreenHost& host) : p_(p), host_(host) {}

    AboutView view;

    void Load();
    void OnActivated();
    void Close(); // also what closing the window by its title bar or the auto-close does
    void OnSecond();
    void OnExit();
    void OnWebSite();

  private:
    Program& p_;
    AboutScreenHost& host_;
};

} // namespace qz
