#pragma once
#include <string>

namespace qz {

// Local calendar time as the program sees it: activation and stop times, log time stamps, archive names.
struct LocalTime {
    int year = 2000; // four digits
    int month = 1;   // 1..12
    int day = 1;     // 1..31
    int hour = 0;    // 0..23
    int minute = 0;
    int second = 0;
};

class Clock {
  public:
    virtual ~Clock() = default;
    virtual LocalTime Now() const = 0;
};

// "dd-mmm-yy hh:mm:ss" with English month abbreviations, for example "05-Dec-26 10:30:00": the
// stamp of log entries and of the saved configuration.
std::string TimeStamp(const LocalTime& t);

// The machine's local time.
class SystemClock final : public Clock {
  public:
    LocalTime Now() const override;
};

} // namespace qz
