#pragma once
// Start-up values kept for the whole run and the one-shot flags of the
// start-up stages. GUI thread only.

#include <string>

#include "app/CmdLineInfo.h"

struct StartupState {
    // The program's folder, no trailing backslash; also the current folder,
    // so ".\name" is a file beside the program.
    std::wstring ProgramFolder;
    LauncherValues Launcher;
    int DisplayScale1 = 100;     // percent
    double DisplayScale2 = 100;  // percent
    bool SystemInfoLogged = false;
    bool SilenceHelperStarted = false;
    bool DeferredInitDone = false;
    bool Closing = false;
};

StartupState& Startup();
