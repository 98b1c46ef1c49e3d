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

void CheckDataDir(Program& p, std::string_view name) {
    if (p.svc.files.FolderExists(Joined(name, "\\"))) return;
    const std::string n(name);
    EndWithMessage(p, MsgIcon::Critical, p.rt.AppTitle + " " + TitleName(name) + " Directory Error",
                   "The " + n +
                       " directory does not exist.\r\n"
                       "To restore the " +
                       n +
                       " directory\r\n"
                       "reinstall the program.\r\n"
                       "The program will now terminate.");
}

void CheckConfigFile(Program& p, std::string_view kind, std::string_view dir, std::string_view file) {
    if (p.svc.files.FileExists(Joined(dir, file))) return;
    const std::string n(kind);
    EndWithMessage(p, MsgIcon::Critical, p.rt.AppTitle + " " + TitleName(kind) + " File Error",
                   "The " + n +
                       " file is either missing or\r\n"
                       "corrupted. To restore the " +
                       n +
                       " file\r\n"
                       "reinstall the program.\r\n"
                       "The program will now terminate.");
}

void CheckLogDir(Program& p, std::string_view path) {
    if (p.svc.files.FolderExists(path)) return;
    EndWithMessage(p, MsgIcon::Critical, p.rt.AppTitle + " Log Directory Error",
                   "The log directory does not exist. This\r\n"
                   "directory must be created manually if\r\n"
                   "it is not the default one. To restore\r\n"
                   "the default log directory reinstall\r\n"
                   "the program.\r\n"
                   "The program will now terminate.");
}

void CheckLogFile(Program& p, std::string_view kind, std::string_view dir, std::string_view file) {
    if (p.svc.files.FileExists(Joined(dir, file))) return;
    const std::string n(kind);
    EndWithMessage(p, MsgIcon::Exclamation, p.rt.AppTitle + " " + TitleName(kind) + " File Error",
                   "The " + n +
                       " file is either missing or\r\n"
                       "corrupted. Delete the " +
                       n +
                       " file if\r\n"
                       "it exists and restart the program.\r\n"
                       "The program will now terminate.");
}

} // namespace qz
