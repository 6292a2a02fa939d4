#include "graph/CloneCaptureArguments.h"

namespace {

constexpr std::int32_t kPreviewFrameRate = 5;
constexpr std::int32_t kPreviewMode = 100;
constexpr std::int32_t kPreviewBitRate = 1000;

}  // namespace

ScreenCaptureArgumentList CloneCaptureArguments(const SettingsRecord& settings, std::int32_t trackedWindow,
                                                bool backgroundActive, int relativeScale) {
    const std::int32_t scalePercent = backgroundActive && settings.Monitor == 2 ? relativeScale : 100;
    return {
        kPreviewFrameRate,
        settings.Bitcount,
        settings.xTop,
        settings.yTop,
        settings.xBottom,
        settings.yBottom,
        kPreviewMode,
        kPreviewBitRate,
        1,
        settings.Cursor,
        0,
        trackedWindow,
        backgroundActive ? 1 : 0,
        0,
        scalePercent,
        0,
    };
}
