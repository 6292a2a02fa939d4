#include "graph/ScreenCaptureArguments.h"

#include <cmath>
#include <limits>

std::int32_t TruncateToInt32(double value) {
    if (std::isnan(value)) return 0;
    if (value <= static_cast<double>(std::numeric_limits<std::int32_t>::min()))
        return std::numeric_limits<std::int32_t>::min();
    if (value >= static_cast<double>(std::numeric_limits<std::int32_t>::max()))
        return std::numeric_limits<std::int32_t>::max();
    return static_cast<std::int32_t>(value);
}

ScreenCaptureArgumentList ScreenCaptureArguments(const SettingsRecord& settings, std::int32_t trackedWindow,
                                                 bool backgroundActive, double display2Scale) {
    const std::int32_t scalePercent = backgroundActive && settings.Monitor == 2 ? TruncateToInt32(display2Scale) : 100;
    return {
        TruncateToInt32(settings.FrameRate),
        settings.Bitcount,
        settings.xTop,
        settings.yTop,
        settings.xBottom,
        settings.yBottom,
        settings.Protocol,
        settings.VideoBitrate,
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
