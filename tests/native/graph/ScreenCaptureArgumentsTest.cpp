// The 16 values handed to the screen-capture filter, and the names shown
// for a failed AddFilter.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <string>

#include "graph/FailureNames.h"
#include "graph/ScreenCaptureArguments.h"
#include "settings/Settings.h"

namespace {

SettingsRecord RecordingSettings() {
    SettingsRecord s;
    s.FrameRate = 15.0f;
    s.Bitcount = 32;
    s.xTop = -1;
    s.yTop = 7;
    s.xBottom = 639;
    s.yBottom = 487;
    s.Protocol = 1;
    s.VideoBitrate = 450;
    s.Cursor = 1;
    s.Monitor = 1;
    return s;
}

TEST(ScreenCaptureArguments, AreTheSettingsInTheFiltersOrder) {
    const ScreenCaptureArgumentList args = ScreenCaptureArguments(RecordingSettings(), 0x000A01F2, true, 150.0);
    const ScreenCaptureArgumentList expected = {15, 32, -1, 7, 639, 487, 1, 450, 1, 1, 0, 0x000A01F2, 1, 0, 100, 0};
    EXPECT_EQ(args, expected);

    SettingsRecord s = RecordingSettings();
    s.Cursor = 0;
    s.Bitcount = 24;
    s.Protocol = 4;
    const ScreenCaptureArgumentList noCursor = ScreenCaptureArguments(s, 0, false, 100.0);
    const ScreenCaptureArgumentList expectedNoCursor = {15, 24, -1, 7, 639, 487, 4, 450, 1, 0, 0, 0, 0, 0, 100, 0};
    EXPECT_EQ(noCursor, expectedNoCursor);
}

TEST(ScreenCaptureArguments, FrameRateIsTruncated) {
    const struct {
        float rate;
        std::int32_t passed;
    } cases[] = {{23.97f, 23}, {29.97f, 29}, {30.0f, 30}, {59.94f, 59}, {0.5f, 0}, {0.0f, 0}};
    for (const auto& c : cases) {
        SettingsRecord s = RecordingSettings();
        s.FrameRate = c.rate;
        EXPECT_EQ(ScreenCaptureArguments(s, 0, false, 100.0)[0], c.passed) << c.rate;
    }
}

TEST(ScreenCaptureArguments, ScaleFollowsBackgroundAndMonitor) {
    const struct {
        bool background;
        int monitor;
        double display2Scale;
        std::int32_t background13;
        std::int32_t scale15;
    } cases[] = {
        // Without background recording the scale is 100 whatever "Monitor" says.
        {false, 1, 125.0, 0, 100},
        {false, 2, 125.0, 0, 100},
        {false, 3, 125.0, 0, 100},
        {false, 0, 175.5, 0, 100},
        // Background on the second display: its scale, truncated.
        {true, 2, 125.0, 1, 125},
        {true, 2, 149.99, 1, 149},
        {true, 2, 100.0, 1, 100},
        // Background on the first display: unscaled.
        {true, 1, 125.0, 1, 100},
        // Any other "Monitor": the filter knows no meaning for it, 100 is passed.
        {true, 0, 125.0, 1, 100},
        {true, 3, 125.0, 1, 100},
        {true, -2, 125.0, 1, 100},
    };
    for (const auto& c : cases) {
        SettingsRecord s = RecordingSettings();
        s.Monitor = c.monitor;
        const ScreenCaptureArgumentList args = ScreenCaptureArguments(s, 0x1234, c.background, c.display2Scale);
        EXPECT_EQ(args[12], c.background13) << c.background << " " << c.monitor;
        EXPECT_EQ(args[14], c.scale15) << c.background << " " << c.monitor << " " << c.display2Scale;
        EXPECT_EQ(args[11], 0x1234);
    }
}

TEST(ScreenCaptureArguments, ValuesOutsideTheIntegerRangeAreBounded) {
    SettingsRecord s = RecordingSettings();
    s.FrameRate = std::numeric_limits<float>::quiet_NaN();
    EXPECT_EQ(ScreenCaptureArguments(s, 0, false, 100.0)[0], 0);
    s.FrameRate = 1e20f;
    EXPECT_EQ(ScreenCaptureArguments(s, 0, false, 100.0)[0], std::numeric_limits<std::int32_t>::max());
    s.FrameRate = -std::numeric_limits<float>::infinity();
    EXPECT_EQ(ScreenCaptureArguments(s, 0, false, 100.0)[0], std::numeric_limits<std::int32_t>::min());

    s = RecordingSettings();
    s.Monitor = 2;
    EXPECT_EQ(ScreenCaptureArguments(s, 0, true, std::nan(""))[14], 0);
    EXPECT_EQ(ScreenCaptureArguments(s, 0, true, 1e12)[14], std::numeric_limits<std::int32_t>::max());
    EXPECT_EQ(ScreenCaptureArguments(s, 0, true, -0.9)[14], 0);
}

TEST(AddFilterFailureName, NamesTheKnownCodesOnly) {
    const struct {
        std::uint32_t hr;
        const wchar_t* name;
    } cases[] = {
        {0x8004022Du, L"VFW_E_DUPLICATE_NAME"},
        {0x80004003u, L"E_POINTER"},
        {0x80040295u, L"VFW_E_CERTIFICATION_FAILURE "},
        {0x8007000Eu, L"E_OUTOFMEMORY"},
        {0x80004005u, L"E_FAIL"},
        {0x80070057u, L""},  // E_INVALIDARG
        {0x80004002u, L""},  // E_NOINTERFACE
        {0x8004022Cu, L""},
        {0u, L""},
        {1u, L""},
    };
    for (const auto& c : cases) EXPECT_EQ(std::wstring(AddFilterFailureName(c.hr)), c.name) << std::hex << c.hr;
}

}  // namespace
