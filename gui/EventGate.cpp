#include "gui/EventGate.h"

#include <utility>

#include "gui/ProgramEnd.h"

namespace qz {

EventGate::EventGate(Handler render, std::function<void(int)> ended)
    : render_(std::move(render)), ended_(std::move(ended)) {}

void EventGate::Run(const Handler& handler) {
    if (endedWith_) return;
    try {
        handler();
    } catch (const ProgramEnd& end) {
        endedWith_ = end.status;
        ended_(end.status);
        return;
    }
    render_();
}

} // namespace qz
