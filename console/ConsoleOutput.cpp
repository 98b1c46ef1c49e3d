#include "console/ConsoleOutput.h"

#include <string_view>

namespace qz {

ConsoleOutput::ConsoleOutput(std::ostream& out, std::ostream& err, bool outIsTerminal, bool errIsTerminal)
    : out_(out), err_(err), terminal_(outIsTerminal), errTerminal_(errIsTerminal) {}

void ConsoleOutput::Line(const std::string& text) {
    CloseOpenLine();
    out_ << text << '\n' << std::flush;
}

void ConsoleOutput::Counter(const std::string& text) {
    if (!terminal_) {
        Line(text);
        return;
    }
    out_ << '\r' << text;
    // Blanks over what is left of a longer text before; no escape codes, so any terminal will do.
    if (lineOpen_ && openLength_ > text.size()) out_ << std::string(openLength_ - text.size(), ' ');
    out_ << std::flush;
    lineOpen_ = true;
    openLength_ = text.size();
}

void ConsoleOutput::Box(const std::string& title, const std::string& text) {
    CloseOpenLine();
    err_ << title << '\n';
    constexpr std::string_view kBreak = "\r\n";
    std::string_view rest = text;
    while (!rest.empty()) {
        const std::size_t end = rest.find(kBreak);
        err_ << rest.substr(0, end) << '\n';
        rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + kBreak.size());
    }
    err_ << '\n' << std::flush;
}

void ConsoleOutput::Note(const std::string& text) {
    CloseOpenLine();
    err_ << text << std::flush;
}

void ConsoleOutput::Finish() {
    CloseOpenLine();
    out_ << std::flush;
    err_ << std::flush;
}

void ConsoleOutput::CloseOpenLine() {
    if (!lineOpen_) return;
    out_ << '\n' << std::flush;
    lineOpen_ = false;
    openLength_ = 0;
}

} // namespace qz
