#include "graph/ClonePreview.h"

// The preview graph's interfaces and their release, apart from the build so
// that start-up's CreateAllGraphs needs nothing of the tracking or the
// recorder window.

#include <control.h>
#include <strmif.h>
#include <uuids.h>

#include <cstdio>

#include "framework/base/ComPtr.h"
#include "graph/ClonePreviewState.h"

namespace {

constexpr size_t kDebugLineCapacity = 1024;
// OLE Automation FALSE for IVideoWindow (its header leaves the macro out).
constexpr long kOaFalse = 0;

void DebugLine(const wchar_t* format, HRESULT hr) {
    wchar_t line[kDebugLineCapacity];
    std::swprintf(line, kDebugLineCapacity, format, static_cast<unsigned>(hr));
    ::OutputDebugStringW(line);
}

// The lookup of the renderer keeps the latest one it found until its next
// call, so a dropped renderer (and its window) may outlive the preview: it
// is hidden and handed back to the desktop first.
void ReleaseRendererWindow(IBaseFilter* renderer) {
    ComPtr<IVideoWindow> video;
    if (FAILED(renderer->QueryInterface(IID_IVideoWindow, reinterpret_cast<void**>(&video))) || !video) return;
    video->put_Visible(kOaFalse);
    video->put_Owner(0);
}

}  // namespace

HRESULT CreatePreviewGraphInterfaces() {
    ClonePreviewState& state = ClonePreview();
    const DWORD context = CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER;
    if (FAILED(::CoCreateInstance(CLSID_FilterGraph, nullptr, context, IID_IGraphBuilder,
                                  reinterpret_cast<void**>(&state.graph2))) ||
        !state.graph2)
        return E_NOINTERFACE;
    if (FAILED(::CoCreateInstance(CLSID_CaptureGraphBuilder2, nullptr, context, IID_ICaptureGraphBuilder2,
                                  reinterpret_cast<void**>(&state.captureBuilder2))) ||
        !state.captureBuilder2)
        return E_NOINTERFACE;
    HRESULT hr = state.captureBuilder2->SetFiltergraph(state.graph2.Get());
    if (FAILED(hr)) return hr;
    if (FAILED(hr = state.graph2->QueryInterface(IID_IMediaControl, reinterpret_cast<void**>(&state.mediaControl2)))) {
        DebugLine(L"FAILED(0x%x) hr = m_pGB2->QueryInterface(IID_IMediaControl, (void **)&m_pMC2)\n", hr);
        return hr;
    }
    if (FAILED(hr = state.graph2->QueryInterface(IID_IVideoWindow, reinterpret_cast<void**>(&state.videoWindow2)))) {
        DebugLine(L"FAILED(0x%x) hr = m_pGB2->QueryInterface(IID_IVideoWindow, (void **)&pVW2)\n", hr);
        return hr;
    }
    if (FAILED(hr = state.graph2->QueryInterface(IID_IBasicVideo, reinterpret_cast<void**>(&state.basicVideo2)))) {
        DebugLine(L"FAILED(0x%x) hr = m_pGB2->QueryInterface(IID_IBasicVideo, (void **)&pBV2)\n", hr);
        return hr;
    }
    return hr;
}

void ReleaseClonePreview() {
    ClonePreviewState& state = ClonePreview();
    state.running = false;
    if (state.CloneCaptureFilter) {
        if (state.graph2) state.graph2->RemoveFilter(state.CloneCaptureFilter.Get());
        state.CloneCaptureFilter = nullptr;
    }
    if (state.renderer2) {
        ReleaseRendererWindow(state.renderer2.Get());
        if (state.graph2) state.graph2->RemoveFilter(state.renderer2.Get());
        state.renderer2 = nullptr;
    }
    state.mediaControl2 = nullptr;
    state.graph2 = nullptr;
    state.videoWindow2 = nullptr;
    state.captureBuilder2 = nullptr;
}

bool ClonePreviewRunning() { return ClonePreview().running; }
