#include "screens/frmAbout.h"

#include <cstdint>
#include <limits>

#include "screens/WebLauncher.h"

namespace qz {

void frmAbout::Form_Load() {
    view.open = true;
    p.rt.DialogOpen = true;
    view.caption = "About " + p.rt.AppTitle;
    view.ProgName.text = p.rt.AppTitle;
    view.ProgVersion.text = "Version " + std::to_string(kVersionMajor) + "." + std::to_string(kVersionMinor);
    view.WebSite.text = kWebSiteText;
    p.rt.AboutCloseCount = p.rt.CmdLineMode == 1 ? 4 : 60;
}

void frmAbout::Form_Activate() {
    view.topMost = p.set.RunOnTop == 2;
}

void frmAbout::Form_Unload() {
    if (!view.open) return;
    view.open = false;
    host_.EnableMainControls();
    p.rt.DialogOpen = false;
}

void frmAbout::Timer1_Timer() {
    if (!view.open) return;
    int16_t& count = p.rt.AboutCloseCount;
    view.TMessage.text = "About will close in " + std::to_string(count) + " sec";
    if (count > std::numeric_limits<int16_t>::min()) --count;
}

void frmAbout::ExitAbout_Click() {
    Form_Unload();
}

void frmAbout::WebSite_Click() {
    host_.OpenWebPage("index.htm");
}

} // namespace qz
