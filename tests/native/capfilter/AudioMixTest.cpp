#include "capfilter/AudioMix.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <ostream>
#include <string>
#include <vector>

#include "capfilter/AudioMixSse2.h"
#include "tests/native/capfilter/PcmBytes.h"

#if SONARK_MIX_HAS_SSE2
#include <cpuid.h>
#endif

using sonark::SaturatingAdd;
using ::testing::ElementsAre;

namespace {

// One implementation of the mix; every case below runs over each of them.
struct MixKernel {
    const char* name;
    void (*stereo)(uint8_t*, const uint8_t*, size_t);
    size_t (*mono)(uint8_t*, size_t, const uint8_t*, size_t);
};

void PrintTo(const MixKernel& kernel, std::ostream* os) { *os << kernel.name; }

const MixKernel kKernels[] = {
    {"Portable", sonark::MixStereoPortable, sonark::MixMonoPortable},
#if SONARK_MIX_HAS_SSE2
    {"Sse2", sonark::MixStereoSse2, sonark::MixMonoSse2},
#endif
    {"Chosen", sonark::MixStereo, sonark::MixMono},
};

// Values at and next to the limits, the sign change and the middle.
const int kEdges[] = {-32768, -32767, -16384, -2, -1, 0, 1, 2, 16383, 16384, 32766, 32767};

std::vector<uint8_t> Noise(size_t n, uint32_t seed) {
    std::vector<uint8_t> v(n);
    for (auto& b : v) {
        seed = seed * 1664525u + 1013904223u;
        b = static_cast<uint8_t>(seed >> 24);
    }
    return v;
}

int Read(const std::vector<uint8_t>& v, size_t at) {
    return static_cast<int16_t>(static_cast<uint16_t>(v[at] | (v[at + 1] << 8)));
}

void Write(std::vector<uint8_t>& v, size_t at, int s) {
    auto u = static_cast<uint16_t>(static_cast<int16_t>(s));
    v[at] = static_cast<uint8_t>(u & 0xFF);
    v[at + 1] = static_cast<uint8_t>(u >> 8);
}

int ClampedSum(int a, int b) { return std::clamp(a + b, -32768, 32767); }

// The whole speakers buffer as it must be after mixing `bytes` bytes of
// `mic` from micAt into it at speakersAt: every other byte unchanged.
std::vector<uint8_t> StereoReference(std::vector<uint8_t> speakers, size_t speakersAt, const std::vector<uint8_t>& mic,
                                     size_t micAt, size_t bytes) {
    for (size_t k = 0; k + 1 < bytes; k += 2)
        Write(speakers, speakersAt + k, ClampedSum(Read(speakers, speakersAt + k), Read(mic, micAt + k)));
    return speakers;
}

std::vector<uint8_t> MonoReference(std::vector<uint8_t> speakers, size_t speakersAt, size_t speakerBytes,
                                   const std::vector<uint8_t>& mic, size_t micAt, size_t micBytes) {
    for (size_t f = 0; 4 * f + 3 < speakerBytes && 2 * f + 1 < micBytes; ++f) {
        int m = Read(mic, micAt + 2 * f);
        for (size_t channel = 0; channel < 4; channel += 2) {
            size_t at = speakersAt + 4 * f + channel;
            Write(speakers, at, ClampedSum(Read(speakers, at), m));
        }
    }
    return speakers;
}

class AudioMixKernel : public ::testing::TestWithParam<MixKernel> {
protected:
    void SetUp() override {
        if (std::string(GetParam().name) == "Sse2" && !sonark::ProcessorHasSse2())
            GTEST_SKIP() << "this processor has no SSE2";
    }

    void Stereo(uint8_t* speakers, const uint8_t* mic, size_t bytes) const { GetParam().stereo(speakers, mic, bytes); }

    size_t Mono(uint8_t* speakers, size_t speakerBytes, const uint8_t* mic, size_t micBytes) const {
        return GetParam().mono(speakers, speakerBytes, mic, micBytes);
    }
};

INSTANTIATE_TEST_SUITE_P(Each, AudioMixKernel, ::testing::ValuesIn(kKernels),
                         [](const ::testing::TestParamInfo<MixKernel>& info) { return std::string(info.param.name); });

}  // namespace

TEST(AudioMix, SaturatingAddClipsAtBothEnds) {
    EXPECT_EQ(SaturatingAdd(30000, 10000), 32767);  // a wrapping sum would give -25536
    EXPECT_EQ(SaturatingAdd(-30000, -10000), -32768);
    EXPECT_EQ(SaturatingAdd(32767, 1), 32767);
    EXPECT_EQ(SaturatingAdd(-32768, -1), -32768);
    EXPECT_EQ(SaturatingAdd(1000, -250), 750);
    EXPECT_EQ(SaturatingAdd(32767, -32768), -1);
}

