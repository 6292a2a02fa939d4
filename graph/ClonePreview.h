#pragma once
// The clone preview: the captured region shown live in the recorder window.

// Stops any previous preview and builds it again; true when "ShowVideo" is
// off or the preview runs.
bool BuildClonePreview();

// Stops the preview and leaves an empty graph with fresh interfaces.
void StopClonePreview();

bool ClonePreviewRunning();
