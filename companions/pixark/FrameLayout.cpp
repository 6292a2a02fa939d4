#include "companions/pixark/FrameLayout.h"

#include "companions/pixark/CaptureSettings.h"

namespace pixark {

uint32_t FrameStride(int64_t width, int32_t bitCount) {
    if (width <= 0 || width > kMaxFrameSide || (bitCount != 24 && bitCount != 32)) return 0;
    return static_cast<uint32_t>((width * bitCount + 31) / 32 * 4);
}

uint32_t FrameBytes(int64_t width, int64_t height, int32_t bitCount) {
    if (height <= 0 || height > kMaxFrameSide) return 0;
    return static_cast<uint32_t>(FrameStride(width, bitCount) * height);
}

}  // namespace pixark
