#pragma once
#include <string>

#include "core/Program.h"
#include "link/Link.h"

namespace qz {

class MainWindowModel;
class Monitor;

// The program's side of the link: passes datagrams to the link and carries out what the peer asks
// (a slave resets or tests when its main station does); a main station says it is alive.
class LinkSession final : public LinkEvents {
  public:
    LinkSession(Program& program, Monitor& monitor, MainWindowModel& window);

    // The link socket has data.
    void OnDatagram();
    // Every timer tick: held commands and drop counts, then the alive message of a main station
    // while it monitors and in the last second of the activation delay.
    void OnTick();
    // The program ends: held commands and the drop counts go into the log.
    void OnClose();

    void RemoteReset() override;
    void RemoteTest() override;
    void ShowLinkError(const std::string& text) override;
    void LogEvent(std::string_view word, std::string_view detail) override;

  private:
    Program& p;
    Monitor& monitor;
    MainWindowModel& window;
};

} // namespace qz
