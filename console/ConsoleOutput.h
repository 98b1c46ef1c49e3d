#pragma once
#include <cstddef>
#include <ostream>
#include <string>

namespace qz {

// quenzeld's two streams: status lines on standard output, message boxes on standard error.
// Every write is flushed at once, so scripts and tests see it while the program runs.
class ConsoleOutput {
  public:
    ConsoleOutput(std::ostream& out, std::ostream& err, bool outIsTerminal, bool errIsTerminal = false);

    void Line(const std::string& text);
    // On a terminal the counter rewrites its own line in place; elsewhere it is a plain line.
    void Counter(const std::string& text);
    // The title on one line, each line of the text on its own line, then an empty line.
    void Box(const std::string& title, const std::string& text);
    // Text for the operator on standard error, outside any box.
    void Note(const std::string& text);
    bool ErrIsTerminal() const { return errTerminal_; }
    // Ends a counter line that is still open and flushes both streams.
    void Finish();

  private:
    void CloseOpenLine();

    std::ostream& out_;
    std::ostream& err_;
    bool terminal_;
    bool errTerminal_;
    bool lineOpen_ = false;
    std::size_t openLength_ = 0;
};

} // namespace qz
