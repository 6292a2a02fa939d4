// Where the clone preview's video goes in the recorder window, and the
// settings it hands its own screen-capture filter.

#include <gtest/gtest.h>

#include <cstdint>

#include "app/window/WinDlgLayout.h"
#include "graph/CloneCaptureArguments.h"
#include "graph/ClonePreviewPlacement.h"
#include "settings/Settings.h"

namespace {

struct Placed {
    int left, top, width, height;
    friend bool operator==(const Placed& a, const Placed& b) {
        return a.left == b.left && a.top == b.top && a.width == b.width && a.height == b.height;
    }
};

Placed AsPlaced(const ScreenRect& r) { return {r.left, r.top, r.Width(), r.Height()}; }

void PrintTo(const Placed& p, std::ostream* os) {
    *os << p.left << ", " << p.top << ", " << p.width << " x " << p.height;
}

TEST(ClonePreviewPlacement, LargeLayoutIsTheScaledVideoArea) {
    const struct {
        int size;  // the "Size" setting
        Placed expected;
    } cases[] = {
        {100, {195, 39, 301, 137}}, {150, {292, 58, 451, 205}}, {0, {234, 46, 361, 164}},  // "Size" 0 scales by 1.2
        {125, {243, 48, 376, 171}},  // 243.75, 48.75, 376.25, 171.25
        {300, {487, 97, 752, 342}},  // capped at 2.5
    };
    for (const auto& c : cases) {
        // The client area and the status line do not move the large layout's video.
        for (const int clientWidth : {0, 678, 1200}) {
            EXPECT_EQ(AsPlaced(ClonePreviewRect(0, clientWidth, 300, UiScale(c.size), 49, 17)), c.expected)
                << "Size " << c.size << ", client width " << clientWidth;
        }
    }
}

TEST(ClonePreviewPlacement, SmallLayoutFillsFromTheButtonRowToTheStatusLine) {
    const struct {
        int miniClone;
        int w, h;
        double scale;
        Placed expected;
    } cases[] = {
        // Row top 30 + a seventh of 135 (19) = 49; the status line is 13 high.
        {1, 207, 135, 1.0, {0, 49, 208, 73}},
        // 45 + 28 = 73; status 20 high.
        {1, 310, 202, 1.5, {0, 73, 311, 109}},
        {2, 310, 202, 1.5, {0, 73, 311, 109}},
        {-1, 207, 135, 1.0, {0, 49, 208, 73}},
    };
    for (const auto& c : cases) {
        const SmallLayout layout = ComputeSmallLayout(c.w, c.h, c.scale);
        EXPECT_EQ(
            AsPlaced(ClonePreviewRect(c.miniClone, c.w, c.h, c.scale, layout.record.bottom, layout.status.Height())),
            c.expected)
            << c.w << " x " << c.h << " at " << c.scale;
    }
}

TEST(ClonePreviewPlacement, SmallLayoutEndsAtTheStatusLineAtEveryScale) {
    for (const int size : {0, 100, 125, 150, 175, 200, 250}) {
        const double scale = UiScale(size);
        const int w = static_cast<int>(207 * scale), h = static_cast<int>(135 * scale);
        const SmallLayout layout = ComputeSmallLayout(w, h, scale);
        const ScreenRect placed = ClonePreviewRect(1, w, h, scale, layout.record.bottom, layout.status.Height());
        EXPECT_EQ(placed.left, 0) << size;
        EXPECT_EQ(placed.Width(), w + 1) << size;
        EXPECT_EQ(placed.bottom, layout.status.top) << size;
    }
}

TEST(ClonePreviewPlacement, SmallLayoutTakesTheStatusControlAsItIs) {
    // A status line taller than the room left gives a negative height, as
    // the window's own numbers say; the video window then shows nothing.
    EXPECT_EQ(AsPlaced(ClonePreviewRect(1, 207, 135, 1.0, 49, 0)), (Placed{0, 49, 208, 86}));
    EXPECT_EQ(AsPlaced(ClonePreviewRect(1, 207, 135, 1.0, 49, 100)), (Placed{0, 49, 208, -14}));
}

SettingsRecord PreviewSettings() {
    SettingsRecord s;
    // What the recording would pass differently: none of it reaches the preview.
    s.FrameRate = 29.97f;
    s.Protocol = 1;
    s.VideoBitrate = 350;
    s.Bitcount = 32;
    s.xTop = -1;
    s.yTop = 7;
    s.xBottom = 639;
    s.yBottom = 487;
    s.Cursor = 1;
    s.Monitor = 1;
    return s;
}

TEST(CloneCaptureArguments, AreThePreviewsValuesInTheFiltersOrder) {
    const ScreenCaptureArgumentList expected = {5, 32, -1, 7, 639, 487, 100, 1000, 1, 1, 0, 0x000A01F2, 0, 0, 100, 0};
    EXPECT_EQ(CloneCaptureArguments(PreviewSettings(), 0x000A01F2, false, 150), expected);

    SettingsRecord s = PreviewSettings();
    s.Bitcount = 24;
    s.Cursor = 0;
    s.xTop = 100;
    s.yTop = 101;
    s.xBottom = 421;
    s.yBottom = 341;
    const ScreenCaptureArgumentList other = {5, 24, 100, 101, 421, 341, 100, 1000, 1, 0, 0, 0, 0, 0, 100, 0};
    EXPECT_EQ(CloneCaptureArguments(s, 0, false, 100), other);
}

TEST(CloneCaptureArguments, ScaleIsTheRelativeScaleOnlyInBackgroundOnTheSecondDisplay) {
    const struct {
        bool background;
        int monitor;
        std::int32_t background13;
        std::int32_t scale15;
    } cases[] = {
        {false, 1, 0, 100}, {false, 2, 0, 100}, {true, 1, 1, 100}, {true, 2, 1, 150}, {true, 3, 1, 100},
    };
    for (const auto& c : cases) {
        SettingsRecord s = PreviewSettings();
        s.Monitor = c.monitor;
        const ScreenCaptureArgumentList a = CloneCaptureArguments(s, 0x0003029A, c.background, 150);
        EXPECT_EQ(a[11], 0x0003029A);
        EXPECT_EQ(a[12], c.background13) << c.background << " " << c.monitor;
        EXPECT_EQ(a[14], c.scale15) << c.background << " " << c.monitor;
    }
}

}  // namespace
