#pragma once
#include <functional>
#include <optional>
#include <utility>

namespace qz::win {

// A Host that hands control back instead of ending the process (a test's) throws this from
// EndProgram; the window catches it where the event entered and closes down as if the process had
// ended.
struct ProgramEnd {
    int status;
};

// Where the window system's events enter the program: runs one handler, then shows the windows
// afresh. After the program has ended nothing runs any more.
class EventGate {
  public:
    using Handler = std::function<void()>;
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

} // namespace qz::win
