#pragma once
// The byte layout of an uncompressed RGB frame: rows padded to 4 bytes, as
// a device-independent bitmap has them. Portable.

#include <cstdint>

namespace pixark {

// Bytes of one row; 0 for a width or bit count that makes no frame.
uint32_t FrameStride(int64_t width, int32_t bitCount);
// Bytes of the whole frame; 0 when it cannot be made.
uint32_t FrameBytes(int64_t width, int64_t height, int32_t bitCount);

}  // namespace pixark
