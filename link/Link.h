#pragma once
#include <string_view>

#include "core/Program.h"

namespace qz {

// What a slave's receiver asks of the main window.
class LinkEvents {
  public:
    virtual ~LinkEvents() = default;
    virtual void RemoteReset() = 0;                          // OnReset
    virtual void RemoteTest() = 0;                           // OnTest
    virtual void ShowLinkError(const std::string& text) = 0; // Counter: bold, orange, text
    // Logs a count of the peer's datagrams not acted on ("ResetDrop", "3").
    virtual void LogEvent(std::string_view word, std::string_view detail) = 0;
};

// Sends linkMessage to the peer; on success linkMessage becomes "<QZA100>".
void SendLinkMessage(Program& p);
// On every tick: acts on a command held back from the last second and logs the counts of the
// peer's datagrams not acted on once their minute is over.
void LinkTick(Program& p, LinkEvents& events);
// Logs those counts once their minute is over, or at once (at the exit) so that none is lost.
void LogLinkDrops(Program& p, LinkEvents& events, bool atExit = false);
// The socket's data-arrival event.
void OnDatagram(Program& p, LinkEvents& events);

} // namespace qz
