#include "companions/pixark/FrameLook.h"

#include <algorithm>
#include <cstring>

#include "companions/pixark/FrameLayout.h"

namespace pixark {

namespace {

constexpr uint64_t kPrime = 0x100000001B3ull;

// The bytes [from, to) of one row into the look, eight at a time.
void Add(const uint8_t* row, size_t from, size_t to, uint64_t colourMask, FrameLook& look) {
    size_t at = from;
    for (; at + 8 <= to; at += 8) {
        uint64_t word;
        std::memcpy(&word, row + at, 8);
        word &= colourMask;
        look.black = look.black && word == 0;
        look.digest = (look.digest ^ word) * kPrime;
    }
    for (; at < to; ++at) {
        const uint64_t byte = (colourMask >> (8 * ((at - from) % 8))) & row[at];
        look.black = look.black && byte == 0;
        look.digest = (look.digest ^ byte) * kPrime;
    }
}

}  // namespace

FrameLook LookAt(const uint8_t* bits, int32_t width, int32_t height, int32_t bitCount, const Rect& skip) {
    FrameLook look;
    look.digest = 0xCBF29CE484222325ull;
    if (!bits || width <= 0 || height <= 0 || (bitCount != 24 && bitCount != 32)) return look;
    const size_t stride = FrameStride(width, bitCount);
    const size_t pixel = static_cast<size_t>(bitCount / 8);
    // Little-endian BGRX: the fourth byte of each pixel is left out.
    const uint64_t mask = bitCount == 32 ? 0x00FFFFFF00FFFFFFull : ~0ull;
    const Rect cut = Intersect(skip, Rect{0, 0, width, height});
    for (int32_t y = 0; y < height; ++y) {
        const uint8_t* row = bits + static_cast<size_t>(height - 1 - y) * stride;
        const size_t end = static_cast<size_t>(width) * pixel;
        if (cut.Empty() || y < cut.top || y >= cut.bottom) {
            Add(row, 0, end, mask, look);
            continue;
        }
        Add(row, 0, static_cast<size_t>(cut.left) * pixel, mask, look);
        Add(row, static_cast<size_t>(cut.right) * pixel, end, mask, look);
    }
    return look;
}

}  // namespace pixark
