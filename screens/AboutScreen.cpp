#include "screens/AboutScreen.h"

#include <cstdint>
#include <limits>

#include "screens/WebLauncher.h"

namespace qz {

void AboutScreen::Load() {
    view.open = true;
    p_.rt.screenOpen = true;
    view.caption = "About " + p_.rt.appTitle;
    view.programName.text = p_.rt.appTitle;
    view.version.text = "Version " + std::to_string(kVersionMajor) + "." + std::to_string(kVersionMinor);
    view.webSite.text = kWebSiteText;
    p_.rt.aboutCloseCount = p_.rt.startOption == StartOption::InhibitShutdown ? 4 : 60;
}

void AboutScreen::OnActivated() {
    view.topMost = p_.set.runOnTop;
}

void AboutScreen::Close() {
    if (!view.open) return;
    view.open = false;
    host_.EnableMainControls();
    p_.rt.screenOpen = false;
}

void AboutScreen::OnSecond() {
    if (!view.open) return;
    int16_t& count = p_.rt.aboutCloseCount;
    view.closeNotice.text = "About will close in " + std::to_string(count) + " sec";
    if (count > std::numeric_limits<int16_t>::min()) --count;
}

void AboutScreen::OnExit() {
    Close();
}

void AboutScreen::OnWebSite() {
    host_.OpenWebPage("index.htm");
}

} // namespace qz
