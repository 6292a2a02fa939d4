// Monitor selection's rules: the monitor texts, what the dialog shows and
// enables, what OK and "Reset markers" store and where the capture region
// lands.

#include "settings/MonitorPlacement.h"

#include <gtest/gtest.h>

namespace {

class MonitorPlacement : public ::testing::Test {
protected:
    void SetUp() override {
        BackgroundScale = 100;
        one.count = 1;
        one.desktop = ScreenRect{0, 0, 1920, 1080};
        two = one;
        two.count = 2;
        two.display2 = ScreenRect{1920, 0, 3200, 1024};
        two.display2Work = ScreenRect{1920, 0, 3200, 984};
        two.scale2 = 150;
    }
    void TearDown() override { BackgroundScale = 100; }

    MonitorDisplays one;
    MonitorDisplays two;
    SettingsRecord settings;
};

TEST_F(MonitorPlacement, OneMonitorUsesTheLaunchersPhysicalSize) {
    one.physicalWidth1 = 3840;
    one.physicalHeight1 = 2160;
    one.scale1 = 50;
    settings.Scale = 130;
    const MonitorTexts texts = ComputeMonitorTexts(one, settings);
    EXPECT_EQ(texts.text1, L"resolution: 3840x2160 scale: 50%");
    EXPECT_EQ(texts.text2, L"");
    EXPECT_EQ(texts.backgroundScale, 100);
}

TEST_F(MonitorPlacement, OneMonitorWithoutLauncherSizesUsesTheDesktop) {
    const MonitorTexts texts = ComputeMonitorTexts(one, settings);
    EXPECT_EQ(texts.text1, L"resolution: 1920x1080 scale: 100%");
}

TEST_F(MonitorPlacement, TwoMonitorsTexts) {
    two.scale2 = 149.9;
    const MonitorTexts texts = ComputeMonitorTexts(two, settings);
    EXPECT_EQ(texts.text1, L"resolution: 1920x1080 scale: 100%");
    EXPECT_EQ(texts.text2, L"resolution: 1280x1024 scale: 149%");
    two.physicalWidth2 = 2560;
    EXPECT_EQ(ComputeMonitorTexts(two, settings).text2, L"resolution: 2560x1024 scale: 149%");
}

TEST_F(MonitorPlacement, BackgroundScaleWithTwoMonitors) {
    two.scale1 = 125;
    two.scale2 = 250;
    settings.Monitor = 2;
    settings.HideWindow = 0;
    EXPECT_EQ(ComputeMonitorTexts(two, settings).backgroundScale, 100);
    settings.HideWindow = 1;
    EXPECT_EQ(ComputeMonitorTexts(two, settings).backgroundScale, 200);
    settings.Monitor = 1;
    EXPECT_EQ(ComputeMonitorTexts(two, settings).backgroundScale, 100);
    settings.Scale = 175;
    EXPECT_EQ(ComputeMonitorTexts(two, settings).backgroundScale, 175);
    settings.Monitor = 2;
    EXPECT_EQ(ComputeMonitorTexts(two, settings).backgroundScale, 175);
}

TEST_F(MonitorPlacement, BackgroundScaleWithScaleOneZeroCountsAsHundred) {
    two.scale1 = 0;
    two.scale2 = 150;
    settings.Monitor = 2;
    settings.HideWindow = 1;
    EXPECT_EQ(ComputeMonitorTexts(two, settings).backgroundScale, 150);
}

TEST_F(MonitorPlacement, CaptureRatio) {
    BackgroundScale = 150;
    EXPECT_DOUBLE_EQ(CaptureScaleRatio(2), 1.5);
    EXPECT_DOUBLE_EQ(CaptureScaleRatio(1), 1.0);
}

TEST_F(MonitorPlacement, OneMonitorDialog) {
    const MonitorDialogContents c = DialogContents(one, ComputeMonitorTexts(one, settings), 1);
    EXPECT_FALSE(c.monitor2Enabled);
    EXPECT_EQ(c.checked, 1);
    EXPECT_EQ(c.monitor1Text, L"(resolution: 1920x1080 scale: 100%)");
    EXPECT_EQ(c.monitor2Text, L"Not detected");
    EXPECT_EQ(c.mainDisplayText, L"Monitor #1 is the main display");
    EXPECT_FALSE(c.scaleLabelEnabled);
    EXPECT_FALSE(c.scaleBoxEnabled);
    EXPECT_EQ(c.scaleBoxValue, 100);
}

TEST_F(MonitorPlacement, TwoMonitorsDialog) {
    two.notWindows7 = true;
    const MonitorDialogContents c = DialogContents(two, ComputeMonitorTexts(two, settings), 2);
    EXPECT_TRUE(c.monitor2Enabled);
    EXPECT_EQ(c.checked, 2);
    EXPECT_EQ(c.monitor2Text, L"(resolution: 1280x1024 scale: 150%)");
    EXPECT_EQ(c.mainDisplayText, L"Monitor #1 is the main display");
    EXPECT_TRUE(c.scaleLabelEnabled);
    EXPECT_TRUE(c.scaleBoxEnabled);
    EXPECT_EQ(c.scaleBoxValue, 150);
}

TEST_F(MonitorPlacement, ScaleBoxNeedsAVersionOtherThanWindows7) {
    two.notWindows7 = false;
    const MonitorDialogContents c = DialogContents(two, ComputeMonitorTexts(two, settings), 1);
    EXPECT_TRUE(c.scaleLabelEnabled);
    EXPECT_FALSE(c.scaleBoxEnabled);
}

TEST_F(MonitorPlacement, SecondMonitorAtLeftZeroIsTheMainDisplay) {
    two.desktop = ScreenRect{-1920, 0, 0, 1080};
    two.display2 = ScreenRect{0, 0, 1280, 1024};
    EXPECT_EQ(DialogContents(two, ComputeMonitorTexts(two, settings), 1).mainDisplayText,
              L"Monitor #2 is the main display");
}

TEST_F(MonitorPlacement, NoValidMonitorSettingChecksNothing) {
    EXPECT_EQ(DialogContents(two, ComputeMonitorTexts(two, settings), 0).checked, 0);
    EXPECT_EQ(DialogContents(two, ComputeMonitorTexts(two, settings), 3).checked, 0);
}

TEST_F(MonitorPlacement, ScaleBoxValue) {
    two.scale1 = 0;
    two.scale2 = 150;
    EXPECT_EQ(DialogContents(two, ComputeMonitorTexts(two, settings), 1).scaleBoxValue, 150);
    two.scale1 = 200;
    two.scale2 = 1;  // truncates to 0, shown as 100
    EXPECT_EQ(DialogContents(two, ComputeMonitorTexts(two, settings), 1).scaleBoxValue, 100);
}

TEST_F(MonitorPlacement, ScaleBoxTextAsOkTakesIt) {
    EXPECT_EQ(ScaleBoxValue(L"150"), 150);
    EXPECT_EQ(ScaleBoxValue(L" 75 "), 75);
    EXPECT_EQ(ScaleBoxValue(L""), 100);
    EXPECT_EQ(ScaleBoxValue(L"0"), 100);
    EXPECT_EQ(ScaleBoxValue(L"abc"), 100);
    EXPECT_EQ(ScaleBoxValue(L"12x"), 100);
    EXPECT_EQ(ScaleBoxValue(L"-5"), 100);
    EXPECT_EQ(ScaleBoxValue(L"99999999999"), 100);
}

TEST_F(MonitorPlacement, OkWithNothingCheckedStoresNothing) {
    settings.Monitor = 2;
    settings.Scale = 120;
    EXPECT_FALSE(ApplyMonitorChoice(0, 150, settings));
    EXPECT_EQ(settings.Monitor, 2);
    EXPECT_EQ(settings.Scale, 120);
}

TEST_F(MonitorPlacement, OkWithMonitorOneLeavesTheScale) {
    settings.Monitor = 2;
    settings.Scale = 120;
    EXPECT_TRUE(ApplyMonitorChoice(1, 150, settings));
    EXPECT_EQ(settings.Monitor, 1);
    EXPECT_EQ(settings.Scale, 120);
    EXPECT_EQ(BackgroundScale, 100);
}

TEST_F(MonitorPlacement, OkWithMonitorTwoStoresTheScale) {
    settings.Monitor = 1;
    EXPECT_TRUE(ApplyMonitorChoice(2, 150, settings));
    EXPECT_EQ(settings.Monitor, 2);
    EXPECT_EQ(settings.Scale, 150);
    EXPECT_EQ(BackgroundScale, 150);
}

TEST_F(MonitorPlacement, MonitorOneRegionIsRelativeToTheDesktop) {
    one.desktop = ScreenRect{-50, 20, 1870, 1100};
    settings.Monitor = 1;
    PlaceCaptureRegion(one, settings);
    EXPECT_EQ(settings.xTop, 50);
    EXPECT_EQ(settings.yTop, 120);
    EXPECT_EQ(settings.xBottom, 550);
    EXPECT_EQ(settings.yBottom, 520);
    EXPECT_EQ(settings.FullScreen, 0);
}

TEST_F(MonitorPlacement, MonitorTwoRegionIsRelativeToTheSecondMonitor) {
    settings.Monitor = 2;
    PlaceCaptureRegion(two, settings);
    EXPECT_EQ(settings.xTop, 2020);
    EXPECT_EQ(settings.yTop, 100);
    EXPECT_EQ(settings.xBottom, 2520);
    EXPECT_EQ(settings.yBottom, 500);
}

TEST_F(MonitorPlacement, FullScreenTakesTheWholeMonitor) {
    settings.Monitor = 2;
    settings.FullScreen = 1;
    PlaceCaptureRegion(two, settings);
    EXPECT_EQ(settings.FullScreen, 2);
    EXPECT_EQ(settings.xTop, 1920);
    EXPECT_EQ(settings.yTop, 0);
    EXPECT_EQ(settings.xBottom, 3200);
    EXPECT_EQ(settings.yBottom, 1024);

    settings.Monitor = 1;
    PlaceCaptureRegion(two, settings);
    EXPECT_EQ(settings.FullScreen, 1);
    EXPECT_EQ(settings.xTop, 0);
    EXPECT_EQ(settings.yTop, 0);
    EXPECT_EQ(settings.xBottom, 1920);
    EXPECT_EQ(settings.yBottom, 1080);
}

TEST_F(MonitorPlacement, ResetMarkers) {
    settings.FullScreen = 2;
    settings.xTop = 1;
    ResetMarkers(settings);
    EXPECT_EQ(settings.FullScreen, 0);
    EXPECT_EQ(settings.xTop, 200);
    EXPECT_EQ(settings.yTop, 200);
    EXPECT_EQ(settings.xBottom, 800);
    EXPECT_EQ(settings.yBottom, 600);
}

}  // namespace
