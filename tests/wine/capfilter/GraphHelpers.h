#pragma once
// Wine's filter graph with a capture filter and the test sink.

#include <windows.h>

#include <control.h>
#include <strmif.h>

#include <uuids.h>

#include "framework/base/ComPtr.h"
#include "tests/wine/capfilter/TestSink.h"

struct TestGraph {
    ComPtr<IGraphBuilder> graph;
    ComPtr<IMediaControl> control;
    ComPtr<IMediaEventEx> events;
    ComPtr<IBaseFilter> sinkFilter;
    TestSink* sink = nullptr;

    // Adds the source and a sink and connects the source's first pin.
    HRESULT Build(IBaseFilter* source) {
        HRESULT hr = ::CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_IGraphBuilder,
                                        reinterpret_cast<void**>(&graph));
        if (FAILED(hr)) return hr;
        if (FAILED(hr = graph->QueryInterface(IID_IMediaControl, reinterpret_cast<void**>(&control)))) return hr;
        if (FAILED(hr = graph->QueryInterface(IID_IMediaEventEx, reinterpret_cast<void**>(&events)))) return hr;
        sink = TestSink::Create();
        sinkFilter.Attach(sink);
        if (FAILED(hr = graph->AddFilter(source, L"Sonark5 Filter"))) return hr;
        if (FAILED(hr = graph->AddFilter(sinkFilter.Get(), L"Sink"))) return hr;
        ComPtr<IPin> out;
        if (FAILED(hr = source->FindPin(L"Out", &out))) return hr;
        return graph->ConnectDirect(out.Get(), sink->InputPin(), nullptr);
    }

    // Waits up to timeoutMs for an event with this code; its first param.
    bool WaitForEvent(long code, LONG_PTR* param1, DWORD timeoutMs) {
        DWORD end = ::GetTickCount() + timeoutMs;
        for (;;) {
            long got;
            LONG_PTR p1, p2;
            DWORD left = static_cast<LONG>(end - ::GetTickCount()) > 0 ? end - ::GetTickCount() : 0;
            if (events->GetEvent(&got, &p1, &p2, left > 50 ? 50 : left) == S_OK) {
                events->FreeEventParams(got, p1, p2);
                if (got == code) {
                    if (param1) *param1 = p1;
                    return true;
                }
            }
            if (static_cast<LONG>(end - ::GetTickCount()) <= 0) return false;
        }
    }
};
