#pragma once
#include <functional>
#include <optional>
#include <utility>

namespace qz {

// A Host that has to hand control back instead of ending the process (a test's host) throws this
// from EndProgram. The window catches it where the event entered the program and closes down as if
// the process had ended: no handler of the program runs after it. Such a host must not run events
// inside its message boxes.
struct ProgramEnd {
    int status;
};

// Where a window system's events enter the program: runs one handler, then shows the windows
// afresh. After the program has ended nothing runs any more.
class EventGate {
  public:
    using Handler = std::function<void()>;
    // render runs after every handler; ended runs once, with the status, when the program ends.
    EventGate(Handler render, std::function<void(int)> ended)
        : render_(std::move(render)), ended_(std::move(ended)) {}

    void Run(const Handler& handler) {
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
    std::optional<int> EndedWith() const { return endedWith_; }

  private:
    Handler render_;
    std::function<void(int)> ended_;
    std::optional<int> endedWith_;
};

} // namespace qz
