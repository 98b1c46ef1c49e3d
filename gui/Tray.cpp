#include "gui/Tray.h"

#include "gui/Pictures.h"
#include "gui/config/ViewWidgets.h"

namespace qz {

Tray::Tray(bool available) : available_(available) {}

void Tray::Show(const std::string& key, const std::string& tip) {
    if (removed_) return;
    if (key != key_) {
        key_ = key;
        icon_.setIcon(TrayPicture(key));
    }
    const QString tooltip = FromViewText(tip);
    if (icon_.toolTip() != tooltip) icon_.setToolTip(tooltip);
    const bool visible = !key.empty();
    if (icon_.isVisible() != visible) icon_.setVisible(visible);
}

void Tray::Remove() {
    removed_ = true;
    icon_.hide();
}

} // namespace qz
