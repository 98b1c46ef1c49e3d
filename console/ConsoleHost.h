#pragma once
#include <functional>
#include <string>

#include "console/ConsoleOutput.h"
#include "core/Host.h"
#include "core/WindowHost.h"

namespace qz {

// Thrown by ConsoleHost::EndProgram and caught where the event loop began, so that everything on
// the way unwinds (the terminal is restored, the streams are flushed) before the process ends.
struct ConsoleExit {
    int status;
};

// How quenzeld answers a box it cannot show to anyone: OK at once, Yes to the port error's
// question (so the program ends), Cancel where Cancel is offered.
Answer ConsoleAnswer(MsgButtons buttons);

// The host of a program without windows: boxes go to standard error, and the screens that only a
// desktop has are not opened.
class ConsoleHost final : public Host, public WindowHost {
  public:
    explicit ConsoleHost(ConsoleOutput& output) : out(output) {}

    // Run before a box is written and before the program ends, so the status shown is current.
    void SetRefresh(std::function<void()> refresh) { refreshStatus = std::move(refresh); }

    ConsoleOutput& Output() { return out; }

    Answer ShowMessage(MsgIcon icon, MsgButtons buttons, const std::string& title,
                       const std::string& text) override;
    void RemoveTrayIcon() override {}
    [[noreturn]] void EndProgram(int status) override;

    void OpenWebPage(const std::string&) override {}
    void ShowAbout() override {}
    void ShowConfig() override {}
    void UnloadAbout() override {}
    void UnloadConfig() override {}

  private:
    void Refresh();

    ConsoleOutput& out;
    std::function<void()> refreshStatus;
};

} // namespace qz
