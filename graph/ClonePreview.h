#pragma once
// The clone preview: a second DirectShow graph, independent of the
// recording's, that shows the capture region live inside the recorder
// window "Quorra" at 5 frames per second. GUI thread only, in its
// single-threaded apartment; the references live in ClonePreview()
// (ClonePreviewState.h). Every failure is shown with ShowMessage.

#include <windows.h>

// Creates graph2 and its capture graph builder (E_NOINTERFACE when either
// cannot be made), attaches them, then queries mediaControl2, videoWindow2
// and basicVideo2; a failed query is written to the debugger output and
// returned.
HRESULT CreatePreviewGraphInterfaces();

// Stops and releases any previous preview and builds it from scratch:
// capture filter, settings, "Video Renderer", the render, the window placed
// in the recorder window, the run. True when there is no recorder window or
// "ShowVideo" is off (nothing is done) or the preview runs; false after the
// failure's message, with what was added left in graph2 until the next stop.
bool BuildClonePreview();

// Queries CloneCaptureFilter for its settings interface, kept in
// CloneSettings, and hands it the preview's settings. False when the query
// fails or gives nothing, or after "FAIL settings 1" when the filter
// refuses them.
bool ConfigureCloneCapture();

// With a recorder window and "ShowVideo" on: stops the preview's graph,
// releases the preview and leaves an empty graph2 with fresh interfaces.
void StopClonePreview();

// Removes and drops the capture filter and the renderer, then releases
// mediaControl2, graph2, videoWindow2 and captureBuilder2.
void ReleaseClonePreview();

// Whether a built preview runs.
bool ClonePreviewRunning();
