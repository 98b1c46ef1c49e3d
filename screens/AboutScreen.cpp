#include "screens/AboutScreen.h"

#include <cstdint>
#include <limits>

#include "screens/WebLauncher.h"

namespace qz {

void AboutScreen::Load() {
    view.open = true;
    p.rt.DialogOpen = true;
    view.caption = "About " + p.rt.AppTitle;
    view.ProgName.text = p.rt.AppTitle;
    view.ProgVersion.text = "Version " + std::to_string(kVersionMajor) + "." + std::to_string(kVersionMinor);
    view.WebSite.text = kWebSiteText;
    p.rt.AboutCloseCount = p.rt.CmdLineMode == 1 ? 4 : 60;
}

void AboutScreen::OnActivated() {
    view.topMost = p.set.runOnTop;
}

void AboutScreen::Close() {
    if (!view.open) return;
    view.open = false;
    host_.EnableMainControls();
    p.rt.DialogOpen = false;
}

void AboutScreen::OnSecond() {
    if (!view.open) return;
    int16_t& count = p.rt.AboutCloseCount;
    view.TMessage.text = "About will close in " + std::to_string(count) + " sec";
    if (count > std::numeric_limits<int16_t>::min()) --count;
}

void AboutScreen::OnExit() {
    Close();
}

void AboutScreen::OnWebSite() {
    host_.OpenWebPage("index.htm");
}

} // namespace qz
