#include "graph/ClonePreview.h"

// Not built yet: there is no preview to build or stop.

bool BuildClonePreview() { return true; }

void StopClonePreview() {}

bool ClonePreviewRunning() { return false; }
