#pragma once
// Following the Skype call window: a thread that enumerates the top-level
// windows while no recording runs, the background mode, and the region kept
// on the tracked window.

#include <windows.h>

#include <string>

void StartTracking();
void StopTracking();

// The tracked Skype window's title, and the last conversation form's title;
// empty when none is tracked.
std::wstring TrackedTitleText();
std::wstring ConversationTitleText();

// Asks the tracking thread to end (a recording starts).
void EndTrackingThread();

// When no window is tracked, the window last clicked becomes the tracked one.
void AdoptLastClickedWindow();

// The title of the window the user last clicked; empty when none.
std::wstring LastClickedTitleText();

// Brings the tracked Skype window to the front.
void BringTrackedWindowToTop();

// Moves the tracked window fully onto its display.
void FitTrackedWindowOnDisplay();

// Removes the layered style from the tracked window.
void DropTrackedWindowLayering();

// Whether background recording is active.
bool BackgroundActive();

// The tracked Skype window; null when none is tracked.
HWND TrackedWindow();

// Display 2's scale relative to display 1's, in integer percent; 100 unless
// background recording runs on display 2.
int RelativeScale();

// The recorder tick's tracking duties: the one-shot background position
// check, the background scale update, and (no recording running) the
// capture-window tracking with the idle status texts.
void BackgroundPositionCheck();
void TrackingTick();
