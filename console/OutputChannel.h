#pragma once
#include <cstddef>
#include <memory>
#include <optional>
#include <streambuf>
#include <string>
#include <string_view>

namespace qz {

// A standard stream as the system gives it: takes at once what it can of a text and says how much,
// or nothing when it can take none now (full, stopped, or gone).
class StreamEnd {
  public:
    virtual ~StreamEnd() = default;
    virtual std::optional<std::size_t> WriteSome(std::string_view text) = 0;
};

// The platform's end for standard output (1) or standard error (2); writing it never waits.
std::unique_ptr<StreamEnd> MakeStreamEnd(int number);

// A stream buffer that hands each flushed text to its end without waiting, so a pipe nobody reads
// or a stopped terminal never holds the program up. A text the end cannot take is dropped and its
// lines counted; one it took in part is finished before anything newer is written, so lines are
// never cut into each other.
class OutputChannel final : public std::streambuf {
  public:
    explicit OutputChannel(std::unique_ptr<StreamEnd> end) : end_(std::move(end)) {}
    long DroppedLines() const { return dropped_; }

  protected:
    int_type overflow(int_type c) override;
    std::streamsize xsputn(const char* s, std::streamsize n) override;
    int sync() override;

  private:
    bool Finish(); // true when nothing of an earlier text is left over

    std::unique_ptr<StreamEnd> end_;
    std::string text_;       // since the last flush
    std::string unfinished_; // what the end has not yet taken of an earlier text
    long dropped_ = 0;
};

} // namespace qz
