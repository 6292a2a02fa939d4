#include <gtest/gtest.h>

#include "app/LauncherDisplays.h"

namespace {

TEST(LauncherDisplays, OneDisplayWithoutValuesTakesTheDesktop) {
    LauncherValues v;
    EXPECT_EQ(CheckLauncherDisplays(1, 1280, 1024, v), L"");
    EXPECT_EQ(v.x1, 1280);
    EXPECT_EQ(v.y1, 1024);
    EXPECT_EQ(v.w1, 1280);
    EXPECT_EQ(DisplayScale1(1280, v.w1, 150), 100);
}

TEST(LauncherDisplays, TwoDisplaysWithoutValues) {
    LauncherValues v;
    EXPECT_EQ(CheckLauncherDisplays(2, 1280, 1024, v),
              L"Telvane could not determine your displays resolution. Make sure the file kq.exe was used to start the "
              L"program.");
    EXPECT_EQ(v.w1, 0);
    EXPECT_EQ(DisplayScale1(1280, v.w1, 125), 125);  // the "Size" setting
    EXPECT_DOUBLE_EQ(DisplayScale2(1024, v.w2), 100.0);
}

TEST(LauncherDisplays, SecondDisplayWidthMissing) {
    LauncherValues v;
    v.w1 = 2560;
    EXPECT_EQ(CheckLauncherDisplays(3, 1280, 1024, v),
              L"Telvane could not determine your second display resolution. Make sure the file KQ.exe was used to "
              L"start the program.");
    LauncherValues known;
    known.w1 = 2560;
    known.w2 = 1920;
    EXPECT_EQ(CheckLauncherDisplays(2, 1280, 1024, known), L"");
    EXPECT_EQ(known.x1, 0);  // values given: nothing filled in
}

TEST(LauncherDisplays, ScalesFromPhysicalWidths) {
    EXPECT_EQ(DisplayScale1(1280, 2560, 100), 50);
    EXPECT_EQ(DisplayScale1(1707, 2560, 100), 66);  // integer percent
    EXPECT_DOUBLE_EQ(DisplayScale2(1280, 1920), 1280 * 100.0 / 1920);
}

}  // namespace
