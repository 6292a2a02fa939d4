#include "graph/ClonePreviewPlacement.h"

#include <cmath>

namespace {

ScreenRect Sized(int left, int top, int width, int height) { return {left, top, left + width, top + height}; }

// The interface scale is a whole percentage ("Size" / 100, or 1.2, or 2.5),
// so the product is taken in whole numbers: the same pixels in every build.
// A floating-point 195 x 1.2 falls just short of 234 in the 32-bit build's
// extended precision and would truncate to 233.
int Scaled(int value, double scale) {
    const long long percent = std::llround(scale * 100);
    return static_cast<int>(value * percent / 100);
}

}  // namespace

ScreenRect ClonePreviewRect(int miniClone, int clientWidth, int clientHeight, double scale, int buttonRowBottom,
                            int statusHeight) {
    if (miniClone == 0) return Sized(Scaled(195, scale), Scaled(39, scale), Scaled(301, scale), Scaled(137, scale));
    return Sized(0, buttonRowBottom, clientWidth + 1, clientHeight - statusHeight - buttonRowBottom);
}
