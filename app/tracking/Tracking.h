#pragma once
// Following the Skype call window: a thread that enumerates the top-level
// windows while no recording runs and learns the Skype windows' titles, and
// the recorder tick's share (the tracked window, background mode, the
// capture region kept on the tracked window, the idle status line). The
// rules are portable (TrackingRules.h, TrackingTicker.h); this is the Win32
// side around them.

#include <windows.h>

#include <string>

#include "graph/RecorderLink.h"

// Clears both stop flags and starts the tracking thread (unless one runs).
void StartTracking();
// Sets both stop flags: the thread ends.
void StopTracking();

// The tracked Skype window's title, and the last conversation form's title;
// empty when none is tracked. Frozen while a recording runs.
std::wstring TrackedTitleText();
std::wstring ConversationTitleText();

// Sets the first stop flag (a recording starts): the thread ends.
void EndTrackingThread();

// Not built yet (marking): when no window is tracked, the window last
// clicked becomes the tracked one. Does nothing today.
void AdoptLastClickedWindow();

// Not built yet (marking): the title of the window the user last clicked;
// empty today.
std::wstring LastClickedTitleText();

// "Show main window": brings the window titled as the tracked one to the front.
void BringTrackedWindowToTop();

// Before a motion search: moves the window titled as the tracked one off the
// left edge of its display (narrowing it), then waits a second, pumping.
void FitTrackedWindowOnDisplay();

// Not built yet (marking): removes the layered style from the tracked
// window. Does nothing today.
void DropTrackedWindowLayering();

// BackgroundActive, TrackedWindow and RelativeScale: graph/RecorderLink.h.

// The recorder tick's tracking duties: the one-shot background position
// check (tick step 2), and the background scale update followed, while no
// recording runs, by the capture-window tracking and the idle status texts
// (tick step 5).
void BackgroundPositionCheck();
void TrackingTick();
