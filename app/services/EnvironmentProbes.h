#pragma once
// The environment probes: Windows version, administrator rights, display
// layout, hardware for the log, and the pumped wait. GUI thread only.

#include <windows.h>

// Fills Env().VistaOrLater, NotWindows7 and VersionText.
void ProbeWindowsVersion();

// True when the process token is a member of the built-in Administrators group.
bool CheckAdmin();

// Fills the display geometry of Env() and writes the settings (the
// "Monitor" setting may change).
void RefreshDisplays();

// One block about the screen and processor for the diagnostic log; nothing
// when the processor key cannot be opened with full access.
void LogSystemInfo();

// Returns after `ms` milliseconds, dispatching window messages meanwhile;
// a quit message is posted again and ends the wait at once.
void WaitPumping(DWORD ms);
