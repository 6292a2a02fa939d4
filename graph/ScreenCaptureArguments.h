#pragma once
// What the recorder hands the screen-capture filter's SetCaptureSettings:
// 16 32-bit values, in the filter's order, taken from the settings, the
// tracked window and the background mode. Portable, so the table is tested
// without the filter.

#include <array>
#include <cstddef>
#include <cstdint>

#include "settings/Settings.h"

constexpr std::size_t kScreenCaptureArgumentCount = 16;
using ScreenCaptureArgumentList = std::array<std::int32_t, kScreenCaptureArgumentCount>;

// The arguments, in order: frame rate ("Frame Rate" truncated: 29.97 gives
// 29), "Bitcount", "xTop", "yTop", "xBottom", "yBottom", "Protocol",
// "Video Bitrate", 1, "Cursor", 0, the tracked window's 32-bit value,
// background (1 or 0), 0, the scale in percent, 0.
//
// The scale is 100 unless background recording is engaged on the second
// display ("Monitor" 2), where it is display2Scale truncated. The filter
// gives a "Monitor" other than 1 or 2 no meaning, so that case also passes
// 100, the scale of an unscaled display.
//
// A frame rate or scale that is not a number gives 0; values beyond the
// 32-bit range give its nearest end.
ScreenCaptureArgumentList ScreenCaptureArguments(const SettingsRecord& settings, std::int32_t trackedWindow,
                                                 bool backgroundActive, double display2Scale);

// A floating-point value truncated toward zero into the 32-bit range, 0 for
// a value that is not a number.
std::int32_t TruncateToInt32(double value);
