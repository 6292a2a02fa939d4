#pragma once
// When each frame is due, and which frames are dropped. Frame n covers
// stream time [n * period, (n + 1) * period): the picture and the sound of a
// recording share the graph's stream clock, so the frame times are fixed
// multiples of the period and never follow the capture's own jitter. A frame
// whose start lies more than one period in the past is not captured late:
// it is dropped, and the next capture is the frame whose slot is current.
// DirectShow reference times (100-ns units). Portable.

#include <cstdint>

namespace pixark {

constexpr int64_t kUnitsPerSecond = 10000000;

// 10^7 / frameRate, truncated (30 fps: 333333); frameRate must be >= 1.
int64_t FramePeriod(int32_t frameRate);

struct FrameStep {
    bool due = false;       // false: wait until waitUntil, then ask again
    int64_t waitUntil = 0;  // stream time at which `next` starts
    int64_t frame = 0;      // the frame to capture now (when due)
    int64_t dropped = 0;    // frames skipped to reach it
};

// next: the first frame not yet captured or dropped; now: the stream time.
FrameStep NextFrame(int64_t next, int64_t now, int64_t period);

// Milliseconds to wait from `now` until `until`, rounded up so the wait
// never wakes before the frame is due, and at most maxMs.
uint32_t WaitMilliseconds(int64_t now, int64_t until, uint32_t maxMs);

}  // namespace pixark
