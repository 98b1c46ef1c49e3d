#pragma once

namespace qz {

// A Host that has to hand control back instead of ending the process (a test's host) throws this
// from EndProgram. The window catches it where the event entered the program and closes down as if
// the process had ended: no handler of the program runs after it. Such a host must not run events
// inside its message boxes.
struct ProgramEnd {
    int status;
};

} // namespace qz
