// One attempt's two scans over a 1920 x 1040 area against a plain pass that
// compares the two grabs pixel by pixel, in the same run, so the scans'
// time divided by the plain pass's gives the ratio. The grabs: a teal
// desktop with a browser page (near-white with grey text) on it and a
// 640 x 360 video playing in the page.

#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdint>
#include <vector>

#include "region/FramePair.h"
#include "region/MotionScan.h"
#include "region/ScanRows.h"

namespace {

constexpr int kWidth = 1920;
constexpr int kHeight = 1040;
constexpr int kMenuHeight = 19;

struct Grabs {
    std::vector<uint8_t> a;
    std::vector<uint8_t> b;
    FramePair Pair() const { return FramePair{a.data(), b.data(), kWidth, kHeight}; }
};

void Put(std::vector<uint8_t>& frame, int x, int y, uint8_t red, uint8_t green, uint8_t blue) {
    uint8_t* p = &frame[(static_cast<size_t>(kHeight - 1 - y) * kWidth + x) * 4];
    p[0] = blue;
    p[1] = green;
    p[2] = red;
    p[3] = 0;
}

void Desktop(std::vector<uint8_t>& frame) {
    uint32_t seed = 7;
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) {
            const bool page = x >= 400 && x < 1400 && y >= 150 && y < 850;
            if (!page) {
                Put(frame, x, y, 0, 128, 128);
                continue;
            }
            seed = seed * 1664525u + 1013904223u;
            // Lines of text: grey specks on near-white.
            const bool text = (y / 12) % 2 == 0 && (seed >> 28) < 5;
            const uint8_t level = text ? static_cast<uint8_t>(60 + (seed >> 24) % 80) : 250;
            Put(frame, x, y, level, level, level);
        }
}

// Two frames of the video some 20 frames apart: every pixel differs.
void Video(std::vector<uint8_t>& frame, int number) {
    for (int y = 300; y < 660; ++y)
        for (int x = 560; x < 1200; ++x)
            Put(frame, x, y, static_cast<uint8_t>((x * 2 + number * 5) & 0x7F),
                static_cast<uint8_t>((y + number * 3) & 0x7F), static_cast<uint8_t>(160 + (y & 63)));
}

const Grabs& RealisticGrabs() {
    static const Grabs grabs = [] {
        Grabs g;
        g.a.assign(static_cast<size_t>(kWidth) * kHeight * 4, 0);
        Desktop(g.a);
        g.b = g.a;
        Video(g.a, 0);
        Video(g.b, 20);
        return g;
    }();
    return grabs;
}

void BM_PlainCompare(benchmark::State& state) {
    const FramePair frames = RealisticGrabs().Pair();
    const size_t pixels = frames.PixelCount();
    for (auto _ : state) {
        int64_t changed = 0;
        for (size_t i = 0; i < pixels; ++i) changed += PixelChanged(frames, i) ? 1 : 0;
        benchmark::DoNotOptimize(changed);
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(pixels));
}
BENCHMARK(BM_PlainCompare)->Unit(benchmark::kMillisecond);

void BM_TwoScans(benchmark::State& state) {
    const FramePair frames = RealisticGrabs().Pair();
    ScanRows rows;
    std::atomic<bool> cancel{false};
    int64_t diff = 0;
    for (auto _ : state) {
        rows.Clear();
        diff = ForwardScan(frames, rows, cancel).diffCount;
        ReverseScan(frames, kMenuHeight, rows, cancel);
        benchmark::DoNotOptimize(rows.rightEdge.data());
        benchmark::ClobberMemory();
    }
    state.counters["diffCount"] = static_cast<double>(diff);
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(frames.PixelCount()));
}
BENCHMARK(BM_TwoScans)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