TEST(AudioMix, ChoosesSse2ExactlyWhenTheProcessorHasIt) {
#if SONARK_MIX_HAS_SSE2
    // CPUID leaf 1, EDX bit 26.
    unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
    bool sse2 = __get_cpuid(1, &eax, &ebx, &ecx, &edx) && (edx >> 26 & 1u);
    EXPECT_EQ(sonark::ProcessorHasSse2(), sse2);
    EXPECT_EQ(sonark::MixUsesSse2(), sse2);
#if defined(__x86_64__)
    EXPECT_TRUE(sonark::MixUsesSse2());  // part of every x86-64 processor
#endif
#else
    EXPECT_FALSE(sonark::ProcessorHasSse2());
    EXPECT_FALSE(sonark::MixUsesSse2());
#endif
    std::printf("the mix runs the %s loops\n", sonark::MixUsesSse2() ? "SSE2" : "portable");
}

TEST_P(AudioMixKernel, StereoAddsSampleBySampleWithSaturation) {
    auto speakers = Pcm({30000, -30000, 100, -100});
    auto mic = Pcm({10000, -10000, 23, 7});
    Stereo(speakers.data(), mic.data(), speakers.size());
    EXPECT_THAT(Samples(speakers), ElementsAre(32767, -32768, 123, -93));
}

TEST_P(AudioMixKernel, StereoMixesOnlyTheGivenBytes) {
    auto speakers = Pcm({1, 2, 3, 4});
    auto mic = Pcm({10, 20, 30, 40});
    Stereo(speakers.data(), mic.data(), 4);
    EXPECT_THAT(Samples(speakers), ElementsAre(11, 22, 3, 4));
}

TEST_P(AudioMixKernel, MonoGoesIntoBothChannels) {
    auto speakers = Pcm({100, 200, 300, 400, 500, 600});
    auto mic = Pcm({5, -7, 32400});
    size_t used = Mono(speakers.data(), speakers.size(), mic.data(), mic.size());
    EXPECT_EQ(used, 6u);
    EXPECT_THAT(Samples(speakers), ElementsAre(105, 205, 293, 393, 32767, 32767));
}

TEST_P(AudioMixKernel, MonoStopsWhenEitherSideIsUsedUp) {
    auto speakers = Pcm({0, 0, 0, 0});
    auto mic = Pcm({1, 2, 3});
    EXPECT_EQ(Mono(speakers.data(), speakers.size(), mic.data(), mic.size()), 4u);
    EXPECT_THAT(Samples(speakers), ElementsAre(1, 1, 2, 2));

    auto longer = Pcm({0, 0, 0, 0, 9, 9});
    auto one = Pcm({-4});
    EXPECT_EQ(Mono(longer.data(), longer.size(), one.data(), one.size()), 2u);
    EXPECT_THAT(Samples(longer), ElementsAre(-4, -4, 0, 0, 9, 9));
}

TEST_P(AudioMixKernel, WholePacketsMatchTheSampleBySampleSum) {
    // 10 ms at 48000 Hz and at 44100 Hz, with and without an odd tail, and a
    // one-second buffer: the vector rounds and the tail both run.
    for (size_t bytes : {1920u, 1926u, 1927u, 1764u, 192000u}) {
        auto speakers = Noise(bytes, 7);
        auto mic = Noise(bytes, 8);
        auto expected = StereoReference(speakers, 0, mic, 0, bytes);
        Stereo(speakers.data(), mic.data(), bytes);
        ASSERT_EQ(speakers, expected) << bytes << " bytes";
        int clipped = 0;
        for (int v : Samples(expected)) clipped += (v == 32767 || v == -32768) ? 1 : 0;
        EXPECT_GT(clipped, static_cast<int>(bytes / 40)) << "the data must reach the limits";
    }
}

TEST_P(AudioMixKernel, StereoEdgeValuesClipExactlyAtEveryAlignment) {
    // Every pair of edge values, with the speakers and the microphone each
    // starting at every byte offset within 16.
    std::vector<int> a, b;
    for (int x : kEdges)
        for (int y : kEdges) a.push_back(x), b.push_back(y);
    size_t bytes = 2 * a.size();
    for (size_t speakersAt = 0; speakersAt < 16; ++speakersAt) {
        for (size_t micAt = 0; micAt < 16; ++micAt) {
            std::vector<uint8_t> speakers(speakersAt + bytes + 16, 0xA5), mic(micAt + bytes + 16, 0x5A);
            for (size_t k = 0; k < a.size(); ++k) {
                Write(speakers, speakersAt + 2 * k, a[k]);
                Write(mic, micAt + 2 * k, b[k]);
            }
            auto expected = StereoReference(speakers, speakersAt, mic, micAt, bytes);
            Stereo(speakers.data() + speakersAt, mic.data() + micAt, bytes);
            ASSERT_EQ(speakers, expected) << "offsets " << speakersAt << ", " << micAt;
        }
    }
    // The limits themselves, spelled out.
    auto speakers = Pcm({32767, -32768, 32767, -32768, 0, -1, 1, 32766, 0, 0, 0, 0, 0, 0, 0, 0});
    auto mic = Pcm({1, -1, -32768, 32767, -32768, -32768, 32767, 1, 0, 0, 0, 0, 0, 0, 0, 0});
    Stereo(speakers.data(), mic.data(), speakers.size());
    EXPECT_THAT(Samples(speakers),
                ElementsAre(32767, -32768, -1, -1, -32768, -32768, 32767, 32767, 0, 0, 0, 0, 0, 0, 0, 0));
}

