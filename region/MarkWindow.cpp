#include "region/MarkWindow.h"

// Not built yet: there is never a marking window.

bool MarkingWindowExists() { return false; }

void OpenOrToggleMarking() {}

void OfferDetectedRegion() {}

void CloseMarkingWindow() {}
