#include "tests/wine/pixark/PixarkGraph.h"

#include <uuids.h>

#include "framework/win/Handles.h"
#include "tests/wine/driver/Process.h"
#include "tests/wine/pixark/TestWindows.h"

std::wstring PixarkPath() { return driver::ProductFolder() + L"pixark.ax"; }

DWORD RunCommand(const std::wstring& commandLine) {
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    std::wstring cmd = commandLine;
    if (!::CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return 9999;
    win::Handle process(pi.hProcess), thread(pi.hThread);
    if (::WaitForSingleObject(pi.hProcess, 60000) != WAIT_OBJECT_0) return 9998;
    DWORD code = 9997;
    ::GetExitCodeProcess(pi.hProcess, &code);
    return code;
}

ComPtr<IBaseFilter> CreatePixark() {
    ComPtr<IBaseFilter> filter;
    ::CoCreateInstance(kScreenCaptureFilterClsid, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER,
                       IID_IBaseFilter, reinterpret_cast<void**>(&filter));
    return filter;
}

pixark::CaptureSettings Rectangle(int32_t left, int32_t top, int32_t right, int32_t bottom, int32_t fps, int32_t bits) {
    pixark::CaptureSettings s;
    s.frameRate = fps;
    s.bitCount = bits;
    s.left = left;
    s.top = top;
    s.right = right;
    s.bottom = bottom;
    s.mode = 1;
    s.bitRate = 3000;
    s.constant9 = 1;
    s.cursor = 0;
    s.window = 0;
    s.background = 0;
    s.scalePercent = 100;
    return s;
}

HRESULT Configure(IBaseFilter* filter, const pixark::CaptureSettings& s) {
    if (!filter) return E_POINTER;
    ComPtr<IScreenCaptureSettings> settings;
    HRESULT hr = filter->QueryInterface(__uuidof(IScreenCaptureSettings), reinterpret_cast<void**>(&settings));
    if (FAILED(hr)) return hr;
    return settings->SetCaptureSettings(s.frameRate, s.bitCount, s.left, s.top, s.right, s.bottom, s.mode, s.bitRate,
                                        s.constant9, s.cursor, s.constant11, s.window, s.background, s.constant14,
                                        s.scalePercent, s.constant16);
}

ComPtr<IPin> OutputPin(IBaseFilter* filter) {
    ComPtr<IPin> pin;
    ComPtr<IEnumPins> pins;
    if (!filter || FAILED(filter->EnumPins(&pins))) return pin;
    ComPtr<IPin> next;
    while (pins->Next(1, &next, nullptr) == S_OK) pin = next;
    return pin;
}

bool FrameCounts(IBaseFilter* filter, LONG& delivered, LONG& dropped) {
    ComPtr<IPixarkStats> stats;
    if (FAILED(filter->QueryInterface(__uuidof(IPixarkStats), reinterpret_cast<void**>(&stats)))) return false;
    return SUCCEEDED(stats->GetFrameCounts(&delivered, &dropped));
}

HRESULT CaptureGraph::Build(IBaseFilter* capture) {
    filter = ComPtr<IBaseFilter>(capture);
    HRESULT hr = ::CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_IGraphBuilder,
                                    reinterpret_cast<void**>(&graph));
    if (FAILED(hr)) return hr;
    if (FAILED(hr = graph->QueryInterface(IID_IMediaControl, reinterpret_cast<void**>(&control)))) return hr;
    sink = VideoSink::Create();
    sinkFilter.Attach(sink);
    if (FAILED(hr = graph->AddFilter(capture, L"Pixark BCK"))) return hr;
    if (FAILED(hr = graph->AddFilter(sinkFilter.Get(), L"Sink"))) return hr;
    ComPtr<IPin> out = OutputPin(capture);
    if (!out) return E_FAIL;
    return graph->ConnectDirect(out.Get(), sink->InputPin(), nullptr);
}

HRESULT CaptureGraph::RunFor(DWORD ms) {
    HRESULT hr = control->Run();
    if (FAILED(hr)) return hr;
    PumpFor(ms);
    return control->Stop();
}

bool CaptureGraph::WaitForFrameAfter(DWORD after, DWORD timeoutMs) {
    const DWORD start = ::GetTickCount();
    for (;;) {
        const VideoFrame f = sink->LastFrame();
        if (!f.bytes.empty() && static_cast<LONG>(f.tick - after) >= 0) return true;
        if (::GetTickCount() - start > timeoutMs) return false;
        PumpFor(20);
    }
}

CaptureGraph::~CaptureGraph() {
    if (control) control->Stop();
}
