#include "console/StatusPrinter.h"

namespace qz {
namespace {

// Remembers text as shown; true when it differs from what was shown before and is worth a line.
bool Changed(std::string& shown, const std::string& text) {
    if (shown == text) return false;
    shown = text;
    return !text.empty();
}

} // namespace

void StatusPrinter::Show(const MainView& view) {
    if (Changed(caption, view.caption)) out.Line(caption);
    if (Changed(title, view.title.text)) out.Line(title);
    if (Changed(counter, view.counter.text)) out.Counter(counter);
}

} // namespace qz