TEST_P(AudioMixKernel, StereoTouchesExactlyTheGivenBytesForAnyLengthAndOffset) {
    // Lengths across several vector rounds and every tail, odd ones
    // included (the odd byte stays), at every pair of offsets within 16;
    // the bytes around the mixed range must come out unchanged.
    for (size_t bytes = 0; bytes <= 161; ++bytes) {
        for (size_t speakersAt = 0; speakersAt < 16; ++speakersAt) {
            for (size_t micAt = 0; micAt < 16; ++micAt) {
                auto seed = static_cast<uint32_t>(bytes * 256 + speakersAt * 16 + micAt);
                auto speakers = Noise(speakersAt + bytes + 16, seed);
                auto mic = Noise(micAt + bytes + 16, ~seed);
                auto expected = StereoReference(speakers, speakersAt, mic, micAt, bytes);
                Stereo(speakers.data() + speakersAt, mic.data() + micAt, bytes);
                ASSERT_EQ(speakers, expected) << bytes << " bytes at offsets " << speakersAt << ", " << micAt;
            }
        }
    }
}

TEST_P(AudioMixKernel, MonoEdgeValuesClipExactlyInBothChannels) {
    std::vector<uint8_t> speakers, mic;
    for (int x : kEdges) {
        for (int y : kEdges) {
            size_t frame = speakers.size();
            speakers.resize(frame + 4);
            Write(speakers, frame, x);
            Write(speakers, frame + 2, -1 - x);  // the other edge in the right channel
            mic.resize(mic.size() + 2);
            Write(mic, mic.size() - 2, y);
        }
    }
    for (size_t speakersAt : {0u, 1u, 2u, 7u, 15u}) {
        std::vector<uint8_t> shifted(speakersAt, 0xEE);
        shifted.insert(shifted.end(), speakers.begin(), speakers.end());
        shifted.insert(shifted.end(), 16, 0xEE);
        auto expected = MonoReference(shifted, speakersAt, speakers.size(), mic, 0, mic.size());
        EXPECT_EQ(Mono(shifted.data() + speakersAt, speakers.size(), mic.data(), mic.size()), mic.size());
        ASSERT_EQ(shifted, expected) << "offset " << speakersAt;
    }
}

TEST_P(AudioMixKernel, MonoUsesExactlyWhatBothSidesHoldForAnyLengthAndOffset) {
    const std::pair<size_t, size_t> offsets[] = {{0, 0}, {1, 0}, {0, 1}, {2, 2}, {3, 5}, {8, 2}, {13, 9}, {15, 15}};
    for (size_t speakerBytes = 0; speakerBytes <= 140; ++speakerBytes) {
        for (size_t micBytes = 0; micBytes <= 75; ++micBytes) {
            for (auto [speakersAt, micAt] : offsets) {
                auto seed = static_cast<uint32_t>(speakerBytes * 1000 + micBytes * 10 + speakersAt);
                auto speakers = Noise(speakersAt + speakerBytes + 16, seed);
                auto mic = Noise(micAt + micBytes + 16, ~seed);
                auto expected = MonoReference(speakers, speakersAt, speakerBytes, mic, micAt, micBytes);
                size_t used = Mono(speakers.data() + speakersAt, speakerBytes, mic.data() + micAt, micBytes);
                ASSERT_EQ(used, 2 * std::min(speakerBytes / 4, micBytes / 2));
                ASSERT_EQ(speakers, expected)
                    << speakerBytes << " and " << micBytes << " bytes at offsets " << speakersAt << ", " << micAt;
            }
        }
    }
}

TEST_P(AudioMixKernel, MonoWholePacketMatchesTheSampleBySampleSum) {
    // A 10 ms mono packet at 48000 Hz into its stereo speakers packet.
    auto speakers = Noise(1920, 11);
    auto mic = Noise(960, 12);
    auto expected = MonoReference(speakers, 0, speakers.size(), mic, 0, mic.size());
    EXPECT_EQ(Mono(speakers.data(), speakers.size(), mic.data(), mic.size()), 960u);
    EXPECT_EQ(speakers, expected);
}
