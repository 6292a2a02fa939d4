#include "graph/RecordingGraph.h"

#include <control.h>
#include <strmif.h>
#include <uuids.h>

#include <cstdio>

#include "app/services/DiagnosticLog.h"
#include "app/services/EnvironmentProbes.h"
#include "app/services/ShowMessage.h"
#include "graph/ClonePreview.h"
#include "graph/RecordingGraphState.h"
#include "graph/RestoreHelper.h"
#include "settings/Settings.h"

namespace {

constexpr size_t kDebugLineCapacity = 1024;
constexpr int kRecordButtonId = 1215;

void DebugLine(const wchar_t* format, HRESULT hr) {
    wchar_t line[kDebugLineCapacity];
    std::swprintf(line, kDebugLineCapacity, format, static_cast<unsigned>(hr));
    ::OutputDebugStringW(line);
}

template <typename T>
void RemoveAndDrop(IGraphBuilder* graph, ComPtr<T>& filter) {
    if (graph && filter) graph->RemoveFilter(filter.Get());
    filter = nullptr;
}

}  // namespace

HRESULT CreateGraphInterfaces() {
    RecordingGraphState& state = RecordingGraph();
    const DWORD context = CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER;
    if (FAILED(::CoCreateInstance(CLSID_FilterGraph, nullptr, context, IID_IGraphBuilder,
                                  reinterpret_cast<void**>(&state.graph))) ||
        !state.graph)
        return E_NOINTERFACE;
    if (FAILED(::CoCreateInstance(CLSID_CaptureGraphBuilder2, nullptr, context, IID_ICaptureGraphBuilder2,
                                  reinterpret_cast<void**>(&state.captureBuilder))) ||
        !state.captureBuilder)
        return E_NOINTERFACE;
    HRESULT hr = state.captureBuilder->SetFiltergraph(state.graph.Get());
    if (FAILED(hr)) return hr;
    if (FAILED(hr = state.graph.As(state.mediaControl))) {
        DebugLine(L"FAILED(0x%x) hr = m_pGB->QueryInterface(IID_IMediaControl, (void **)&m_pMC)\n", hr);
        return hr;
    }
    if (FAILED(hr = state.graph->QueryInterface(IID_IMediaEvent, reinterpret_cast<void**>(&state.mediaEvent)))) {
        DebugLine(L"FAILED(0x%x) QueryInterface(IID_IMediaEvent)\n", hr);
        return hr;
    }
    if (FAILED(hr = state.graph->QueryInterface(IID_IVideoWindow, reinterpret_cast<void**>(&state.videoWindow)))) {
        DebugLine(L"FAILED(0x%x) hr = m_pGB->QueryInterface(IID_IVideoWindow, (void **)&pVW)\n", hr);
        return hr;
    }
    if (FAILED(hr = state.graph->QueryInterface(IID_IBasicVideo, reinterpret_cast<void**>(&state.basicVideo)))) {
        DebugLine(L"FAILED(0x%x) hr = m_pGB->QueryInterface(IID_IBasicVideo, (void **)&pBV)\n", hr);
        return hr;
    }
    return hr;
}

void ReleaseGraphInterfaces() {
    RecordingGraphState& state = RecordingGraph();
    state.mediaControl = nullptr;
    state.mediaEvent = nullptr;
    state.graph = nullptr;
    state.videoWindow = nullptr;
    state.basicVideo = nullptr;
    state.captureBuilder = nullptr;
    // The second view would keep the old manager alive; every build queries
    // it afresh from the new one.
    state.filterGraph = nullptr;
}

void DetachFromTrackedWindow() {
    DWORD& attached = RecordingGraph().attachedThread;
    if (attached) ::AttachThreadInput(attached, ::GetCurrentThreadId(), FALSE);
    attached = 0;
}

