// The mix of one 10 ms packet (48000 Hz stereo, 1920 bytes) against a plain
// copy of the same bytes, the work the stream would do without a
// microphone: each implementation of the mix in the same run, so their
// times divided by the copy's give the ratios.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "capfilter/AudioMix.h"
#include "capfilter/AudioMixSse2.h"
#include "capfilter/MicCarry.h"

namespace {

constexpr size_t kPacketBytes = 1920;

using StereoMix = void (*)(uint8_t*, const uint8_t*, size_t);
using MonoMix = size_t (*)(uint8_t*, size_t, const uint8_t*, size_t);

std::vector<uint8_t> Noise(size_t n, uint32_t seed) {
    std::vector<uint8_t> v(n);
    for (auto& b : v) {
        seed = seed * 1664525u + 1013904223u;
        b = static_cast<uint8_t>(seed >> 24);
    }
    return v;
}

// The same samples with the sign turned: mixing a packet and then this one
// keeps the speakers near where they started instead of drifting to the
// limits, where every sum would clip.
std::vector<uint8_t> Negated(const std::vector<uint8_t>& pcm) {
    std::vector<uint8_t> out(pcm.size());
    for (size_t i = 0; i + 1 < pcm.size(); i += 2) {
        int s = static_cast<int16_t>(static_cast<uint16_t>(pcm[i] | (pcm[i + 1] << 8)));
        auto u = static_cast<uint16_t>(static_cast<int16_t>(s == -32768 ? 32767 : -s));
        out[i] = static_cast<uint8_t>(u & 0xFF);
        out[i + 1] = static_cast<uint8_t>(u >> 8);
    }
    return out;
}

void BM_CopyPacket(benchmark::State& state) {
    auto speakers = Noise(kPacketBytes, 1);
    std::vector<uint8_t> sample(kPacketBytes);
    for (auto _ : state) {
        std::memcpy(sample.data(), speakers.data(), kPacketBytes);
        benchmark::DoNotOptimize(sample.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * kPacketBytes);
}
BENCHMARK(BM_CopyPacket);

// One packet per iteration, alternating between a microphone packet and its
// negation.
void BM_MixStereoPacket(benchmark::State& state, StereoMix mix) {
    auto speakers = Noise(kPacketBytes, 1);
    const auto mic = Noise(kPacketBytes, 2);
    const auto antiMic = Negated(mic);
    const uint8_t* packets[2] = {mic.data(), antiMic.data()};
    size_t n = 0;
    for (auto _ : state) {
        mix(speakers.data(), packets[n++ & 1], kPacketBytes);
        benchmark::DoNotOptimize(speakers.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * kPacketBytes);
}
BENCHMARK_CAPTURE(BM_MixStereoPacket, portable, &sonark::MixStereoPortable);
#if SONARK_MIX_HAS_SSE2
BENCHMARK_CAPTURE(BM_MixStereoPacket, sse2, &sonark::MixStereoSse2);
#endif
BENCHMARK_CAPTURE(BM_MixStereoPacket, chosen, &sonark::MixStereo);

// A mono microphone: 960 bytes doubled into the 1920 bytes of the packet.
void BM_MixMonoPacket(benchmark::State& state, MonoMix mix) {
    auto speakers = Noise(kPacketBytes, 1);
    const auto mic = Noise(kPacketBytes / 2, 3);
    const auto antiMic = Negated(mic);
    const uint8_t* packets[2] = {mic.data(), antiMic.data()};
    size_t n = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(mix(speakers.data(), kPacketBytes, packets[n++ & 1], kPacketBytes / 2));
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * kPacketBytes);
}
BENCHMARK_CAPTURE(BM_MixMonoPacket, portable, &sonark::MixMonoPortable);
#if SONARK_MIX_HAS_SSE2
BENCHMARK_CAPTURE(BM_MixMonoPacket, sse2, &sonark::MixMonoSse2);
#endif
BENCHMARK_CAPTURE(BM_MixMonoPacket, chosen, &sonark::MixMono);

// What the stream does per packet with the microphone on: the mix through
// the carry, then the copy into the media sample.
void BM_MixMonoThroughCarryAndCopy(benchmark::State& state) {
    auto speakers = Noise(kPacketBytes, 1);
    auto mic = Noise(kPacketBytes / 2, 3);
    std::vector<uint8_t> sample(kPacketBytes);
    sonark::MicCarry carry;
    carry.Configure(96000, 2);
    for (auto _ : state) {
        carry.MixInto(speakers.data(), kPacketBytes, mic.data(), mic.size(), true);
        std::memcpy(sample.data(), speakers.data(), kPacketBytes);
        benchmark::DoNotOptimize(sample.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * kPacketBytes);
}
BENCHMARK(BM_MixMonoThroughCarryAndCopy);

}  // namespace

BENCHMARK_MAIN();
