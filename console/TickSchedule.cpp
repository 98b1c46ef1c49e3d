#include "console/TickSchedule.h"

namespace qz {

void TickSchedule::Follow(bool enabled, SteadyTime now) {
    if (!enabled)
        next_.reset();
    else if (!next_)
        next_ = now + period_;
}

bool TickSchedule::Due(SteadyTime now) {
    if (!next_ || now < *next_) return false;
    *next_ += period_;
    if (*next_ <= now) *next_ += (now - *next_) / period_ * period_ + period_;
    return true;
}

} // namespace qz
