#include "tests/support/Fakes.h"

namespace qz::test {

Answer FakeHost::ShowMessage(MsgIcon icon, MsgButtons buttons, const std::string& title,
                             const std::string& text) {
    messages.push_back({icon, buttons, title, text});
    if (answers.empty())
        return buttons == MsgButtons::YesNo         ? Answer::No
               : buttons == MsgButtons::YesNoCancel ? Answer::Cancel
                                                    : Answer::Ok;
    const Answer a = answers.front();
    answers.pop_front();
    return a;
}

std::string Shown(const FakeHost& host) {
    std::string shown;
    for (const ShownMessage& m : host.messages)
        shown +=
            m.title + ": " + m.text + (m.icon == MsgIcon::None && m.buttons == MsgButtons::Ok ? "" : "!");
    return shown;
}

FakeWorld::FakeWorld(const std::filesystem::path& folder)
    : files(folder),
      program(Services{host, clock, files, processes, power, socket, resolver, guard, system}) {}

} // namespace qz::test
