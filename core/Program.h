#pragma once
#include <cstdint>
#include <string>

#include "core/Host.h"
#include "core/LinkState.h"
#include "core/MonitorState.h"
#include "core/Settings.h"
#include "core/Version.h"
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
    std::string CommandLine;         // the arguments joined with single blanks
    std::string ExeName = "quenzel"; // the executable's name without extension
    int16_t CmdLineMode =
        0; // 0 none, 1 -InhibitShutdown, 2 -AddErrorMessage, 3 -StartShutdown, 4 -InhibitAdmin
    std::string AppTitle = "Quenzel";
    InstanceGuard::Handle MutexHandle = 0;

    // The main window and its timer
    int16_t TickPhase = 2;
    bool TimerEnabled = false; // the main window's 500 ms timer
    bool DialogOpen = false;
    int16_t AboutCloseCount = 60;
    int16_t ConfigCloseCount = 60;
    bool SetupFault = false;
    bool NotConfigured = false;
    bool ApplyStartMin = true;

    // Window
    bool WindowOverride = false;

    // Link
    int16_t LinkIdle = 1;       // 0: the peer was heard since the last monitor step
    std::string LinkMark = "-"; // what the status line shows of the link
    std::string LinkMessage = kResetMessage;
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
    MonitorState monitor;
    LinkState link;
    Services svc;
};

} // namespace qz
