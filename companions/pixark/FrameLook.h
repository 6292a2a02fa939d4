#pragma once
// What a captured frame looks like to the choice of how to read a window:
// uniformly black or not, and a digest that tells it from the frame before.
// Portable.

#include <cstdint>

#include "companions/pixark/CaptureGeometry.h"

namespace pixark {

struct FrameLook {
    bool black = true;    // every colour byte zero
    uint64_t digest = 0;  // of the colour bytes; equal for equal frames
};

// `bits`: bottom-up rows, each padded to 4 bytes, of width x height pixels
// at 24 or 32 bits (the fourth byte is not colour). `skip` (frame pixels,
// top-left origin; the pointer drawn into the frame) is left out.
FrameLook LookAt(const uint8_t* bits, int32_t width, int32_t height, int32_t bitCount, const Rect& skip);

}  // namespace pixark
