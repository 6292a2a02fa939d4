#pragma once
// The capture parameters of the library: one copy per loaded module, shared
// by every filter instance in the process. The recorder writes them through
// ISonark::SetCaptureParams on its graph-building thread; the pin's worker
// thread reads them at every sample. Portable.

#include <cstddef>
#include <cstdint>
#include <string>

namespace sonark {

// Capacity of the source name in characters, terminator included.
constexpr size_t kSourceNameCapacity = 1000;

struct CaptureParamValues {
    int32_t enable;
    int32_t timingMode;
    int32_t dualAudio;
};

// Stores the values; the name is copied bounded (at most 999 characters
// are kept). A null name stores an empty one.
void SetCaptureParams(int32_t enable, int32_t timingMode, int32_t dualAudio, const wchar_t* sourceName);
CaptureParamValues GetCaptureParams();
std::wstring GetSourceName();
// Back to the load-time values (all zero); for tests.
void ResetCaptureParams();

}  // namespace sonark
