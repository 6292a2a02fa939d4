#pragma once
// Waits that keep the GUI thread's windows alive: messages are dispatched
// (through the same PreTranslateMessage walk as the main loop) while the
// wait lasts, so handlers can run inside the wait. A WM_QUIT met on the way
// is posted again for the main loop and ends the wait early.

#include <windows.h>

// Dispatches every message already queued; false if WM_QUIT was met.
bool PumpPendingMessages();

// Pumps for about `ms` milliseconds; false if WM_QUIT ended it early.
bool PumpFor(DWORD ms);

// Waits up to `ms` for `handle` to be signalled while pumping. Returns
// WAIT_OBJECT_0, WAIT_TIMEOUT, or WAIT_ABANDONED when WM_QUIT ended it.
DWORD PumpedWaitFor(HANDLE handle, DWORD ms);
