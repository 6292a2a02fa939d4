#pragma once
// The sixteen values the recorder hands the capture filter, in the order of
// SetCaptureSettings, and the rules that refuse a call. Portable.

#include <cstdint>

namespace pixark {

struct CaptureSettings {
    int32_t frameRate = 30;
    int32_t bitCount = 32;
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 640;
    int32_t bottom = 480;
    int32_t mode = 1;
    int32_t bitRate = 0;
    int32_t constant9 = 1;
    int32_t cursor = 0;
    int32_t constant11 = 0;
    int32_t window = 0;  // a window handle's 32-bit value
    int32_t background = 0;
    int32_t constant14 = 0;
    int32_t scalePercent = 100;
    int32_t constant16 = 0;

    // Computed in 64 bits: a rectangle from INT32_MIN to INT32_MAX does not
    // overflow.
    int64_t Width() const { return int64_t{right} - left; }
    int64_t Height() const { return int64_t{bottom} - top; }
};

// Limits of what a call may ask for. A frame of the largest size stays well
// inside a 32-bit process (8192 x 8192 x 4 bytes = 256 MiB).
constexpr int32_t kMinFrameRate = 1;
constexpr int32_t kMaxFrameRate = 1000;
constexpr int64_t kMaxFrameSide = 8192;

enum class SettingsCheck {
    Ok,
    BadFrameRate,  // below 1 or above kMaxFrameRate
    BadBitCount,   // not 24 or 32
    BadRectangle,  // zero or negative width or height, or a side above kMaxFrameSide
};

SettingsCheck CheckSettings(const CaptureSettings& s);

// The scale a background capture uses: the given percent, or 100 for a
// value outside 10..1000 (the recorder leaves it undefined for some monitor
// settings, and such a value must not make a frame of nothing).
int32_t EffectiveScalePercent(const CaptureSettings& s);

}  // namespace pixark
