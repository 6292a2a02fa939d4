#pragma once
// What the clone preview hands its own screen-capture filter: the same 16
// values as the recording (ScreenCaptureArguments.h), set for a light live
// picture. Portable, so the table is tested without the filter.

#include <cstdint>

#include "graph/ScreenCaptureArguments.h"
#include "settings/Settings.h"

// In the filter's order: 5 frames per second, "Bitcount", "xTop", "yTop",
// "xBottom", "yBottom" as they stand, mode 100, bit rate 1000, 1, "Cursor",
// 0, the tracked window's 32-bit value, background (1 or 0), 0, the scale
// in percent, 0. The scale is relativeScale while background recording runs
// on the second display ("Monitor" 2), 100 otherwise.
ScreenCaptureArgumentList CloneCaptureArguments(const SettingsRecord& settings, std::int32_t trackedWindow,
                                                bool backgroundActive, int relativeScale);
