#include <gtest/gtest.h>

#include <climits>
#include <thread>
#include <vector>

#include "companions/pixark/CaptureSettings.h"
#include "companions/pixark/FrameLayout.h"
#include "companions/pixark/SettingsStore.h"

namespace pixark {
namespace {

CaptureSettings Make(int32_t fps, int32_t bits, int32_t l, int32_t t, int32_t r, int32_t b) {
    CaptureSettings s;
    s.frameRate = fps;
    s.bitCount = bits;
    s.left = l;
    s.top = t;
    s.right = r;
    s.bottom = b;
    return s;
}

struct CheckCase {
    CaptureSettings s;
    SettingsCheck expected;
};

TEST(CaptureSettingsTest, RefusesWhatMakesNoFrame) {
    const CheckCase cases[] = {
        {Make(30, 32, 1, 1, 641, 481), SettingsCheck::Ok},
        {Make(1, 24, 0, 0, 8, 8), SettingsCheck::Ok},
        {Make(1000, 24, -8192, -10, 0, 8182), SettingsCheck::Ok},
        {Make(0, 32, 0, 0, 8, 8), SettingsCheck::BadFrameRate},
        {Make(-5, 32, 0, 0, 8, 8), SettingsCheck::BadFrameRate},
        {Make(1001, 32, 0, 0, 8, 8), SettingsCheck::BadFrameRate},
        {Make(30, 16, 0, 0, 8, 8), SettingsCheck::BadBitCount},
        {Make(30, 0, 0, 0, 8, 8), SettingsCheck::BadBitCount},
        {Make(30, 32, 100, 0, 100, 8), SettingsCheck::BadRectangle},  // zero width
        {Make(30, 32, 0, 100, 8, 100), SettingsCheck::BadRectangle},  // zero height
        {Make(30, 32, 200, 0, 100, 8), SettingsCheck::BadRectangle},  // negative width
        {Make(30, 32, 0, 50, 8, 10), SettingsCheck::BadRectangle},    // negative height
        {Make(30, 32, 0, 0, 8193, 8), SettingsCheck::BadRectangle},
        {Make(30, 32, INT_MIN, 0, INT_MAX, 8), SettingsCheck::BadRectangle},
        {Make(30, 32, INT_MAX, 0, INT_MIN, 8), SettingsCheck::BadRectangle},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CheckSettings(c.s), c.expected) << c.s.frameRate << " " << c.s.bitCount << " " << c.s.left << ","
                                                  << c.s.top << "," << c.s.right << "," << c.s.bottom;
}

TEST(CaptureSettingsTest, ScaleOutsideItsRangeIsOneHundred) {
    const std::pair<int32_t, int32_t> cases[] = {{100, 100}, {150, 150},  {10, 10}, {1000, 1000},
                                                 {9, 100},   {1001, 100}, {0, 100}, {-150, 100}};
    for (const auto& [given, used] : cases) {
        CaptureSettings s;
        s.scalePercent = given;
        EXPECT_EQ(EffectiveScalePercent(s), used) << given;
    }
}

TEST(FrameLayoutTest, RowsArePaddedToFourBytes) {
    EXPECT_EQ(FrameStride(640, 32), 2560u);
    EXPECT_EQ(FrameStride(640, 24), 1920u);
    EXPECT_EQ(FrameStride(5, 24), 16u);  // 15 bytes padded
    EXPECT_EQ(FrameStride(1, 24), 4u);
    EXPECT_EQ(FrameBytes(1920, 1080, 24), 6220800u);
    EXPECT_EQ(FrameBytes(1280, 720, 32), 3686400u);
    EXPECT_EQ(FrameBytes(5, 3, 24), 48u);
    EXPECT_EQ(FrameBytes(8192, 8192, 32), 268435456u);
    EXPECT_EQ(FrameBytes(0, 8, 32), 0u);
    EXPECT_EQ(FrameBytes(8, -1, 32), 0u);
    EXPECT_EQ(FrameBytes(8193, 8, 32), 0u);
    EXPECT_EQ(FrameBytes(8, 8, 16), 0u);
}

TEST(SettingsStoreTest, ALaterReaderGetsTheLastStore) {
    CaptureSettings first = Make(15, 24, 1, 2, 3, 4);
    first.window = 0x10042;
    first.scalePercent = 125;
    StoreSettings(first);
    const CaptureSettings got = LoadSettings();
    EXPECT_EQ(got.frameRate, 15);
    EXPECT_EQ(got.bitCount, 24);
    EXPECT_EQ(got.right, 3);
    EXPECT_EQ(got.window, 0x10042);
    EXPECT_EQ(got.scalePercent, 125);
    StoreSettings(Make(30, 32, 9, 9, 17, 17));
    EXPECT_EQ(LoadSettings().left, 9);
}

TEST(SettingsStoreTest, ConcurrentStoresNeverMixTwoCalls) {
    // Each writer stores settings whose fields all carry its own number; a
    // reader must never see fields of two different calls.
    StoreSettings(Make(9, 9, 9, 9, 9, 9));
    std::vector<std::thread> threads;
    for (int32_t w = 1; w <= 4; ++w)
        threads.emplace_back([w] {
            for (int i = 0; i < 2000; ++i) StoreSettings(Make(w, w, w, w, w, w));
        });
    bool torn = false;
    for (int i = 0; i < 4000; ++i) {
        const CaptureSettings s = LoadSettings();
        if (s.frameRate != s.bottom || s.left != s.top || s.bitCount != s.right) torn = true;
    }
    for (auto& t : threads) t.join();
    EXPECT_FALSE(torn);
}

}  // namespace
}  // namespace pixark
