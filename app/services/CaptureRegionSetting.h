#pragma once
// The capture region as the settings keep it: "xTop", "yTop", "xBottom",
// "yBottom" of the process's settings record, read and set as one
// rectangle (screen coordinates, right and bottom exclusive).

#include "app/services/Geometry.h"
#include "settings/Settings.h"

inline ScreenRect CaptureRegion() {
    return ScreenRect{Settings.xTop, Settings.yTop, Settings.xBottom, Settings.yBottom};
}

inline void SetCaptureRegion(const ScreenRect& r) {
    Settings.xTop = r.left;
    Settings.yTop = r.top;
    Settings.xBottom = r.right;
    Settings.yBottom = r.bottom;
}
