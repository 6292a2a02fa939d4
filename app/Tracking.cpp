#include "app/Tracking.h"

// Not built yet: no window is followed and background mode never starts.

void StartTracking() {}

void StopTracking() {}

void EndTrackingThread() {}

void AdoptLastClickedWindow() {}

bool BackgroundActive() { return false; }

HWND TrackedWindow() { return nullptr; }

int RelativeScale() { return 100; }

void BackgroundPositionCheck() {}

void TrackingTick() {}

std::wstring TrackedTitleText() { return std::wstring(); }

std::wstring ConversationTitleText() { return std::wstring(); }

std::wstring LastClickedTitleText() { return std::wstring(); }

void BringTrackedWindowToTop() {}

void FitTrackedWindowOnDisplay() {}

void DropTrackedWindowLayering() {}
