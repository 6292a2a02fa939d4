#include <gtest/gtest.h>

#include <ostream>

#include "companions/pixark/CaptureGeometry.h"

namespace pixark {

std::ostream& operator<<(std::ostream& os, const Rect& r) {
    return os << "(" << r.left << "," << r.top << "," << r.right << "," << r.bottom << ")";
}

namespace {

const Rect kScreen{0, 0, 1280, 1024};

struct ScreenCase {
    Rect capture;
    bool any, covered;
    Rect dst, src;
};

TEST(CaptureGeometryTest, ScreenBlitClipsToTheVirtualScreen) {
    const ScreenCase cases[] = {
        {{100, 50, 420, 290}, true, true, {0, 0, 320, 240}, {100, 50, 420, 290}},
        {{-100, 0, 220, 240}, true, false, {100, 0, 320, 240}, {0, 0, 220, 240}},          // left off
        {{1200, 900, 1360, 1020}, true, false, {0, 0, 80, 120}, {1200, 900, 1280, 1020}},  // right off
        {{1200, 980, 1360, 1100}, true, false, {0, 0, 80, 44}, {1200, 980, 1280, 1024}},   // corner
        {{2000, 0, 2320, 240}, false, false, {}, {}},                                      // wholly off
        {{-320, -240, 0, 0}, false, false, {}, {}},                                        // touches only
        {{0, 0, 1280, 1024}, true, true, {0, 0, 1280, 1024}, {0, 0, 1280, 1024}},
        {{5, 5, 5, 100}, false, false, {}, {}},  // no width
    };
    for (const auto& c : cases) {
        const BlitPlan p = PlanScreenBlit(c.capture, kScreen);
        EXPECT_EQ(p.any, c.any) << c.capture;
        EXPECT_EQ(p.covered, c.covered) << c.capture;
        EXPECT_EQ(p.dst, c.dst) << c.capture;
        EXPECT_EQ(p.src, c.src) << c.capture;
    }
}

TEST(CaptureGeometryTest, ScreenBlitOnAVirtualScreenLeftOfThePrimary) {
    const Rect screen{-1920, 0, 1280, 1080};
    const BlitPlan p = PlanScreenBlit(Rect{-2000, 100, -1600, 400}, screen);
    EXPECT_FALSE(p.covered);
    EXPECT_EQ(p.dst, (Rect{80, 0, 400, 300}));
    EXPECT_EQ(p.src, (Rect{-1920, 100, -1600, 400}));
}

struct WindowCase {
    Rect capture, window;
    int32_t scale;
    bool any, covered;
    Rect dst, src;
};

TEST(CaptureGeometryTest, WindowBlitReadsWindowPixels) {
    const Rect win{200, 100, 600, 400};  // 400 x 300 client on the screen
    const WindowCase cases[] = {
        // The window's client area exactly, at 100 %.
        {{200, 100, 600, 400}, win, 100, true, true, {0, 0, 400, 300}, {0, 0, 400, 300}},
        // Inside the window.
        {{250, 150, 350, 250}, win, 100, true, true, {0, 0, 100, 100}, {50, 50, 150, 150}},
        // Starting left of the window: black on the left.
        {{150, 100, 350, 200}, win, 100, true, false, {50, 0, 200, 100}, {0, 0, 150, 100}},
        // 200 %: 100 x 50 window pixels fill 200 x 100.
        {{200, 100, 400, 200}, win, 200, true, true, {0, 0, 200, 100}, {0, 0, 100, 50}},
        // 50 %: 800 x 600 would be needed, the window has 400 x 300.
        {{200, 100, 600, 400}, win, 50, true, false, {0, 0, 200, 150}, {0, 0, 400, 300}},
        // 150 % of a rectangle that does not divide evenly: the span reaches
        // the frame's edge.
        {{200, 100, 301, 201}, win, 150, true, true, {0, 0, 101, 101}, {0, 0, 67, 67}},
        // Beyond the window.
        {{700, 100, 800, 200}, win, 100, false, false, {}, {}},
        {{200, 100, 600, 400}, Rect{}, 100, false, false, {}, {}},
    };
    for (const auto& c : cases) {
        const BlitPlan p = PlanWindowBlit(c.capture, c.window, c.scale);
        EXPECT_EQ(p.any, c.any) << c.capture << " " << c.scale;
        EXPECT_EQ(p.covered, c.covered) << c.capture << " " << c.scale;
        EXPECT_EQ(p.dst, c.dst) << c.capture << " " << c.scale;
        EXPECT_EQ(p.src, c.src) << c.capture << " " << c.scale;
    }
}

TEST(CaptureGeometryTest, ShiftedHoldsEachEdgeInside32Bits) {
    const struct {
        Rect r;
        int64_t dx, dy;
        Rect moved;
    } cases[] = {
        {{100, 100, 516, 348}, 100, 50, {200, 150, 616, 398}},
        {{100, 100, 516, 348}, -150, -120, {-50, -20, 366, 228}},
        {{INT32_MAX - 10, 0, INT32_MAX, 10}, 20, 0, {INT32_MAX, 0, INT32_MAX, 10}},
        {{INT32_MIN, INT32_MIN, 0, 0}, -1, INT64_MIN / 2, {INT32_MIN, INT32_MIN, -1, INT32_MIN}},
    };
    for (const auto& c : cases) EXPECT_EQ(Shifted(c.r, c.dx, c.dy), c.moved) << c.r << " " << c.dx << "," << c.dy;
}

TEST(CaptureGeometryTest, IntersectOfDisjointIsEmpty) {
    EXPECT_EQ(Intersect(Rect{0, 0, 10, 10}, Rect{10, 0, 20, 10}), Rect{});
    EXPECT_EQ(Intersect(Rect{0, 0, 10, 10}, Rect{5, 5, 20, 20}), (Rect{5, 5, 10, 10}));
}

}  // namespace
}  // namespace pixark
