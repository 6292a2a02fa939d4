#pragma once
// Pairs of grabs made by hand: a still background and rectangles whose
// pixels differ between the two grabs. Coordinates are the screen's (x from
// the left, y from the top); the buffers keep rows bottom-up as the grabs do.

#include <cstdint>
#include <vector>

#include "app/services/Geometry.h"
#include "region/FramePair.h"

struct Rgb {
    uint8_t red, green, blue;
};

constexpr Rgb kGrey{128, 128, 128};
constexpr Rgb kVideoA{200, 40, 40};
constexpr Rgb kVideoB{40, 200, 40};

class SyntheticFrames {
public:
    SyntheticFrames(int width, int height, Rgb background = kGrey)
        : m_width(width), m_height(height), m_a(Bytes(), 0), m_b(Bytes(), 0) {
        Fill(m_a, ScreenRect{0, 0, width, height}, background);
        Fill(m_b, ScreenRect{0, 0, width, height}, background);
    }

    // The rectangle (right and bottom exclusive) shows colour a in the first
    // grab and colour b in the second.
    void Change(const ScreenRect& rect, Rgb a = kVideoA, Rgb b = kVideoB) {
        Fill(m_a, rect, a);
        Fill(m_b, rect, b);
    }
    // The same colour in both grabs: a still picture.
    void Still(const ScreenRect& rect, Rgb colour) {
        Fill(m_a, rect, colour);
        Fill(m_b, rect, colour);
    }

    FramePair Pair() const { return FramePair{m_a.data(), m_b.data(), m_width, m_height}; }
    std::vector<uint8_t>& A() { return m_a; }
    std::vector<uint8_t>& B() { return m_b; }
    // The memory index of a screen pixel.
    size_t Index(int x, int y) const {
        return static_cast<size_t>(m_height - 1 - y) * static_cast<size_t>(m_width) + static_cast<size_t>(x);
    }

    static void Fill(std::vector<uint8_t>& frame, int width, int height, const ScreenRect& rect, Rgb colour) {
        for (int y = rect.top; y < rect.bottom; ++y)
            for (int x = rect.left; x < rect.right; ++x) {
                uint8_t* p = &frame[(static_cast<size_t>(height - 1 - y) * width + x) * 4];
                p[0] = colour.blue;
                p[1] = colour.green;
                p[2] = colour.red;
                p[3] = 0;
            }
    }

private:
    size_t Bytes() const { return static_cast<size_t>(m_width) * static_cast<size_t>(m_height) * 4; }
    void Fill(std::vector<uint8_t>& frame, const ScreenRect& rect, Rgb colour) {
        Fill(frame, m_width, m_height, rect, colour);
    }

    int m_width;
    int m_height;
    std::vector<uint8_t> m_a;
    std::vector<uint8_t> m_b;
};
