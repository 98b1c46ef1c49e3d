#pragma once
#include <array>
#include <string>

namespace qz {

// A station's part on the link: a main station (or one standing alone) watches the processes and
// commands its slave; a slave follows its main station.
enum class Role { Main, Slave };

// What the countdown ends in. The order is the file's and the lists': the first three end the
// session with an exit call, Monitor only closes the program, the last two put the machine to sleep.
enum class ShutdownType { PowerOff, Reboot, Shutdown, Monitor, Hibernate, Standby };

enum class LogLevel { None, Normal, Full };

// When monitoring starts: activationDelay seconds after the start, or at the time of day it holds.
enum class ActivationMode { AfterDelay, AtTimeOfDay };

// The configuration as the program uses it. Only the configuration reader fills it, and only with
// values it has checked. Times of day are hh * 100 + mm.
struct Settings {
    // Link
    Role role = Role::Main;
    int linkDelay = 0;       // seconds a slave waits for its main station
    bool peerByName = false; // peerAddress is a domain name rather than an IP address
    std::string peerAddress; // empty: no link
    int slavePort = 0;       // the port a slave listens on and its main station sends to
    int mainPort = 0;        // the port a main station listens on and its slave sends to

    // Monitoring
    bool fixedDelayOn = false; // shut down after fixedDelay seconds whatever runs
    int fixedDelay = 0;
    LogLevel logLevel = LogLevel::Normal;
    std::string logName;
    std::string logFolder;                   // ends with its separator
    std::array<std::string, 3> processNames; // empty names watch nothing
    int processDelay = 0;                    // seconds without a watched process before the countdown
    bool runOnTop = false;
    bool startMinimised = false;
    ActivationMode activation = ActivationMode::AfterDelay;
    int activationDelay = 0; // seconds, or a time of day with ActivationMode::AtTimeOfDay
    bool stopTimeOn = false; // shut down at stopTime as well
    int stopTime = 0;        // a time of day

    // Shutdown
    bool force = false;    // close applications without asking
    int shutdownDelay = 0; // the countdown's length in seconds
    ShutdownType shutdownType = ShutdownType::PowerOff;
    bool exitAdminOnly = false; // only administrators may end the program

    bool operator==(const Settings&) const = default;
};

} // namespace qz
