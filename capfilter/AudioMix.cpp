#include "capfilter/AudioMix.h"

#include <algorithm>
#include <cstring>

#include "capfilter/AudioMixSse2.h"

namespace sonark {

namespace {

// Byte-wise access: endpoint buffers carry no alignment promise for the
// portable build, and little-endian order is the format's, not the host's.
inline int16_t Load(const uint8_t* p) {
    return static_cast<int16_t>(static_cast<uint16_t>(p[0] | (static_cast<unsigned>(p[1]) << 8)));
}

inline void Store(uint8_t* p, int16_t v) {
    auto u = static_cast<uint16_t>(v);
    p[0] = static_cast<uint8_t>(u & 0xFF);
    p[1] = static_cast<uint8_t>(u >> 8);
}

struct MixImplementation {
    void (*stereo)(uint8_t*, const uint8_t*, size_t);
    size_t (*mono)(uint8_t*, size_t, const uint8_t*, size_t);
    bool sse2;
};

MixImplementation ChooseImplementation() {
#if SONARK_MIX_HAS_SSE2
    if (ProcessorHasSse2()) return {MixStereoSse2, MixMonoSse2, true};
#endif
    return {MixStereoPortable, MixMonoPortable, false};
}

// Chosen on the first mix; the initialisation of a local static is
// thread-safe, and the processor does not change under a running stream.
const MixImplementation& Chosen() {
    static const MixImplementation chosen = ChooseImplementation();
    return chosen;
}

}  // namespace

int16_t SaturatingAdd(int16_t a, int16_t b) {
    int sum = static_cast<int>(a) + static_cast<int>(b);
    return static_cast<int16_t>(std::clamp(sum, -32768, 32767));
}

void MixStereoPortable(uint8_t* speakers, const uint8_t* mic, size_t bytes) {
    // Blocks copied into aligned 16-bit arrays let the compiler vectorise the
    // saturating sum; the formats are little-endian like every host we build.
    constexpr size_t kBlock = 64;
    int16_t a[kBlock], b[kBlock];
    size_t samples = bytes / 2;
    size_t i = 0;
    for (; i + kBlock <= samples; i += kBlock) {
        std::memcpy(a, speakers + 2 * i, sizeof a);
        std::memcpy(b, mic + 2 * i, sizeof b);
        for (size_t k = 0; k < kBlock; ++k) {
            int sum = a[k] + b[k];
            a[k] = static_cast<int16_t>(sum < -32768 ? -32768 : (sum > 32767 ? 32767 : sum));
        }
        std::memcpy(speakers + 2 * i, a, sizeof a);
    }
    for (; i < samples; ++i) {
        uint8_t* s = speakers + 2 * i;
        Store(s, SaturatingAdd(Load(s), Load(mic + 2 * i)));
    }
}

size_t MixMonoPortable(uint8_t* speakers, size_t speakerBytes, const uint8_t* mic, size_t micBytes) {
    size_t frames = std::min(speakerBytes / 4, micBytes / 2);
    for (size_t i = 0; i < frames; ++i) {
        int16_t m = Load(mic + 2 * i);
        uint8_t* left = speakers + 4 * i;
        Store(left, SaturatingAdd(Load(left), m));
        Store(left + 2, SaturatingAdd(Load(left + 2), m));
    }
    return frames * 2;
}

void MixStereo(uint8_t* speakers, const uint8_t* mic, size_t bytes) { Chosen().stereo(speakers, mic, bytes); }

size_t MixMono(uint8_t* speakers, size_t speakerBytes, const uint8_t* mic, size_t micBytes) {
    return Chosen().mono(speakers, speakerBytes, mic, micBytes);
}

bool MixUsesSse2() { return Chosen().sse2; }

}  // namespace sonark
