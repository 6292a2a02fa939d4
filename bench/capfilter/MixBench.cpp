// The mix of one 10 ms packet (48000 Hz stereo, 1920 bytes) against a plain
// copy of the same bytes, the work the stream would do without a
// microphone. Report the ratio of the two times.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "capfilter/AudioMix.h"
#include "capfilter/MicCarry.h"

namespace {

constexpr size_t kPacketBytes = 1920;

std::vector<uint8_t> Noise(size_t n, uint32_t seed) {
    std::vector<uint8_t> v(n);
    for (auto& b : v) {
        seed = seed * 1664525u + 1013904223u;
        b = static_cast<uint8_t>(seed >> 24);
    }
    return v;
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

void BM_MixStereoPacket(benchmark::State& state) {
    const auto original = Noise(kPacketBytes, 1);
    auto speakers = original;
    auto mic = Noise(kPacketBytes, 2);
    std::vector<uint8_t> sample(kPacketBytes);
    for (auto _ : state) {
        sonark::MixStereo(speakers.data(), mic.data(), kPacketBytes);
        std::memcpy(sample.data(), speakers.data(), kPacketBytes);
        benchmark::DoNotOptimize(sample.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * kPacketBytes);
}
BENCHMARK(BM_MixStereoPacket);

void BM_MixMonoPacketThroughCarry(benchmark::State& state) {
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
BENCHMARK(BM_MixMonoPacketThroughCarry);

}  // namespace

BENCHMARK_MAIN();
