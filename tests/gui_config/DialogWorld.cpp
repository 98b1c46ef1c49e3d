#include "tests/gui_config/DialogWorld.h"

namespace qz::test {

ConfigDialog& DialogWorld::CreateDialog() {
    dialog = std::make_unique<ConfigDialog>(p, std::make_unique<FakeMainSide>(mainCalls));
    return *dialog;
}

ConfigDialog& DialogWorld::OpenDialog() {
    CreateDialog().show();
    return *dialog;
}

} // namespace qz::test
