#pragma once
#include <map>
#include <string>
#include <string_view>

namespace qz::test {

// The configuration file's text from key values as the file holds them (times of day in file
// form, 10000 + hh * 100 + mm). Keys left alone describe a working stand-alone main station.
class IniFile {
  public:
    IniFile& Set(const std::string& key, const std::string& value);
    IniFile& Set(const std::string& key, int value) { return Set(key, std::to_string(value)); }
    std::string Text() const;

  private:
    std::map<std::string, std::string> values_;
};

// The file with each key of a list "Key=value;Key=value" set to its value.
IniFile With(IniFile file, std::string_view list);

} // namespace qz::test
