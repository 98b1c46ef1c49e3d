#pragma once
#include <string>

namespace qz {

enum class MonitorPhase { Initialise, Run, Shutdown };

// The delays the monitor works with: the configured ones, or the short ones of a trial or a test run.
struct MonitorDelays {
    int idle = 0;      // seconds without a watched process
    int fixed = 0;     // seconds of monitoring until the fixed delay forces the countdown
    int link = 0;      // seconds of the main station's silence a slave waits for
    int countdown = 0; // the countdown's length
};

// The monitor's state. Only the program's Monitor writes it; the log reads the count and the marks.
struct MonitorState {
    MonitorPhase phase = MonitorPhase::Initialise;
    // Initialise: seconds to activation. Run: seconds without activity. Shutdown: seconds counted down.
    int countSeconds = 0;
    int idleSeconds = 0;      // up to delays.idle
    int runSeconds = 0;       // up to delays.fixed
    int linkSilence = 0;      // up to delays.link
    bool idle = false;        // the last scan found no watched process
    bool triggered = false;   // the fixed time or the fixed delay forces the countdown
    bool scanFailing = false; // a failed process scan has been logged and not yet recovered
    bool testMode = false;
    int stopSecond = 0; // the fixed time as a second of the day
    MonitorDelays delays;
    std::string actionName;                 // "Shutdown", "Power Off", ...
    std::string processMarks = "-- -- -- "; // which of the three watched names run: "P1 .. P3 "
};

} // namespace qz
