#pragma once
// Builds BMP files byte by byte for the scaler tests, so each test states the
// exact input it feeds (and can break a header field on purpose).

#include <cstdint>
#include <vector>

namespace scalertest {

struct BmpLayout {
    int width = 1;
    int height = 1;  // negative: top-down
    int bitsPerPixel = 24;
    uint32_t clrUsed = 0;
    std::vector<uint8_t> palette;  // four bytes per entry, written after the headers
    // Each row's pixel bytes in file order, without padding; padded to the stride.
    std::vector<std::vector<uint8_t>> rows;
};

inline void Put(std::vector<uint8_t>& bytes, size_t at, uint32_t value, int size) {
    for (int i = 0; i < size; ++i) bytes[at + i] = static_cast<uint8_t>(value >> (8 * i));
}

inline uint32_t Get(const std::vector<uint8_t>& bytes, size_t at, int size) {
    uint32_t value = 0;
    for (int i = 0; i < size; ++i) value |= static_cast<uint32_t>(bytes[at + i]) << (8 * i);
    return value;
}

inline std::vector<uint8_t> MakeBmp(const BmpLayout& layout) {
    const size_t stride = (static_cast<size_t>(layout.width) * layout.bitsPerPixel + 31) / 32 * 4;
    const size_t offBits = 54 + layout.palette.size();
    std::vector<uint8_t> bytes(offBits);
    Put(bytes, 0, 0x4D42, 2);
    Put(bytes, 10, static_cast<uint32_t>(offBits), 4);
    Put(bytes, 14, 40, 4);
    Put(bytes, 18, static_cast<uint32_t>(layout.width), 4);
    Put(bytes, 22, static_cast<uint32_t>(layout.height), 4);
    Put(bytes, 26, 1, 2);
    Put(bytes, 28, static_cast<uint32_t>(layout.bitsPerPixel), 2);
    Put(bytes, 46, layout.clrUsed, 4);
    std::copy(layout.palette.begin(), layout.palette.end(), bytes.begin() + 54);
    for (const auto& row : layout.rows) {
        std::vector<uint8_t> padded(row);
        padded.resize(stride, 0);
        bytes.insert(bytes.end(), padded.begin(), padded.end());
    }
    Put(bytes, 2, static_cast<uint32_t>(bytes.size()), 4);
    Put(bytes, 34, static_cast<uint32_t>(bytes.size() - offBits), 4);
    return bytes;
}

// A 24-bit image whose every pixel is (blue, green, red) = (v, v, v), rows
// given bottom-up as in the file.
inline std::vector<uint8_t> GreyBmp(const std::vector<std::vector<uint8_t>>& rowsBottomUp) {
    BmpLayout layout;
    layout.width = static_cast<int>(rowsBottomUp[0].size());
    layout.height = static_cast<int>(rowsBottomUp.size());
    for (const auto& values : rowsBottomUp) {
        std::vector<uint8_t> row;
        for (uint8_t v : values) row.insert(row.end(), {v, v, v});
        layout.rows.push_back(row);
    }
    return MakeBmp(layout);
}

}  // namespace scalertest