void TearDownRecordingGraph() {
    DetachFromTrackedWindow();
    WaitPumping(1000);
    RecordingGraphState& state = RecordingGraph();
    IGraphBuilder* const graph = state.graph.Get();
    RemoveAndDrop(graph, state.writer);
    RemoveAndDrop(graph, state.ScreenCaptureFilter);
    RemoveAndDrop(graph, state.tee);
    RemoveAndDrop(graph, state.wavDest);
    RemoveAndDrop(graph, state.audioSource);
}

HRESULT ResetRecordingGraph() {
    TearDownRecordingGraph();
    ReleaseGraphInterfaces();
    return CreateGraphInterfaces();
}

void DestroyRecordingGraph() {
    TearDownRecordingGraph();
    ReleaseGraphInterfaces();
}

HRESULT RecreateGraphInterfaces() {
    ReleaseGraphInterfaces();
    return CreateGraphInterfaces();
}

HRESULT CreateAllGraphs() {
    const HRESULT hr = CreateGraphInterfaces();
    if (FAILED(hr)) return hr;
    return CreatePreviewGraphInterfaces();
}

bool RecordingGraphExists() { return static_cast<bool>(RecordingGraph().graph); }

bool RunRecordingGraph() {
    const RestoreHelper helper;
    helper.Notify(8, 7);
    if (IMediaControl* control = RecordingGraph().mediaControl.Get()) {
        const HRESULT hr = control->Run();
        helper.Notify(7, 8);
        if (FAILED(hr)) {
            AppendLog(L"\r\nRun failed hr=0x%x", static_cast<unsigned>(hr));
            ShowMessage(L"Cannot setup recording graph");
            return false;
        }
        AppendLog(L"\r\n\r\nRUNNING\r\n");
    }
    helper.Notify(7, 8);
    return true;
}

void PauseRecordingGraph() {
    const RestoreHelper helper;
    helper.Notify(7, 7);
    if (IMediaControl* control = RecordingGraph().mediaControl.Get()) control->Pause();
    helper.Notify(7, 8);
}

HRESULT StopRecordingGraph() {
    const RestoreHelper helper;
    helper.Notify(7, 7);
    WaitPumping(1000);
    HRESULT hr = S_OK;
    // The pumped wait may have run handlers that reset the graph.
    if (IMediaControl* control = RecordingGraph().mediaControl.Get()) hr = control->Stop();
    if (FAILED(hr)) AppendLog(L"\r\nStop failed hr=0x%x", static_cast<unsigned>(hr));
    DetachFromTrackedWindow();
    helper.Notify(7, 8);
    if (Settings.MiniClone != 0) {
        if (HWND recorder = ::FindWindowW(nullptr, L"Quorra")) ::SetDlgItemTextW(recorder, kRecordButtonId, L"RECORD");
    }
    return hr;
}

void NotifyOfRecordingGraphEvents(HWND window, UINT message) {
    ComPtr<IMediaEventEx> events;
    IMediaEvent* base = RecordingGraph().mediaEvent.Get();
    if (!base || FAILED(base->QueryInterface(IID_IMediaEventEx, reinterpret_cast<void**>(&events))) || !events) return;
    const HRESULT hr = events->SetNotifyWindow(reinterpret_cast<OAHWND>(window), static_cast<long>(message), 0);
    if (FAILED(hr)) AppendLog(L"\r\nSetNotifyWindow failed hr=0x%x", static_cast<unsigned>(hr));
}

bool NextRecordingGraphEvent(long& code, LONG_PTR& param1, LONG_PTR& param2) {
    IMediaEvent* events = RecordingGraph().mediaEvent.Get();
    if (!events || events->GetEvent(&code, &param1, &param2, 0) != S_OK) return false;
    events->FreeEventParams(code, param1, param2);
    AppendLog(L"\r\nGraph event 0x%x (0x%x, 0x%x)", static_cast<unsigned>(code), static_cast<unsigned>(param1),
              static_cast<unsigned>(param2));
    return true;
}
