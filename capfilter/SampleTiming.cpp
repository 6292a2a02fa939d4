#include "capfilter/SampleTiming.h"

namespace sonark {

int64_t DataDuration(int64_t bytes, int64_t avgBytesPerSec) {
    if (avgBytesPerSec <= 0) return 0;
    return bytes * kUnitsPerSecond / avgBytesPerSec;
}

SampleTimes ComputeSampleTimes(int timingMode, int64_t sampleTime, int64_t streamTime, int64_t dataLength,
                               int64_t avgBytesPerSec) {
    int64_t t = sampleTime;
    if ((timingMode == 0 || timingMode == 2) && t > kUnitsPerSecond && t < streamTime) t = streamTime;
    const int64_t duration = DataDuration(dataLength, avgBytesPerSec);
    SampleTimes times{t, t + duration, t + duration};
    if (timingMode == 1 && times.stop > kUnitsPerSecond && streamTime > times.stop) {
        // Moving only the start would give a sample that ends before it
        // begins; the whole sample moves.
        times.start = streamTime;
        times.stop = streamTime + duration;
    }
    return times;
}

}  // namespace sonark
