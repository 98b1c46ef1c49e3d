#pragma once
#include <cstdint>
#include <string>
#include <string_view>

#include "core/Fault.h"
#include "core/Settings.h"
#include "platform/Clock.h"
#include "platform/FileSys.h"

namespace qz {

// What a log line shows after its event; the program passes it in.
struct LogMarks {
    bool testMode = false; // the event is marked "*"
    int32_t count = 0;
    std::string processMarks; // at the Full level
    std::string linkMark;     // at the Full level, with an address of more than three characters
};

// Makes the log with its header when it is not there yet. Nothing at the None level.
Result<void> CreateLog(const FileSys& files, const Settings& s, const std::string& appTitle,
                       const LocalTime& now);

// The start-up header (the title, the version and at the Full level the configuration) and the
// configuration block written after an update.
std::string LogStartHeader(const Settings& s, const std::string& appTitle, const std::string& configText);
std::string LogUpdateBlock(const std::string& configText);

// "05-Dec-26 22:30:00,  Enter    , Run       , Count:    0" and the marks at the Full level.
std::string LogEventLine(const Settings& s, const LocalTime& now, std::string_view event,
                         std::string_view detail, const LogMarks& marks);

// Appends a block to the existing log. Nothing at the None level.
Result<void> AppendLog(const FileSys& files, const Settings& s, const std::string& block);

} // namespace qz
