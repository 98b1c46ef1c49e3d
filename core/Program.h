#pragma once
#include <cstdint>
#include <string>

#include "core/Host.h"
#include "core/Settings.h"
#include "core/Version.h"
#include "link/LinkState.h"
#include "platform/Clock.h"
#include "platform/FileSys.h"
#include "platform/PowerApi.h"
#include "platform/ProcessTable.h"
#include "platform/System.h"
#include "platform/UdpSocket.h"

namespace qz {

// The program's run-time record, shared by every subsystem on the one event thread.
struct RunState {
    // Start-up
    std::string CommandLine; // the arguments joined with single blanks
    std::string ExeName = "quenzel"; // the executable's name without extension
    int16_t CmdLineMode = 0; // 0 none, 1 -InhibitShutdown, 2 -AddErrorMessage, 3 -StartShutdown, 4 -InhibitAdmin
    std::string AppTitle = "Quenzel";
    InstanceGuard::Handle MutexHandle = 0;

    // Monitor
    int16_t MonState = 0; // 0 Initialise, 1 Run, 2 Shutdown
    int32_t CountSeconds = 0;
    int16_t IdleTicks = 0;
    int16_t RunSeconds = 0;
    int16_t LinkSilence = 0;
    int16_t LinkIdle = 1;
    int16_t NoActivity = 0;
    int16_t ShutTrigger = 0;
    int16_t ProcDelayWork = 0;
    int16_t DelTimeWork = 0;
    int16_t ComDelayWork = 0;
    int16_t ShutTimeWork = 0; // the countdown's length
    int32_t StopSeconds = 0;
    std::string ShutTypeName;
    bool TestMode = false;
    std::string ProcMarks = "-- -- -- ";
    std::string LinkMark = "-";
    int16_t TickPhase = 2;
    bool TimerEnabled = false; // the main window's 500 ms timer
    bool DialogOpen = false;
    int16_t AboutCloseCount = 60;
    int16_t ConfigCloseCount = 60;
    bool SetupFault = false;
    bool NotConfigured = false;
    bool ApplyStartMin = true;
    bool ScanFailing = false; // a failed process scan has been logged and not yet recovered

    // Window
    bool WindowOverride = false;

    // Link
    std::string LinkMessage = "<QZC000>";
    int32_t BoundPort = 0;
    int32_t PeerPort = 0;

    // Configuration and log
    bool ConfigSaved = false;
    std::string ConfigText;
    std::string LogLine;
};

// The services the program reaches the world through; the front end or a test supplies them.
struct Services {
    Host& host;
    Clock& clock;
    FileSys& files;
    ProcessTable& processes;
    PowerApi& power;
    UdpSocket& socket;
    NameResolver& resolver;
    InstanceGuard& guard;
    SystemServices& system;
};

// The program's shared state: one per running program, one per test.
struct Program {
    explicit Program(Services s) : svc(s) {}
    Settings set;
    RunState rt;
    LinkState link;
    Services svc;
};

} // namespace qz
