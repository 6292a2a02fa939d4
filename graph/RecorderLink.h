#pragma once
// What the recording and preview graphs read of the recorder around them:
// the Skype call window that tracking follows and its background mode. The
// application shell implements it (app/tracking); the graph tests define
// their own.

#include <windows.h>

// Whether background recording is active: a Skype window is tracked, not
// minimised, and "HideWindow" is on.
bool BackgroundActive();

// The tracked Skype window; null when none is tracked. Frozen while a
// recording runs.
HWND TrackedWindow();

// Display 2's scale relative to display 1's, in integer percent; 100 unless
// background recording runs on display 2.
int RelativeScale();
