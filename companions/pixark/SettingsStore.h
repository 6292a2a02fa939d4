#pragma once
// The process-wide copy of the last accepted settings. The recorder hands
// the settings to a first instance that it then discards, and the instance
// it keeps is created afterwards: a new instance starts from this copy.
// One lock guards it; readers get a copy. Portable.

#include "companions/pixark/CaptureSettings.h"

namespace pixark {

void StoreSettings(const CaptureSettings& s);
CaptureSettings LoadSettings();

}  // namespace pixark
