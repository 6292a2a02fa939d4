// The setup dialog's rules: what it shows when it opens, the recording
// boxes that keep one checked, what OK stores for them and the capture
// commands of its menu bar with their check marks.

#include <gtest/gtest.h>

#include "settings/SetupOptions.h"

namespace {

ScreenRect RegionOf(const SettingsRecord& s) { return {s.xTop, s.yTop, s.xBottom, s.yBottom}; }

TEST(SetupOptions, ContentsWhenTheDialogOpens) {
    const struct {
        int maxFileTime, audioOnly, videoOnly;
        const wchar_t* duration;
        RecordBoxes boxes;
        int audioAfter, videoAfter;
    } cases[] = {
        {5400, 0, 0, L"01:30:00", {true, true}, 0, 0}, {0, 1, 0, L"", {false, true}, 1, 0},
        {-1, 0, 1, L"", {true, false}, 0, 1},          {90000, 1, 1, L"25:00:00", {false, true}, 1, 0},
        {59, 0, 0, L"00:00:59", {true, true}, 0, 0},
    };
    for (const auto& c : cases) {
        SettingsRecord s;
        s.MaxFileTime = c.maxFileTime;
        s.AudioOnly = c.audioOnly;
        s.VideoOnly = c.videoOnly;
        s.Size = 125;
        const SetupContents contents = ReadSetupContents(s);
        EXPECT_EQ(contents.duration, c.duration) << c.maxFileTime;
        EXPECT_EQ(contents.scale, L"125");
        EXPECT_TRUE(contents.boxes == c.boxes) << c.maxFileTime;
        EXPECT_EQ(s.AudioOnly, c.audioAfter) << c.maxFileTime;
        EXPECT_EQ(s.VideoOnly, c.videoAfter) << c.maxFileTime;
    }
}

TEST(SetupOptions, OneRecordingBoxStaysChecked) {
    const RecordBoxes both{true, true}, video{true, false}, audio{false, true};
    EXPECT_TRUE(ClickRecordAudio(both) == video);
    EXPECT_TRUE(ClickRecordAudio(audio) == video);
    EXPECT_TRUE(ClickRecordAudio(video) == both);
    EXPECT_TRUE(ClickRecordVideo(both) == audio);
    EXPECT_TRUE(ClickRecordVideo(video) == audio);
    EXPECT_TRUE(ClickRecordVideo(audio) == both);
}

TEST(SetupOptions, OkStoresTheRecordingParts) {
    const struct {
        RecordBoxes boxes;
        int audioBefore, videoBefore, audioOnly, videoOnly;
    } cases[] = {
        {{true, true}, 0, 0, 0, 0},  {{false, true}, 0, 0, 1, 0},
        {{true, false}, 0, 0, 0, 1}, {{false, true}, 1, 1, 0, 0},  // both stored at once: both parts again
        {{true, false}, 1, 0, 0, 1},
    };
    for (const auto& c : cases) {
        SettingsRecord s;
        s.AudioOnly = c.audioBefore;
        s.VideoOnly = c.videoBefore;
        StoreRecordingParts(s, c.boxes);
        EXPECT_EQ(s.AudioOnly, c.audioOnly);
        EXPECT_EQ(s.VideoOnly, c.videoOnly);
    }
}

TEST(SetupOptions, CaptureCommandsAndTheirChecks) {
    SettingsRecord s;
    s.FullScreen = 1;
    s.xTop = 5;
    ChooseCaptureSource(s, CaptureSource::SmallWindow);
    EXPECT_EQ(s.AutoMark, 2);
    EXPECT_EQ(s.FullScreen, 0);
    EXPECT_EQ(s.xTop, 5);  // only the marked region moves the markers
    SetupMenuChecks checks = MenuChecksOf(s);
    EXPECT_TRUE(checks.smallWindow);
    EXPECT_FALSE(checks.mainWindow || checks.markedRegion || checks.fullScreen);

    ChooseCaptureSource(s, CaptureSource::MarkedRegion);
    EXPECT_EQ(s.AutoMark, 0);
    EXPECT_TRUE(RegionOf(s) == (ScreenRect{200, 200, 800, 600}));
    EXPECT_TRUE(MenuChecksOf(s).markedRegion);

    const ScreenRect display1{0, 0, 1280, 1024}, display2{1280, 0, 3200, 1080};
    s.Monitor = 2;
    ToggleSetupFullScreen(s, display1, display2);
    EXPECT_EQ(s.FullScreen, 1);
    EXPECT_TRUE(RegionOf(s) == display2);
    checks = MenuChecksOf(s);
    EXPECT_TRUE(checks.fullScreen);
    EXPECT_FALSE(checks.markedRegion);
    ToggleSetupFullScreen(s, display1, display2);
    EXPECT_EQ(s.FullScreen, 0);
    EXPECT_TRUE(RegionOf(s) == (ScreenRect{100, 100, 800, 600}));
    s.Monitor = 1;
    s.AutoMark = 1;
    ToggleSetupFullScreen(s, display1, display2);
    EXPECT_TRUE(RegionOf(s) == display1);
    EXPECT_EQ(s.AutoMark, 0);

    s.Cursor = 1;
    s.ShowVideo = 1;
    checks = MenuChecksOf(s);
    EXPECT_TRUE(checks.cursor && checks.clonedVideo);
}

}  // namespace
