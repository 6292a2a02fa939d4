#include "companions/pixark/SettingsStore.h"

#include <mutex>

namespace pixark {

namespace {

std::mutex& StoreLock() {
    static std::mutex lock;
    return lock;
}

CaptureSettings& Stored() {
    static CaptureSettings settings;
    return settings;
}

}  // namespace

void StoreSettings(const CaptureSettings& s) {
    std::lock_guard<std::mutex> hold(StoreLock());
    Stored() = s;
}

CaptureSettings LoadSettings() {
    std::lock_guard<std::mutex> hold(StoreLock());
    return Stored();
}

}  // namespace pixark
