#pragma once
// The recording graph's COM references: one process-wide set, each empty
// when not held. The graph code builds, runs and tears the graph down
// through these; the lookups add their filters to its manager, and the
// audio-source probe keeps what it adds here so that the teardown removes it.

#include <windows.h>

#include <control.h>
#include <strmif.h>

#include <cstdint>

#include "framework/base/ComPtr.h"

struct RecordingGraphState {
    ComPtr<IGraphBuilder> graph;       // the filter graph manager
    ComPtr<IFilterGraph> filterGraph;  // second view of the same manager
    ComPtr<ICaptureGraphBuilder2> captureBuilder;
    ComPtr<IMediaControl> mediaControl;
    ComPtr<IMediaEvent> mediaEvent;    // the graph's events, read by the session's tick
    ComPtr<IVideoWindow> videoWindow;  // the preview renderer's window
    ComPtr<IBasicVideo> basicVideo;
    ComPtr<IBaseFilter> ScreenCaptureFilter;  // the screen-capture source
    ComPtr<IBaseFilter> audioSource;          // capture device or the Sonark5 filter
    ComPtr<IBaseFilter> writer;               // the ASF writer "Mux"
    ComPtr<IBaseFilter> tee;                  // infinite-pin tee of the preview branch
    ComPtr<IBaseFilter> previewRenderer;      // "Video Renderer" of the preview branch
    ComPtr<IBaseFilter> wavDest;              // "WAV Dest" of the audio-source probe
    // The call window's thread whose input the interface thread joined when
    // the graph ran (0: none); parted again when the recording stops, or
    // the call program would freeze with every wait of the recorder.
    DWORD attachedThread = 0;
    // Local time at which the graph ran, as a file time (100-ns units).
    std::uint64_t RecordingStartTime = 0;
};

// The one set. It is never destroyed: the process ends after COM has been
// uninitialised, and releasing a filter then would call into a server that
// may be gone. The graph code empties it before that.
RecordingGraphState& RecordingGraph();
