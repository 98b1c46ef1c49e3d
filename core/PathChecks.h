#pragma once
#include <string>
#include <string_view>

#include "core/Fault.h"
#include "platform/FileSys.h"

namespace qz {

// The folders and files the program cannot run without. Each check passes when its folder or file
// is there, and otherwise gives the fault that names it, with the system's reason when the system
// could not tell.
namespace path_checks {

inline Fault Unchecked(MsgIcon icon, std::string title, std::string_view subject, const PathCheck& check) {
    return {icon, std::move(title),
            "Unable to check the " + std::string(subject) + " " + check.path + ".\r\n" + check.reason +
                ".\r\nThe program will now terminate."};
}

inline Result<void> Check(const PathCheck& check, MsgIcon icon, const std::string& title,
                          std::string_view subject, const std::string& missing) {
    if (check.state == PathCheck::State::Present) return {};
    if (check.state == PathCheck::State::Unknown) return Unchecked(icon, title, subject, check);
    return Fault{icon, title, missing + "The program will now terminate."};
}

} // namespace path_checks

inline Result<void> CheckDataDir(const FileSys& files) {
    return path_checks::Check(files.CheckFolder("data\\"), MsgIcon::Critical, "Data Directory Error",
                              "data directory",
                              "The data directory does not exist.\r\nTo restore the data directory\r\n"
                              "reinstall the program.\r\n");
}

inline Result<void> CheckConfigFile(const FileSys& files, std::string_view path) {
    return path_checks::Check(files.CheckFile(path), MsgIcon::Critical, "Configuration File Error",
                              "configuration file",
                              "The configuration file is either missing or\r\ncorrupted. To restore the "
                              "configuration file\r\nreinstall the program.\r\n");
}

inline Result<void> CheckLogDir(const FileSys& files, std::string_view folder) {
    return path_checks::Check(
        files.CheckFolder(folder), MsgIcon::Critical, "Log Directory Error", "log directory",
        "The log directory does not exist. This\r\ndirectory must be created manually if\r\n"
        "it is not the default one. To restore\r\nthe default log directory reinstall\r\n"
        "the program.\r\n");
}

inline Result<void> CheckLogFile(const FileSys& files, std::string_view path) {
    return path_checks::Check(files.CheckFile(path), MsgIcon::Exclamation, "Log File Error", "log file",
                              "The log file is either missing or\r\ncorrupted. Delete the log file if\r\n"
                              "it exists and restart the program.\r\n");
}

// The log folder and then the log file.
inline Result<void> CheckLogExists(const FileSys& files, const std::string& folder, const std::string& name) {
    if (Result<void> dir = CheckLogDir(files, folder); !dir) return dir;
    return CheckLogFile(files, folder + name);
}

} // namespace qz
