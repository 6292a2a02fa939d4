#pragma once
// Two screen grabs of the same area, as the motion search compares them:
// 32-bit pixels with the bytes blue, green, red and one unused, rows stored
// bottom-up (the first row in memory is the bottom row of the area).

#include <cstddef>
#include <cstdint>
#include <cstring>

struct FramePair {
    const uint8_t* a = nullptr;
    const uint8_t* b = nullptr;
    int width = 0;
    int height = 0;

    size_t PixelCount() const { return static_cast<size_t>(width) * static_cast<size_t>(height); }
};

inline uint32_t PixelValue(const uint8_t* frame, size_t index) {
    uint32_t value;
    std::memcpy(&value, frame + index * 4, sizeof value);
    return value;
}

// Changed: the blue, green or red byte differs between the grabs. Both builds
// run on x86, so the three colour bytes are the low 24 bits of the word.
inline bool PixelChanged(const FramePair& frames, size_t index) {
    return ((PixelValue(frames.a, index) ^ PixelValue(frames.b, index)) & 0x00FFFFFFu) != 0;
}
