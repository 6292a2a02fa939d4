#include "region/PixelColour.h"

#include <algorithm>

int SaturationPercent(uint8_t red, uint8_t green, uint8_t blue) {
    const int max = std::max({red, green, blue});
    const int min = std::min({red, green, blue});
    if (max == 0) return 0;
    // Whole numbers keep the truncation exact where a double would round 1.0 down.
    return (max - min) * 100 / max;
}

int HueDegrees(uint8_t red, uint8_t green, uint8_t blue) {
    const int max = std::max({red, green, blue});
    const int min = std::min({red, green, blue});
    if (max == min) return 0;
    const double range = max - min;
    double hue;
    if (max == red)
        hue = 60.0 * (green - blue) / range;
    else if (max == green)
        hue = 60.0 * (2.0 + (blue - red) / range);
    else
        hue = 60.0 * (4.0 + (red - green) / range);
    if (hue < 0) hue += 360.0;
    return static_cast<int>(hue);
}

bool ClosesSpan(uint8_t red, uint8_t green, uint8_t blue) {
    return SaturationPercent(red, green, blue) == 0 && HueDegrees(red, green, blue) == 0;
}
