// Stands in for the text editor: writes its command line to the file the rest of it names, plus ".seen".
#include <windows.h>

#include <fstream>
#include <string>

int main() {
    const std::string line = GetCommandLineA();
    const size_t nameEnd = line.starts_with('"') ? line.find('"', 1) : line.find(' ');
    const size_t fileStart =
        nameEnd == std::string::npos ? nameEnd : line.find_first_not_of(' ', nameEnd + 1);
    if (fileStart != std::string::npos)
        std::ofstream(line.substr(fileStart) + ".seen", std::ios::binary) << line;
}
