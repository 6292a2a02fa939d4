#include "companions/pixark/FrameSchedule.h"

namespace pixark {

int64_t FramePeriod(int32_t frameRate) { return frameRate >= 1 ? kUnitsPerSecond / frameRate : kUnitsPerSecond; }

FrameStep NextFrame(int64_t next, int64_t now, int64_t period) {
    FrameStep step;
    const int64_t start = next * period;
    if (now < start) {
        step.waitUntil = start;
        step.frame = next;
        return step;
    }
    // The oldest frame not late by more than one period: the smallest m with
    // now - m * period <= period, i.e. m = ceil(now / period) - 1.
    const int64_t current = (now + period - 1) / period - 1;
    step.due = true;
    step.frame = current > next ? current : next;
    step.dropped = step.frame - next;
    step.waitUntil = start;
    return step;
}

uint32_t WaitMilliseconds(int64_t now, int64_t until, uint32_t maxMs) {
    if (until <= now) return 0;
    const int64_t ms = (until - now + 9999) / 10000;
    return ms > maxMs ? maxMs : static_cast<uint32_t>(ms);
}

}  // namespace pixark
