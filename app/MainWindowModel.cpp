#include "app/MainWindowModel.h"

#include <string>

#include "app/LinkSession.h"
#include "app/Monitor.h"
#include "app/ProgramLog.h"
#include "link/Link.h"
#include "screens/AdminTest.h"

namespace qz {
namespace {

bool IsTrayKey(const std::string& key) {
    return key == "Start" || key == "Activate" || key == "Activity" || key == "NoActivity" ||
           key == "Shutdown";
}

} // namespace

MainWindowModel::MainWindowModel(Program& program, WindowHost& windowHost, Monitor& theMonitor,
                                 LinkSession& theLink)
    : p(program), host(windowHost), monitor(theMonitor), link(theLink) {}

bool MainWindowModel::Counting() const {
    return p.monitor.phase == MonitorPhase::Shutdown;
}

void MainWindowModel::OnActivated() {
    view.topMost = p.set.runOnTop;
    if (view.state == WindowState::Minimised && view.trayAvailable) view.hidden = true;
    if (p.rt.notConfigured || p.rt.setupFault) {
        view.menuReset.enabled = false;
        view.menuTest.enabled = false;
    }
    view.menuExit.enabled = ExitPermitted(p);
}

void MainWindowModel::Close() {
    p.rt.timerOn = false;
    link.OnClose();
    if (!p.rt.notConfigured) WriteLog(p, "Exit", monitor.PhaseWord());
    host.UnloadAbout();
    host.UnloadConfig();
    p.svc.host.RemoveTrayIcon();
    p.svc.host.EndProgram(0);
}

void MainWindowModel::OnReset() {
    monitor.UserReset();
}

void MainWindowModel::OnTest() {
    monitor.StartTest();
}

void MainWindowModel::OnAbout() {
    SetMainControls(false);
    host.ShowAbout();
}

void MainWindowModel::OnConfigure() {
    SetMainControls(false);
    host.ShowConfig();
}

void MainWindowModel::OnLogo() {
    host.OpenWebPage("index.htm");
}

void MainWindowModel::OnUpdate() {
    host.OpenWebPage("software/misc/update.htm?ID=15&Ver=" + std::to_string(kVersionMajor) + "." +
                     std::to_string(kVersionMinor));
}

void MainWindowModel::EnableMainControls() {
    SetMainControls(true);
}

void MainWindowModel::SetMainControls(bool enabled) {
    for (ButtonView* button : {&view.test, &view.configure, &view.about})
        button->enabled = enabled;
    if (Counting())
        view.menuCancel.enabled = enabled;
    else
        view.reset.enabled = enabled;
    for (MenuItemView* item : {&view.menuAbout, &view.menuConfigure, &view.menuReset, &view.menuTest})
        item->enabled = enabled;
}

void MainWindowModel::BringToFront() {
    if (view.state == WindowState::Minimised) {
        view.state = WindowState::Normal;
        view.hidden = false;
        ++view.centreRequests;
        OnResized();
    }
    view.topMost = p.set.runOnTop || Counting();
}

void MainWindowModel::SetTrayIcon(const std::string& key) {
    if (IsTrayKey(key)) view.trayKey = key;
    view.trayTip = "Quenzel";
}

// A tray's host may end and another may start at any time. A window hidden into a tray that went
// away comes back on the screen; a minimised window goes into a tray that appeared.
void MainWindowModel::SetTrayAvailable(bool available) {
    if (available == view.trayAvailable) return;
    view.trayAvailable = available;
    if (view.state != WindowState::Minimised) return;
    if (available) {
        view.hidden = true;
    } else if (view.hidden) {
        view.hidden = false;
        view.state = WindowState::Normal;
        OnResized();
    }
}

void MainWindowModel::Minimise() {
    view.state = WindowState::Minimised;
    OnResized();
}

bool MainWindowModel::OverrideRule() const {
    const bool minimised = view.state == WindowState::Minimised;
    return (minimised && !p.set.startMinimised) || (!minimised && p.set.startMinimised && !Counting());
}

void MainWindowModel::ApplyOverrideRule() {
    p.rt.windowOverride = OverrideRule();
}

void MainWindowModel::OnResized() {
    const bool minimised = view.state == WindowState::Minimised;
    if (minimised && view.trayAvailable) view.hidden = true;
    view.menuRestore.visible = minimised;
    view.menuMinimise.visible = !minimised;
    // The countdown restores the window by force; that is no choice of the user's.
    if (OverrideRule())
        p.rt.windowOverride = true;
    else if (!Counting())
        p.rt.windowOverride = false;
}

void MainWindowModel::OnTrayDoubleClick() {
    BringToFront();
    ++view.foregroundRequests; // also when the window is open but covered
    ApplyOverrideRule();
}

void MainWindowModel::OnTrayRightClick() {
    if (!p.rt.windowOverride) ++view.foregroundRequests;
    ++view.popupRequests;
}

void MainWindowModel::OnMenuRestore() {
    p.rt.windowOverride = false;
    OnTrayDoubleClick();
}

void MainWindowModel::ShowLinkError(const std::string& text) {
    view.counter.bold = true;
    view.counter.fore = kOrange;
    view.counter.text = text;
}

void MainWindowModel::ShowMonitorControls() {
    view.statusLine.text = "";
    view.statusLine.back = kButtonFace;
    view.counter.back = kButtonFace;
    view.statusLine.fore = kButtonText;
    view.counter.fore = kBlue;
    view.title.fore = kButtonText;
    view.title.bold = false;
    view.counter.bold = false;
    for (ButtonView* button : {&view.configure, &view.about, &view.test, &view.reset, &view.update})
        button->enabled = true;
    const bool allowed = ExitPermitted(p);
    view.exit.enabled = allowed;
    view.closeAllowed = allowed;
    view.menuExit.enabled = allowed;
}

void MainWindowModel::ShowResetButton() {
    view.reset.caption = "&Reset";
    view.reset.tooltip = "Reset " + p.rt.appTitle;
    view.menuReset.visible = true;
    view.menuCancel.visible = false;
}

void MainWindowModel::ShowStartControls() {
    ShowResetButton();
    for (MenuItemView* item : {&view.menuAbout, &view.menuConfigure, &view.menuMinimise, &view.menuRestore,
                               &view.menuTest, &view.menuUpdate})
        item->enabled = true;
    view.menuExit.enabled = ExitPermitted(p);
    OnResized();
    SetTrayIcon("Activate");
}

void MainWindowModel::ShowTestControls() {
    ShowResetButton();
    view.caption = p.rt.appTitle + " - Test Mode";
    SetTrayIcon("Activate");
}

void MainWindowModel::ShowCountdownControls(const std::string& actionName) {
    for (ButtonView* button : {&view.configure, &view.about, &view.test, &view.exit, &view.update})
        button->enabled = false;
    view.statusLine.fore = kWhite;
    view.statusLine.back = kOrange;
    view.counter.fore = kWhite;
    view.counter.back = kOrange;
    view.counter.bold = true;
    view.reset.caption = "&Cancel";
    view.reset.tooltip = "Cancel " + p.rt.appTitle + " " + actionName;
    for (MenuItemView* item : {&view.menuAbout, &view.menuConfigure, &view.menuMinimise, &view.menuRestore,
                               &view.menuTest, &view.menuUpdate, &view.menuExit})
        item->enabled = false;
    view.menuReset.visible = false;
    view.menuCancel.visible = true;
}

} // namespace qz
