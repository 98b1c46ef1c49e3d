#pragma once
#include <map>
#include <string>
#include <vector>

#include "link/Link.h"

namespace qz::test {

// Records what the receiver asks of the main window, in order.
class FakeLinkEvents : public LinkEvents {
  public:
    void RemoteReset() override { calls.push_back("RemoteReset"); }
    void RemoteTest() override { calls.push_back("RemoteTest"); }
    void ShowLinkError(const std::string& text) override { calls.push_back("ShowLinkError(" + text + ")"); }
    std::vector<std::string> calls;
};

// A complete, valid configuration file for a main station at 127.1.1.1 with Port1 10001 and
// Port2 10000; values replace the ones of the same key.
std::string ConfigFileText(const std::map<std::string, std::string>& values = {});

} // namespace qz::test
