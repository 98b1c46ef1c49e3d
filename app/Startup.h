#pragma once
#include <string>

#include "core/Program.h"

namespace qz {

// The window the front end shows after Main.
enum class StartWindow { AlreadyRunning, Main };

// The program's entry: decides, through the single-instance guard "Quenzel", whether this copy
// may run. A copy may always run when p.rt.commandLine holds "-AllowMulti". The front end then
// creates AlreadyRunningScreen or the App (and runs its Load).
StartWindow Main(Program& p);

// Said after the "already running" box: which process holds the guard, and how to run beside it.
std::string AnotherCopyNote(Program& p);

// Takes the guard named name into p.rt.instanceHandle, or with release gives it back. True when
// another process already holds it.
bool CheckPrevInstance(Program& p, const std::string& name, bool release);

// The start option of the command line (see ReadOptions); none for a refused line.
StartOption ReadStartOption(const std::string& commandLine);

} // namespace qz
