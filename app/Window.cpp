#include <string>

#include "app/QuenzelMain.h"

namespace qz {
namespace {

constexpr int kTrayDoubleClick = 515;
constexpr int kTrayRightClick = 516;

bool IsTrayKey(const std::string& key) {
    return key == "Start" || key == "Activate" || key == "Activity" || key == "NoActivity" ||
           key == "Shutdown";
}

} // namespace

void QuenzelMain::BringToFront() {
    if (view.state == WindowState::Minimised) {
        view.state = WindowState::Normal;
        view.hidden = false;
        ++view.centreRequests;
        OnResized();
    }
    view.topMost = p.set.runOnTop || p.rt.MonState == 2;
}

void QuenzelMain::SetTrayIcon(const std::string& key) {
    if (IsTrayKey(key)) view.trayKey = key;
    view.trayTip = "Quenzel";
}

void QuenzelMain::SetCloseAllowed(bool allow) {
    view.closeAllowed = allow;
}

// A tray's host may end and another may start at any time. A window hidden into a tray that went
// away comes back on the screen; a minimised window goes into a tray that appeared.
void QuenzelMain::SetTrayAvailable(bool available) {
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

void QuenzelMain::MinimiseWindow() {
    view.state = WindowState::Minimised;
    OnResized();
}

// The user put the window into the other state than the start-minimised setting asks for.
bool QuenzelMain::OverrideRule() const {
    const bool minimised = view.state == WindowState::Minimised;
    return (minimised && !p.set.startMinimised) || (!minimised && p.set.startMinimised && p.rt.MonState != 2);
}

void QuenzelMain::ApplyOverrideRule() {
    p.rt.WindowOverride = false;
    if (OverrideRule()) p.rt.WindowOverride = true;
}

void QuenzelMain::OnResized() {
    if (view.state == WindowState::Minimised) {
        if (view.trayAvailable) view.hidden = true;
        view.menuRestore.visible = true;
        view.menuMinimise.visible = false;
    } else {
        view.menuRestore.visible = false;
        view.menuMinimise.visible = true;
    }
    // The countdown restores the window by force; that is no choice of the user's.
    if (OverrideRule())
        p.rt.WindowOverride = true;
    else if (p.rt.MonState != 2)
        p.rt.WindowOverride = false;
}

void QuenzelMain::OnTrayMouse(int, int, int x, int) {
    if (x == kTrayDoubleClick) {
        BringToFront();
        ++view.foregroundRequests; // also when the window is open but covered
        ApplyOverrideRule();
    } else if (x == kTrayRightClick) {
        if (!p.rt.WindowOverride) window.SetForeground();
        window.ShowPopupMenu();
    }
}

void QuenzelMain::OnAbout() {
    DisableMainControls();
    window.ShowAbout();
}

void QuenzelMain::OnConfigure() {
    DisableMainControls();
    window.ShowConfig();
}

void QuenzelMain::OnLogo() {
    window.OpenWebPage("index.htm");
}

void QuenzelMain::OnUpdate() {
    window.OpenWebPage("software/misc/update.htm?ID=15&Ver=" + std::to_string(kVersionMajor) + "." +
                       std::to_string(kVersionMinor));
}

namespace {

void SetMainControls(MainView& view, bool countdown, bool enabled) {
    for (ButtonView* button : {&view.TestS, &view.Config, &view.About})
        button->enabled = enabled;
    if (countdown)
        view.menuCancel.enabled = enabled;
    else
        view.Reset.enabled = enabled;
    for (MenuItemView* item : {&view.menuAbout, &view.menuConfigure, &view.menuReset, &view.menuTest})
        item->enabled = enabled;
}

} // namespace

void QuenzelMain::DisableMainControls() {
    SetMainControls(view, p.rt.MonState == 2, false);
}

void QuenzelMain::EnableMainControls() {
    SetMainControls(view, p.rt.MonState == 2, true);
}

void QuenzelMain::OnMenuAbout() {
    OnAbout();
}
void QuenzelMain::OnMenuCancel() {
    OnReset();
}
void QuenzelMain::OnMenuConfigure() {
    OnConfigure();
}
void QuenzelMain::OnMenuExit() {
    Close();
}
void QuenzelMain::OnMenuMinimise() {
    MinimiseWindow();
}
void QuenzelMain::OnMenuReset() {
    OnReset();
}
void QuenzelMain::OnMenuTest() {
    OnTest();
}
void QuenzelMain::OnMenuUpdate() {
    OnUpdate();
}

void QuenzelMain::OnMenuRestore() {
    p.rt.WindowOverride = false;
    BringToFront();
    ++view.foregroundRequests;
    ApplyOverrideRule();
}

} // namespace qz
