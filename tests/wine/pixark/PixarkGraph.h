#pragma once
// What the pixark.ax tests share: the filter created by class id from the
// registered product file, configured through its interface, and Wine's
// filter graph with the filter connected straight to a sink.

#include <windows.h>

#include <control.h>
#include <strmif.h>

#include <string>

#include "companions/pixark/CaptureSettings.h"
#include "companions/pixark/PixarkStats.h"
#include "framework/base/ComPtr.h"
#include "graph/ScreenCaptureSettings.h"
#include "tests/wine/pixark/VideoSink.h"

// The built pixark.ax in the product folder.
std::wstring PixarkPath();
// Runs a command line and waits (bounded); its exit code, 9999 if it could
// not be started.
DWORD RunCommand(const std::wstring& commandLine);

ComPtr<IBaseFilter> CreatePixark();
// Settings for the rectangle, everything else as the recorder passes it
// for a foreground recording.
pixark::CaptureSettings Rectangle(int32_t left, int32_t top, int32_t right, int32_t bottom, int32_t fps = 15,
                                  int32_t bits = 32);
HRESULT Configure(IBaseFilter* filter, const pixark::CaptureSettings& s);
// The filter's only pin.
ComPtr<IPin> OutputPin(IBaseFilter* filter);
// The delivered and dropped counts through IPixarkStats.
bool FrameCounts(IBaseFilter* filter, LONG& delivered, LONG& dropped);

struct CaptureGraph {
    ComPtr<IGraphBuilder> graph;
    ComPtr<IMediaControl> control;
    ComPtr<IBaseFilter> filter;
    ComPtr<IBaseFilter> sinkFilter;
    VideoSink* sink = nullptr;

    // Adds the filter as "Pixark BCK" and a VideoSink, connects the filter's
    // pin to the sink directly, with no media type proposed.
    HRESULT Build(IBaseFilter* capture);
    // Runs for ms milliseconds pumping messages, then stops.
    HRESULT RunFor(DWORD ms);
    // Runs and waits (pumping) for a frame received at or after `after`
    // (GetTickCount), up to timeoutMs; the graph keeps running.
    bool WaitForFrameAfter(DWORD after, DWORD timeoutMs);
    ~CaptureGraph();
};
