#include "tests/support/IniFile.h"

#include <sstream>

namespace qz::test {
namespace {

struct Key {
    const char* section; // the header the key follows, if it opens a section
    const char* name;
    const char* value;
};

constexpr Key kKeys[] = {
    {"[Comms]", "CMain", "1"},     {nullptr, "ComDelay", "5"},
    {nullptr, "DName", "1"},       {nullptr, "IPAdd", ""},
    {nullptr, "Port1", "10001"},   {nullptr, "Port2", "10000"},
    {"[Run]", "Del_On", "1"},      {nullptr, "DelTime", "60"},
    {nullptr, "LogLevel", "2"},    {nullptr, "LogName", "Quenzel.log"},
    {nullptr, "LogPath", "Log\\"}, {nullptr, "Proc1", "worker.exe"},
    {nullptr, "Proc2", ""},        {nullptr, "Proc3", ""},
    {nullptr, "ProcDelay", "5"},   {nullptr, "RunOnTop", "1"},
    {nullptr, "StartDelay", "2"},  {nullptr, "StartMin", "1"},
    {nullptr, "StartTime", "1"},   {nullptr, "StopTime", "10000"},
    {nullptr, "Stop_On", "1"},     {"[Shutdown]", "Force", "1"},
    {nullptr, "ShutTime", "3"},    {nullptr, "ShutType", "3"},
    {nullptr, "UserExit", "1"},
};

} // namespace

IniFile& IniFile::Set(const std::string& key, const std::string& value) {
    values_[key] = value;
    return *this;
}

std::string IniFile::Text() const {
    std::string text = "# Quenzel Version 1.6\r\n# Configuration File\r\n";
    for (const Key& k : kKeys) {
        if (k.section) text += std::string("\r\n") + k.section + "\r\n";
        auto it = values_.find(k.name);
        text += std::string(k.name) + "=" + (it != values_.end() ? it->second : k.value) + "\r\n";
    }
    return text;
}

IniFile With(IniFile file, std::string_view list) {
    std::istringstream items{std::string(list)};
    for (std::string item; std::getline(items, item, ';');)
        file.Set(item.substr(0, item.find('=')), item.substr(item.find('=') + 1));
    return file;
}

} // namespace qz::test
