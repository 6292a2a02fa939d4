#pragma once
// The clone preview's COM references: one process-wide set beside the
// recording graph's, each empty when not held. Its own graph manager, a
// screen-capture filter of its own and a "Video Renderer" whose window is a
// child of the recorder window.

#include <windows.h>

#include <control.h>
#include <strmif.h>

#include "framework/base/ComPtr.h"
#include "graph/ScreenCaptureSettings.h"

struct ClonePreviewState {
    ComPtr<IGraphBuilder> graph2;  // the preview's own filter graph manager
    ComPtr<ICaptureGraphBuilder2> captureBuilder2;
    ComPtr<IMediaControl> mediaControl2;
    ComPtr<IVideoWindow> videoWindow2;  // the renderer's window
    ComPtr<IBasicVideo> basicVideo2;
    ComPtr<IBaseFilter> CloneCaptureFilter;  // "Pixark BCK" of graph2
    // Kept after each configuration, across stops: the tracking tests that
    // it is held before it rebuilds the preview.
    ComPtr<IScreenCaptureSettings> CloneSettings;
    ComPtr<IBaseFilter> renderer2;  // the "Video Renderer" of graph2
    bool running = false;           // a build ran the graph; cleared by the release
};

// The one set. Never destroyed, like the recording graph's: the process
// ends after COM has been uninitialised, and releasing a filter then would
// call into a server that may be gone.
ClonePreviewState& ClonePreview();
