#include "capfilter/CaptureParams.h"

#include <gtest/gtest.h>

#include <string>

using namespace sonark;

TEST(CaptureParams, StartAtZeroAndKeepWhatWasSet) {
    ResetCaptureParams();
    auto p = GetCaptureParams();
    EXPECT_EQ(p.enable, 0);
    EXPECT_EQ(p.timingMode, 0);
    EXPECT_EQ(p.dualAudio, 0);
    EXPECT_EQ(GetSourceName(), L"");

    SetCaptureParams(1, 4, 1, L"Stereo Mix (Realtek)");
    p = GetCaptureParams();
    EXPECT_EQ(p.enable, 1);
    EXPECT_EQ(p.timingMode, 4);
    EXPECT_EQ(p.dualAudio, 1);
    EXPECT_EQ(GetSourceName(), L"Stereo Mix (Realtek)");
}

TEST(CaptureParams, NameCopyIsBounded) {
    std::wstring longName(1500, L'x');
    SetCaptureParams(1, 1, 0, longName.c_str());
    EXPECT_EQ(GetSourceName(), std::wstring(999, L'x'));
    std::wstring exact(999, L'y');
    SetCaptureParams(1, 1, 0, exact.c_str());
    EXPECT_EQ(GetSourceName(), exact);
    SetCaptureParams(1, 1, 0, nullptr);
    EXPECT_EQ(GetSourceName(), L"");
    ResetCaptureParams();
}
