#pragma once
// Stage 3 of start-up, on the recorder window's first tick: COM and the
// graphs, settings again, audio checks, hotkey, tracking, theme helper and
// preview. And the one way the program ends.

class WinDlg;

void DeferredInit(WinDlg& recorder);

// The recorder window's cancel operation: asks first while a recording runs,
// then stops everything and ends the process with exit code 0. Settings are
// not written here; every change was written when it happened.
void CloseProgram();
