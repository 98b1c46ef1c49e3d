#pragma once
#include <functional>
#include <optional>

namespace qz {

// Where the window system's events enter the program: runs one handler, then shows the windows
// afresh. After the program has ended nothing runs any more.
class EventGate {
  public:
    using Handler = std::function<void()>;
    // render runs after every handler; ended runs once, with the status, when the program ends.
    EventGate(Handler render, std::function<void(int)> ended);

    void Run(const Handler& handler);
    std::optional<int> EndedWith() const { return endedWith_; }

  private:
    Handler render_;
    std::function<void(int)> ended_;
    std::optional<int> endedWith_;
};

} // namespace qz
