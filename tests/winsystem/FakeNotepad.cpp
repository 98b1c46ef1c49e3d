// Stands in for the text editor: writes the command line it was started with to the file named by
// the rest of that line, with ".seen" appended. The editor takes the whole rest as one file name.
#include <windows.h>

#include <fstream>
#include <string>

int main() {
    const std::string line = GetCommandLineA();
    const size_t nameEnd = line.empty()     ? std::string::npos
                           : line[0] == '"' ? line.find('"', 1)
                                            : line.find(' ');
    if (nameEnd == std::string::npos) return 0;
    const size_t fileStart = line.find_first_not_of(' ', nameEnd + 1);
    if (fileStart == std::string::npos) return 0;
    std::ofstream(line.substr(fileStart) + ".seen", std::ios::binary) << line;
    return 0;
}
