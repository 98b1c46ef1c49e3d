#include "console/ConsoleHost.h"

namespace qz {

Answer ConsoleAnswer(MsgButtons buttons) {
    switch (buttons) {
    case MsgButtons::YesNo:
        return Answer::Yes;
    case MsgButtons::YesNoCancel:
        return Answer::Cancel;
    case MsgButtons::Ok:
        break;
    }
    return Answer::Ok;
}

Answer ConsoleHost::ShowMessage(MsgIcon, MsgButtons buttons, const std::string& title,
                                const std::string& text) {
    Refresh();
    out.Box(title, text);
    return ConsoleAnswer(buttons);
}

void ConsoleHost::EndProgram(int status) {
    Refresh();
    out.Finish();
    throw ConsoleExit{status};
}

void ConsoleHost::Refresh() {
    if (refreshStatus) refreshStatus();
}

} // namespace qz
