#include "capfilter/CaptureParams.h"

#include <atomic>
#include <mutex>

namespace sonark {

namespace {

std::atomic<int32_t> enable{0};
std::atomic<int32_t> timingMode{0};
std::atomic<int32_t> dualAudio{0};

// The name is the one shared buffer here: it has its own lock.
std::mutex sourceNameLock;
wchar_t sourceName[kSourceNameCapacity] = {};

}  // namespace

void SetCaptureParams(int32_t enableValue, int32_t timingModeValue, int32_t dualAudioValue, const wchar_t* name) {
    enable = enableValue;
    timingMode = timingModeValue;
    dualAudio = dualAudioValue;
    std::lock_guard<std::mutex> lock(sourceNameLock);
    size_t n = 0;
    if (name)
        while (n + 1 < kSourceNameCapacity && name[n] != L'\0') {
            sourceName[n] = name[n];
            ++n;
        }
    sourceName[n] = L'\0';
}

CaptureParamValues GetCaptureParams() { return {enable.load(), timingMode.load(), dualAudio.load()}; }

std::wstring GetSourceName() {
    std::lock_guard<std::mutex> lock(sourceNameLock);
    return sourceName;
}

void ResetCaptureParams() { SetCaptureParams(0, 0, 0, nullptr); }

}  // namespace sonark
