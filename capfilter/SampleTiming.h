#pragma once
// The times of the samples the capture pin delivers: built from the byte
// count of the delivered audio (the sample clock) and, depending on the
// timing mode the recorder sets, pulled forward to the filter's stream time.
// DirectShow reference times: 64-bit signed, 100-ns units. Portable.

#include <cstdint>

namespace sonark {

constexpr int64_t kUnitsPerSecond = 10000000;

// How long `bytes` of audio last at `avgBytesPerSec`, truncated; 0 when the
// rate is not positive.
int64_t DataDuration(int64_t bytes, int64_t avgBytesPerSec);

struct SampleTimes {
    int64_t start;
    int64_t stop;
    int64_t nextSampleTime;  // the sample clock after this sample
};

// sampleTime: the sample clock before the sample (T); streamTime: the
// filter's stream time when the sample was filled (S).
//  - modes 0 and 2: once the clock is past the first second and lags the
//    stream time, it jumps forward to the stream time;
//  - mode 1: a sample that ends (past the first second) before the stream
//    time is moved to start at the stream time, keeping its duration; the
//    sample clock itself stays as computed;
//  - any other mode: the times follow the sample clock alone.
SampleTimes ComputeSampleTimes(int timingMode, int64_t sampleTime, int64_t streamTime, int64_t dataLength,
                               int64_t avgBytesPerSec);

}  // namespace sonark
