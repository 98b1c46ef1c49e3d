#pragma once
#include <chrono>
#include <optional>

namespace qz {

using SteadyTime = std::chrono::steady_clock::time_point;

// A periodic timer on an absolute schedule: each tick is due one period after the one before, not
// one period after it was handled, so late handling never adds up to drift. A tick that is more
// than a whole period late does not bring the missed ones after it in a burst; they are skipped.
class TickSchedule {
  public:
    explicit TickSchedule(std::chrono::steady_clock::duration period) : period_(period) {}

    // Starts the schedule when the timer has been enabled (first tick one period from now) and
    // stops it when the timer has been disabled.
    void Follow(bool enabled, SteadyTime now);
    // When the next tick is due; nothing while stopped.
    std::optional<SteadyTime> Next() const { return next_; }
    // True when a tick is due at now; the schedule then moves on to the next tick still ahead.
    bool Due(SteadyTime now);

  private:
    std::chrono::steady_clock::duration period_;
    std::optional<SteadyTime> next_;
};

} // namespace qz
