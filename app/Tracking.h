#pragma once
// Following the Skype call window: a thread that enumerates the top-level
// windows while no recording runs.

void StartTracking();
void StopTracking();
