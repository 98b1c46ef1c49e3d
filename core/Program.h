#pragma once
#include <cstdint>
#include <string>

#include "core/Host.h"
#include "core/LinkState.h"
#include "core/MonitorState.h"
#include "core/Settings.h"
#include "core/StartOption.h"
#include "core/Version.h"
#include "platform/Clock.h"
#include "platform/FileSys.h"
#include "platform/PowerApi.h"
#include "platform/ProcessTable.h"
#include "platform/System.h"
#include "platform/UdpSocket.h"

namespace qz {

// The program's run-time record, shared by the program's parts on the one event thread.
struct RunState {
    // Start-up
    std::string commandLine;         // the arguments joined with single blanks
    std::string exeName = "quenzel"; // the executable's name without extension
    StartOption startOption = StartOption::None;
    std::string appTitle = "Quenzel";
    InstanceGuard::Handle instanceHandle = 0;

    // The main window and its timer
    int16_t tickPhase = 2;   // half-second ticks until the next monitor step
    bool timerOn = false;    // the main window's 500 ms timer
    bool screenOpen = false; // the About or the configuration screen
    int16_t aboutCloseCount = 60;
    int16_t configCloseCount = 60;
    bool setupFault = false;
    bool notConfigured = false;
    bool applyStartMinimised = true;

    // Window
    bool windowOverride = false;

    // Link
    std::string linkMark = "-"; // what the status line shows of the link
    std::string linkMessage = kResetMessage;
    int32_t boundPort = 0;
    int32_t peerPort = 0;

    // Configuration and log
    bool configSaved = false;
    std::string configText;
    std::string logLine;
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
