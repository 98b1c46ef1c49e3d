#pragma once

namespace qz::test {

// A UDP port that nothing on this machine listens on at the moment of asking.
int FreeUdpPort();

} // namespace qz::test
