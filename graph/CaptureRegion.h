#pragma once
// The capture region as a recording takes it: the settings' rectangle moved
// off coordinate 0 and cut to multiples of 8 from its top-left corner, on
// the settings fields themselves (they are written back before the graph is
// built, so the screen-capture filter reads the same numbers).

#include "settings/Settings.h"

struct CaptureSize {
    int width = 0;
    int height = 0;
};

// A span of 13 pixels records 8, one of 7 records 0 (which the profile
// writer then refuses).
int RoundDownToMultipleOf8(int span);

// Normalises "xTop", "yTop", "xBottom", "yBottom" of the record and returns
// the size the recording has.
CaptureSize NormaliseCaptureRegion(SettingsRecord& settings);
