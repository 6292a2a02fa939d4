#include "capfilter/AudioMix.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tests/native/capfilter/PcmBytes.h"

using sonark::MixMono;
using sonark::MixStereo;
using sonark::SaturatingAdd;
using ::testing::ElementsAre;

TEST(AudioMix, SaturatingAddClipsAtBothEnds) {
    EXPECT_EQ(SaturatingAdd(30000, 10000), 32767);  // a wrapping sum would give -25536
    EXPECT_EQ(SaturatingAdd(-30000, -10000), -32768);
    EXPECT_EQ(SaturatingAdd(32767, 1), 32767);
    EXPECT_EQ(SaturatingAdd(-32768, -1), -32768);
    EXPECT_EQ(SaturatingAdd(1000, -250), 750);
    EXPECT_EQ(SaturatingAdd(32767, -32768), -1);
}

TEST(AudioMix, StereoAddsSampleBySampleWithSaturation) {
    auto speakers = Pcm({30000, -30000, 100, -100});
    auto mic = Pcm({10000, -10000, 23, 7});
    MixStereo(speakers.data(), mic.data(), speakers.size());
    EXPECT_THAT(Samples(speakers), ElementsAre(32767, -32768, 123, -93));
}

TEST(AudioMix, StereoMixesOnlyTheGivenBytes) {
    auto speakers = Pcm({1, 2, 3, 4});
    auto mic = Pcm({10, 20, 30, 40});
    MixStereo(speakers.data(), mic.data(), 4);
    EXPECT_THAT(Samples(speakers), ElementsAre(11, 22, 3, 4));
}

TEST(AudioMix, MonoGoesIntoBothChannels) {
    auto speakers = Pcm({100, 200, 300, 400, 500, 600});
    auto mic = Pcm({5, -7, 32400});
    size_t used = MixMono(speakers.data(), speakers.size(), mic.data(), mic.size());
    EXPECT_EQ(used, 6u);
    EXPECT_THAT(Samples(speakers), ElementsAre(105, 205, 293, 393, 32767, 32767));
}

TEST(AudioMix, MonoStopsWhenEitherSideIsUsedUp) {
    auto speakers = Pcm({0, 0, 0, 0});
    auto mic = Pcm({1, 2, 3});
    EXPECT_EQ(MixMono(speakers.data(), speakers.size(), mic.data(), mic.size()), 4u);
    EXPECT_THAT(Samples(speakers), ElementsAre(1, 1, 2, 2));

    auto longer = Pcm({0, 0, 0, 0, 9, 9});
    auto one = Pcm({-4});
    EXPECT_EQ(MixMono(longer.data(), longer.size(), one.data(), one.size()), 2u);
    EXPECT_THAT(Samples(longer), ElementsAre(-4, -4, 0, 0, 9, 9));
}

TEST(AudioMix, WholePacketsMatchTheSampleBySampleSum) {
    // 10 ms at 48000 Hz stereo plus an odd tail: the block path and the
    // tail both run.
    std::vector<uint8_t> speakers(1920 + 6), mic(1920 + 6);
    uint32_t seed = 7;
    for (size_t i = 0; i < speakers.size(); ++i) {
        seed = seed * 1664525u + 1013904223u;
        speakers[i] = static_cast<uint8_t>(seed >> 24);
        mic[i] = static_cast<uint8_t>(seed >> 16);
    }
    auto expected = Samples(speakers);
    auto micSamples = Samples(mic);
    for (size_t i = 0; i < expected.size(); ++i)
        expected[i] = SaturatingAdd(static_cast<int16_t>(expected[i]), static_cast<int16_t>(micSamples[i]));
    MixStereo(speakers.data(), mic.data(), speakers.size());
    EXPECT_EQ(Samples(speakers), expected);
    int clipped = 0;
    for (int v : expected) clipped += (v == 32767 || v == -32768) ? 1 : 0;
    EXPECT_GT(clipped, 0);  // the data does reach the limits
}
