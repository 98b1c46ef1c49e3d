#include "screens/StartupChecks.h"

#include <cctype>
#include <cstdlib>

namespace qz {

namespace {

std::string TitleName(std::string_view word) {
    std::string name(word);
    if (!name.empty())
        name.front() = static_cast<char>(std::toupper(static_cast<unsigned char>(name.front())));
    return name;
}

std::string Joined(std::string_view dir, std::string_view file) {
    std::string path(dir);
    path += file;
    return path;
}

} // namespace

void EndWithMessage(Program& p, MsgIcon icon, const std::string& title, const std::string& text) {
    p.rt.TimerEnabled = false;
    p.svc.host.ShowMessage(icon, MsgButtons::Ok, title, text);
    p.svc.host.RemoveTrayIcon();
    p.svc.host.EndProgram(1);
    // The call is virtual, so the compiler cannot see that it never returns.
    std::abort();
}

void EndUnchecked(Program& p, MsgIcon icon, const std::string& title, std::string_view subject,
                  const PathCheck& check) {
    EndWithMessage(p, icon, title,
                   "Unable to check the " + std::string(subject) + " " + check.path + ".\r\n" + check.reason +
                       ".\r\nThe program will now terminate.");
}

void CheckDataDir(Program& p, std::string_view name) {
    const PathCheck check = p.svc.files.CheckFolder(Joined(name, "\\"));
    if (check.state == PathCheck::State::Present) return;
    const std::string n(name);
    const std::string title = p.rt.AppTitle + " " + TitleName(name) + " Directory Error";
    if (check.state == PathCheck::State::Unknown)
        EndUnchecked(p, MsgIcon::Critical, title, n + " directory", check);
    EndWithMessage(p, MsgIcon::Critical, title,
                   "The " + n +
                       " directory does not exist.\r\n"
                       "To restore the " +
                       n +
                       " directory\r\n"
                       "reinstall the program.\r\n"
                       "The program will now terminate.");
}

void CheckConfigFile(Program& p, std::string_view kind, std::string_view dir, std::string_view file) {
    const PathCheck check = p.svc.files.CheckFile(Joined(dir, file));
    if (check.state == PathCheck::State::Present) return;
    const std::string n(kind);
    const std::string title = p.rt.AppTitle + " " + TitleName(kind) + " File Error";
    if (check.state == PathCheck::State::Unknown)
        EndUnchecked(p, MsgIcon::Critical, title, n + " file", check);
    EndWithMessage(p, MsgIcon::Critical, title,
                   "The " + n +
                       " file is either missing or\r\n"
                       "corrupted. To restore the " +
                       n +
                       " file\r\n"
                       "reinstall the program.\r\n"
                       "The program will now terminate.");
}

void CheckLogDir(Program& p, std::string_view path) {
    const PathCheck check = p.svc.files.CheckFolder(path);
    if (check.state == PathCheck::State::Present) return;
    const std::string title = p.rt.AppTitle + " Log Directory Error";
    if (check.state == PathCheck::State::Unknown)
        EndUnchecked(p, MsgIcon::Critical, title, "log directory", check);
    EndWithMessage(p, MsgIcon::Critical, title,
                   "The log directory does not exist. This\r\n"
                   "directory must be created manually if\r\n"
                   "it is not the default one. To restore\r\n"
                   "the default log directory reinstall\r\n"
                   "the program.\r\n"
                   "The program will now terminate.");
}

void CheckLogFile(Program& p, std::string_view kind, std::string_view dir, std::string_view file) {
    const PathCheck check = p.svc.files.CheckFile(Joined(dir, file));
    if (check.state == PathCheck::State::Present) return;
    const std::string n(kind);
    const std::string title = p.rt.AppTitle + " " + TitleName(kind) + " File Error";
    if (check.state == PathCheck::State::Unknown)
        EndUnchecked(p, MsgIcon::Exclamation, title, n + " file", check);
    EndWithMessage(p, MsgIcon::Exclamation, title,
                   "The " + n +
                       " file is either missing or\r\n"
                       "corrupted. Delete the " +
                       n +
                       " file if\r\n"
                       "it exists and restart the program.\r\n"
                       "The program will now terminate.");
}

} // namespace qz
