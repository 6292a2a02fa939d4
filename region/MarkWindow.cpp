#include "region/MarkWindow.h"

// Not built yet: there is never a marking window to close.
void CloseMarkingWindow() {}
