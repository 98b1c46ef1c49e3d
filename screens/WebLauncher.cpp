#include "screens/WebLauncher.h"

#include <exception>
#include <optional>
#include <system_error>

namespace qz {
namespace {

struct ProgramError {
    int number;
    std::string description;
};

} // namespace

void OpenWebPage(Program& p, const std::string& page) {
    const std::string title = "Quenzel Error";
    int result = 0;
    std::optional<ProgramError> error;
    try {
        result = p.svc.system.OpenAddress(kWebSiteBase + page);
    } catch (const std::system_error& e) {
        error = ProgramError{e.code().value(), e.what()};
    } catch (const std::exception& e) {
        // Only the operating system's errors carry a number.
        error = ProgramError{0, e.what()};
    }
    if (error) {
        p.svc.host.ShowMessage(
            MsgIcon::None, MsgButtons::Ok, title,
            "A program error has occured\r\nError Number: " + std::to_string(error->number) +
                "\r\nError description: " + error->description);
    } else if (result <= 32) {
        p.svc.host.ShowMessage(MsgIcon::None, MsgButtons::Ok, title, "Unable to launch Browser.");
    }
}

} // namespace qz
