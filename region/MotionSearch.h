#pragma once
// The motion-video search ("&Get Video"): finds a moving region on the
// screen in a worker thread and reports by "Quorra message".

bool MotionSearchRunning();

// Back to idle after a recording stopped.
void ResetMotionSearch();
