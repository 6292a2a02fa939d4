#include <gtest/gtest.h>

#include <vector>

#include "app/services/DisplayLayout.h"

namespace {

MonitorArea Monitor(int l, int t, int r, int b) { return MonitorArea{{l, t, r, b}, {l, t, r, b - 40}}; }

TEST(DisplayLayout, OneMonitorIsTheDesktop) {
    int monitorSetting = 2;
    const ScreenRect desktop{0, 0, 1280, 1024};
    DisplayLayout previous;
    previous.display2 = {5, 5, 6, 6};
    const DisplayLayout layout = SelectDisplays({}, 1280, 1024, desktop, previous, monitorSetting);
    EXPECT_EQ(layout.displayCount, 1);
    EXPECT_EQ(layout.display1, desktop);
    EXPECT_EQ(monitorSetting, 1);
    EXPECT_EQ(layout.display2, (ScreenRect{5, 5, 6, 6}));  // untouched
}

TEST(DisplayLayout, SecondDisplayRightOfThePrimary) {
    int monitorSetting = 0;
    const std::vector<MonitorArea> monitors = {Monitor(0, 0, 1920, 1080), Monitor(1920, 0, 3200, 1024)};
    const DisplayLayout layout = SelectDisplays(monitors, 1920, 1080, {0, 0, 1920, 1080}, {}, monitorSetting);
    EXPECT_EQ(layout.displayCount, 2);
    EXPECT_EQ(layout.display1, (ScreenRect{0, 0, 1920, 1080}));
    EXPECT_EQ(layout.display2, (ScreenRect{1920, 0, 3200, 1024}));
    EXPECT_EQ(layout.display2Work, (ScreenRect{1920, 0, 3200, 984}));
    EXPECT_EQ(monitorSetting, 1);
}

TEST(DisplayLayout, SecondDisplayLeftOfThePrimaryIsFoundThroughTheFarLeftPoint) {
    int monitorSetting = 0;
    // The left monitor is listed first, so the far-right point finds the
    // primary and the far-left point must be tried.
    const std::vector<MonitorArea> monitors = {Monitor(-1280, 0, 0, 1024), Monitor(0, 0, 1920, 1080)};
    const DisplayLayout layout = SelectDisplays(monitors, 1920, 1080, {0, 0, 1920, 1080}, {}, monitorSetting);
    EXPECT_EQ(layout.displayCount, 2);
    EXPECT_EQ(layout.display1, (ScreenRect{0, 0, 1920, 1080}));
    EXPECT_EQ(layout.display2, (ScreenRect{-1280, 0, 0, 1024}));
    EXPECT_EQ(monitorSetting, 1);
}

TEST(DisplayLayout, MonitorSettingIsKeptOnceChosen) {
    int monitorSetting = 2;
    const std::vector<MonitorArea> monitors = {Monitor(0, 0, 1920, 1080), Monitor(1920, 0, 3200, 1024)};
    SelectDisplays(monitors, 1920, 1080, {0, 0, 1920, 1080}, {}, monitorSetting);
    EXPECT_EQ(monitorSetting, 2);
}

TEST(DisplayLayout, TwoEntriesForOneMonitorCountAsOne) {
    int monitorSetting = 2;
    const std::vector<MonitorArea> monitors = {Monitor(0, 0, 1920, 1080), Monitor(0, 0, 1920, 1080)};
    const DisplayLayout layout = SelectDisplays(monitors, 1920, 1080, {0, 0, 1920, 1080}, {}, monitorSetting);
    EXPECT_EQ(layout.displayCount, 1);
    EXPECT_EQ(monitorSetting, 1);
}

TEST(NearestMonitor, InsideWinsThenDistance) {
    const std::vector<MonitorArea> monitors = {Monitor(0, 0, 100, 100), Monitor(100, 0, 200, 100)};
    EXPECT_EQ(NearestMonitor(monitors, 150, 50), 1);
    EXPECT_EQ(NearestMonitor(monitors, 99, 99), 0);
    EXPECT_EQ(NearestMonitor(monitors, 20000, 500), 1);
    EXPECT_EQ(NearestMonitor(monitors, -20000, 500), 0);
    EXPECT_EQ(NearestMonitor({}, 0, 0), -1);
}

}  // namespace
