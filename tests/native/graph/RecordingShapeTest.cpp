// The capture region a recording takes, the graph's shape for each mode and
// the profile it writes.

#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "graph/CaptureRegion.h"
#include "graph/RecordingShape.h"
#include "settings/Settings.h"

namespace {

struct RegionCase {
    const char* name;
    int xTop, yTop, xBottom, yBottom;
    // Expected fields after the normalisation and the recorded size.
    int xTop2, yTop2, xBottom2, yBottom2;
    int width, height;
};

const RegionCase kRegionCases[] = {
    {"FromTheOriginMovesOnePixel", 0, 0, 641, 481, -1, -1, 639, 479, 640, 480},
    {"WidthCutToMultipleOf8", 100, 50, 745, 530, 100, 50, 740, 530, 640, 480},
    {"SevenPixelsGiveZero", 10, 10, 17, 17, 10, 10, 10, 10, 0, 0},
    {"ThirteenGiveEight", 10, 10, 23, 23, 10, 10, 18, 18, 8, 8},
    {"LeftOfZeroMovesToPlusOne", 0, 20, -641, 500, 1, 20, 641, 500, 640, 480},
    {"ReversedCornersMeasureFromTop", 700, 500, 60, 20, 700, 500, 1340, 980, 640, 480},
    {"OnlyTopAtZero", 30, 0, 670, 481, 30, -1, 670, 479, 640, 480},
    {"EmptyRegion", 0, 0, 0, 0, 0, -1, 0, -1, 0, 0},
    {"SecondDisplayNegative", -1280, -200, -640, 280, -1280, -200, -640, 280, 640, 480},
};

class CaptureRegionCase : public ::testing::TestWithParam<RegionCase> {};

TEST_P(CaptureRegionCase, NormalisesTheSettingsFields) {
    const RegionCase& c = GetParam();
    SettingsRecord s;
    s.xTop = c.xTop;
    s.yTop = c.yTop;
    s.xBottom = c.xBottom;
    s.yBottom = c.yBottom;
    const CaptureSize size = NormaliseCaptureRegion(s);
    EXPECT_EQ(s.xTop, c.xTop2);
    EXPECT_EQ(s.yTop, c.yTop2);
    EXPECT_EQ(s.xBottom, c.xBottom2);
    EXPECT_EQ(s.yBottom, c.yBottom2);
    EXPECT_EQ(size.width, c.width);
    EXPECT_EQ(size.height, c.height);
}

INSTANTIATE_TEST_SUITE_P(Regions, CaptureRegionCase, ::testing::ValuesIn(kRegionCases),
                         [](const ::testing::TestParamInfo<RegionCase>& info) { return std::string(info.param.name); });

TEST(CaptureRegion, ValuesAtTheIntLimitsStayInRange) {
    SettingsRecord s;
    s.xTop = INT_MIN;
    s.xBottom = INT_MAX;
    s.yTop = INT_MAX - 3;
    s.yBottom = INT_MIN;
    const CaptureSize size = NormaliseCaptureRegion(s);
    EXPECT_EQ(size.width, INT_MAX - INT_MAX % 8);
    EXPECT_EQ(size.height, INT_MAX - INT_MAX % 8);
    EXPECT_EQ(s.xBottom, INT_MIN + size.width);
    EXPECT_EQ(s.yBottom, INT_MAX);  // cut at the top of the range, never wrapped
}

TEST(CaptureRegion, RoundsSpansDown) {
    EXPECT_EQ(RoundDownToMultipleOf8(0), 0);
    EXPECT_EQ(RoundDownToMultipleOf8(7), 0);
    EXPECT_EQ(RoundDownToMultipleOf8(8), 8);
    EXPECT_EQ(RoundDownToMultipleOf8(645), 640);
}

struct ShapeCase {
    const char* name;
    int audioOnly, videoOnly, setTopWindow, vistaAudio;
    bool vista;
    bool screenCapture;
    VideoChain video;
    bool teeAndRenderer;
    AudioChain audio;
    ProfileKind profile;
};

const ShapeCase kShapeCases[] = {
    {"AudioVideoDirect", 0, 0, 0, 1, true, true, VideoChain::Direct, false, AudioChain::Sonark5,
     ProfileKind::AudioVideo},
    {"AudioVideoThroughTee", 0, 0, 1, 1, true, true, VideoChain::ThroughTee, true, AudioChain::Sonark5,
     ProfileKind::AudioVideo},
    {"AudioOnlyKeepsTeeUnconnected", 1, 0, 1, 1, true, false, VideoChain::None, true, AudioChain::Sonark5,
     ProfileKind::AudioOnly},
    {"AudioOnlyWithoutPreview", 1, 0, 0, 0, true, false, VideoChain::None, false, AudioChain::Device,
     ProfileKind::AudioOnly},
    {"VideoOnlyDirect", 0, 1, 0, 1, true, true, VideoChain::Direct, false, AudioChain::None, ProfileKind::VideoOnly},
    {"VideoOnlyThroughTee", 0, 1, 1, 1, true, true, VideoChain::ThroughTee, true, AudioChain::None,
     ProfileKind::VideoOnly},
    {"BothFlagsAudioProfileNothingConnected", 1, 1, 0, 1, true, false, VideoChain::None, false, AudioChain::None,
     ProfileKind::AudioOnly},
    {"DeviceBeforeVista", 0, 0, 0, 1, false, true, VideoChain::Direct, false, AudioChain::Device,
     ProfileKind::AudioVideo},
    {"DeviceWithVistaAudioOff", 0, 0, 1, 0, true, true, VideoChain::ThroughTee, true, AudioChain::Device,
     ProfileKind::AudioVideo},
    {"NoAudioWithVistaAudioTwo", 0, 0, 0, 2, true, true, VideoChain::Direct, false, AudioChain::None,
     ProfileKind::AudioVideo},
};

class RecordingShapeCase : public ::testing::TestWithParam<ShapeCase> {};

TEST_P(RecordingShapeCase, FollowsTheModeTables) {
    const ShapeCase& c = GetParam();
    SettingsRecord s;
    s.AudioOnly = c.audioOnly;
    s.VideoOnly = c.videoOnly;
    s.SetTopWindow = c.setTopWindow;
    s.VistaAudio = c.vistaAudio;
    const RecordingShape shape = RecordingShapeFor(s, c.vista);
    EXPECT_EQ(shape.screenCapture, c.screenCapture);
    EXPECT_EQ(shape.video, c.video);
    EXPECT_EQ(shape.teeAndRenderer, c.teeAndRenderer);
    EXPECT_EQ(shape.audio, c.audio);
    EXPECT_EQ(shape.profile, c.profile);
}

INSTANTIATE_TEST_SUITE_P(Modes, RecordingShapeCase, ::testing::ValuesIn(kShapeCases),
                         [](const ::testing::TestParamInfo<ShapeCase>& info) { return std::string(info.param.name); });

TEST(AudioChain, FollowsSystemAndVistaAudio) {
    EXPECT_EQ(AudioChainFor(true, 1), AudioChain::Sonark5);
    EXPECT_EQ(AudioChainFor(true, 0), AudioChain::Device);
    EXPECT_EQ(AudioChainFor(true, 2), AudioChain::None);
    EXPECT_EQ(AudioChainFor(true, -1), AudioChain::None);
    EXPECT_EQ(AudioChainFor(false, 1), AudioChain::Device);
    EXPECT_EQ(AudioChainFor(false, 2), AudioChain::Device);
}

TEST(ProfileChoice, AudioOnlyIsTestedFirst) {
    EXPECT_EQ(ProfileKindFor(1, 1), ProfileKind::AudioOnly);
    EXPECT_EQ(ProfileKindFor(1, 0), ProfileKind::AudioOnly);
    EXPECT_EQ(ProfileKindFor(0, 1), ProfileKind::VideoOnly);
    EXPECT_EQ(ProfileKindFor(0, 0), ProfileKind::AudioVideo);
    EXPECT_EQ(ProfileKindFor(-3, 0), ProfileKind::AudioOnly);
}

TEST(ProfileChoice, FrameRateIsTruncated) {
    EXPECT_EQ(ProfileFrameRate(29.97f), 29);
    EXPECT_EQ(ProfileFrameRate(15.0f), 15);
    EXPECT_EQ(ProfileFrameRate(0.5f), 0);
    EXPECT_EQ(ProfileFrameRate(1e20f), 0);
    EXPECT_EQ(ProfileFrameRate(-1e20f), 0);
}

}  // namespace
