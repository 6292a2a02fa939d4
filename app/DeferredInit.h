#pragma once
// Stage 3 of start-up, on the recorder window's first tick: COM and the
// graphs, settings again, audio checks, hotkey, tracking, theme helper and
// preview. And the one way the program ends.

class WinDlg;

void DeferredInit(WinDlg& recorder);

// CloseProgram and CloseProgramWithoutAsking: app/services/ProgramExit.h.
#include "app/services/ProgramExit.h"
