#include <gtest/gtest.h>

#include "app/window/WinDlgLayout.h"

namespace {

TEST(WinDlgLayout, UiScaleFromTheSizeSetting) {
    EXPECT_DOUBLE_EQ(UiScale(100), 1.0);
    EXPECT_DOUBLE_EQ(UiScale(150), 1.5);
    EXPECT_DOUBLE_EQ(UiScale(0), 1.2);
    EXPECT_DOUBLE_EQ(UiScale(300), 2.5);
    EXPECT_DOUBLE_EQ(UiScale(250), 2.5);
}

TEST(WinDlgLayout, PositionNeedsTwoNonZeroNumbers) {
    int x = -7, y = -7;
    EXPECT_TRUE(ParsePosition(L"300,200", x, y));
    EXPECT_EQ(x, 300);
    EXPECT_EQ(y, 200);
    EXPECT_TRUE(ParsePosition(L"-1500, 40", x, y));
    EXPECT_EQ(x, -1500);
    EXPECT_EQ(y, 40);
    x = y = -7;
    for (const wchar_t* bad : {L"0,200", L"300,0", L"", L"300", L",", L"a,b", L"300;200"})
        EXPECT_FALSE(ParsePosition(bad, x, y)) << static_cast<int>(std::wstring_view(bad).size());
    EXPECT_EQ(x, -7);  // untouched
}

TEST(WinDlgLayout, DefaultCornerAboveTheTaskbar) {
    int x = 0, y = 0;
    DefaultPlacement({0, 0, 1280, 1024}, 212, 152, 1.0, 40, x, y);
    EXPECT_EQ(x, 1280 - 212 - 100);
    EXPECT_EQ(y, 1024 - 152 - 40 - 50);
    // Each product is cut to an integer before it is subtracted.
    DefaultPlacement({0, 0, 1920, 1080}, 212, 152, 1.25, 41, x, y);
    EXPECT_EQ(x, 1920 - 212 - 125);
    EXPECT_EQ(y, 1080 - 152 - 51 - 62);
}

TEST(WinDlgLayout, SmallLayoutAtScaleOne) {
    const SmallLayout l = ComputeSmallLayout(210, 150, 1.0);
    EXPECT_EQ(l.header, (ScreenRect{0, 0, 210, 30}));
    EXPECT_EQ(l.close, (ScreenRect{191, 3, 208, 22}));
    EXPECT_EQ(l.minimise, (ScreenRect{174, 3, 191, 22}));
    // U = 210 / 3.973 = 52.857..., R = 150 / 7 = 21.
    EXPECT_EQ(l.settings, (ScreenRect{0, 30, 52, 51}));
    EXPECT_EQ(l.record, (ScreenRect{53, 30, 105, 51}));
    EXPECT_EQ(l.play, (ScreenRect{106, 30, 158, 51}));
    EXPECT_EQ(l.mark, (ScreenRect{159, 30, 210, 51}));
    EXPECT_EQ(l.status, (ScreenRect{0, 135, 210, 150}));
    EXPECT_EQ(l.buttonFontHeight, 9);
    EXPECT_EQ(l.statusFontHeight, 10);
}

TEST(WinDlgLayout, SmallLayoutAtScaleOneAndAHalf) {
    const SmallLayout l = ComputeSmallLayout(315, 225, 1.5);
    EXPECT_EQ(l.header, (ScreenRect{0, 0, 315, 45}));
    // 17 x 1.5 = 25.5 -> 25; 3.5 x 1.5 x 1.5 = 7.875 -> 7; 22 x 1.5 = 33.
    EXPECT_EQ(l.close, (ScreenRect{288, 7, 313, 33}));
    EXPECT_EQ(l.minimise, (ScreenRect{263, 7, 288, 33}));
    // U = 79.285..., R = 32.
    EXPECT_EQ(l.settings, (ScreenRect{0, 45, 79, 77}));
    EXPECT_EQ(l.record, (ScreenRect{80, 45, 158, 77}));
    EXPECT_EQ(l.play, (ScreenRect{159, 45, 237, 77}));
    EXPECT_EQ(l.mark, (ScreenRect{238, 45, 315, 77}));
    EXPECT_EQ(l.status, (ScreenRect{0, 203, 315, 225}));
    EXPECT_EQ(LargeStatusRect(580, 250, 1.5), (ScreenRect{1, 225, 508, 250}));
}

// The default "Size" 0 scales by 1.2, whose double lies just below 1.2:
// the products must come out as written (30 x 1.2 = 36), in the 32-bit
// Windows build as natively.
TEST(WinDlgLayout, SmallLayoutAtTheDefaultScale) {
    const SmallLayout l = ComputeSmallLayout(252, 180, UiScale(0));
    EXPECT_EQ(l.header, (ScreenRect{0, 0, 252, 36}));
    // 17 x 1.2 = 20.4 -> 20; 3.5 x 1.44 = 5.04 -> 5; 22 x 1.2 = 26.4 -> 26.
    EXPECT_EQ(l.close, (ScreenRect{230, 5, 250, 26}));
    EXPECT_EQ(l.settings, (ScreenRect{0, 36, 63, 61}));
    EXPECT_EQ(LargeStatusRect(580, 250, UiScale(0)), (ScreenRect{1, 230, 523, 250}));
    EXPECT_EQ(TruncatePixels(30 * UiScale(0)), 36);
}

TEST(WinDlgLayout, CaptionClicks) {
    // Small layout: the header strip drags.
    EXPECT_EQ(HitOnButtonDown(true, 10, 5, 1.0), CaptionHit::Drag);
    EXPECT_EQ(HitOnButtonDown(true, 0, 5, 1.0), CaptionHit::None);
    EXPECT_EQ(HitOnButtonDown(true, 10, 40, 1.0), CaptionHit::None);
    // Large layout: close, minimise and the drag strip, scaled.
    EXPECT_EQ(HitOnButtonDown(false, 495, 10, 1.0), CaptionHit::Close);
    EXPECT_EQ(HitOnButtonDown(false, 470, 10, 1.0), CaptionHit::Minimise);
    EXPECT_EQ(HitOnButtonDown(false, 100, 10, 1.0), CaptionHit::Drag);
    EXPECT_EQ(HitOnButtonDown(false, 10, 5, 1.0), CaptionHit::None);
    EXPECT_EQ(HitOnButtonDown(false, 740, 20, 1.5), CaptionHit::Close);
    EXPECT_TRUE(CloseReleaseHit(495, 17, 1.0));
    EXPECT_FALSE(CloseReleaseHit(495, 18, 1.0));  // the release area is shorter
    EXPECT_TRUE(MinimiseReleaseHit(481, 20, 1.0));
    EXPECT_FALSE(MinimiseReleaseHit(482, 20, 1.0));
}

}  // namespace
