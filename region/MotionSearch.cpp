#include "region/MotionSearch.h"

// Not built yet: no search ever runs.

bool MotionSearchRunning() { return false; }

void ResetMotionSearch() {}
