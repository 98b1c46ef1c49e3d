#pragma once
#include <iosfwd>

#include "core/Program.h"

namespace qz {

// The link's shared key, beside the configuration. Without the file the link is open as ever.
inline constexpr const char* kLinkKeyFile = "Data\\Quenzel.key";

// Reads the key at start. A key file that cannot be used ends the program with a box: it never
// falls back to the open link.
void LoadLinkKey(Program& p);

// Writes a fresh key into the working folder's Data\Quenzel.key for quenzeld --new-key and tells how
// to pair the peer; never replaces a key. The exit status: 0, or 1 with the reason on err.
int WriteNewLinkKey(const FileSys& files, std::ostream& out, std::ostream& err);

} // namespace qz
