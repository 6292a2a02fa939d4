#include "companions/pixark/CaptureSettings.h"

namespace pixark {

SettingsCheck CheckSettings(const CaptureSettings& s) {
    if (s.frameRate < kMinFrameRate || s.frameRate > kMaxFrameRate) return SettingsCheck::BadFrameRate;
    if (s.bitCount != 24 && s.bitCount != 32) return SettingsCheck::BadBitCount;
    const int64_t w = s.Width(), h = s.Height();
    if (w <= 0 || h <= 0 || w > kMaxFrameSide || h > kMaxFrameSide) return SettingsCheck::BadRectangle;
    return SettingsCheck::Ok;
}

int32_t EffectiveScalePercent(const CaptureSettings& s) {
    return s.scalePercent >= 10 && s.scalePercent <= 1000 ? s.scalePercent : 100;
}

}  // namespace pixark
