#include "app/Tracking.h"

// Not built yet: no window is followed.

void StartTracking() {}

void StopTracking() {}
