#pragma once
#include <string>

namespace qz {

enum class MsgIcon { None, Critical, Exclamation, Information };
enum class MsgButtons { Ok, YesNo, YesNoCancel };
enum class Answer { Ok, Yes, No, Cancel };

// What the front end does for the program: modal message boxes, the tray icon's removal and the
// immediate end of the process. A test host records these and unwinds instead of ending.
class Host {
  public:
    virtual ~Host() = default;
    // Shows a modal box; lines of text are separated by "\r\n". Closing the box answers Cancel
    // for Yes/No/Cancel, No for Yes/No and Ok for Ok.
    virtual Answer ShowMessage(MsgIcon icon, MsgButtons buttons, const std::string& title,
                               const std::string& text) = 0;
    virtual void RemoveTrayIcon() = 0;
    // Ends the process at once: 0 after Exit or a completed countdown, 1 after a fatal error.
    [[noreturn]] virtual void EndProgram(int status) = 0;
};

} // namespace qz
