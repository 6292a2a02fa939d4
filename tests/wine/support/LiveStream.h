#pragma once
// CLiveStream: a CSourceStream that delivers on the graph's clock. Before
// each sample it waits until the filter runs and the stream time has
// reached the sample's end; while the filter is paused it waits without
// delivering. The waits look for a stop between short sleeps: the worker
// must never block a Stop that holds the state lock.

#include <windows.h>

#include <atomic>

#include "framework/base/ComPtr.h"
#include "framework/dshow/Source.h"

// A source filter that remembers the start time of Run where its streams
// can read it without the state lock, and says it cannot cue when paused.
class CLiveSource : public CSource {
public:
    CLiveSource(const wchar_t* name, REFCLSID clsid) : CSource(name, nullptr, clsid) {}

    HRESULT STDMETHODCALLTYPE Run(REFERENCE_TIME start) override;
    HRESULT STDMETHODCALLTYPE GetState(DWORD timeoutMs, FILTER_STATE* state) override;

    REFERENCE_TIME RunStart() const { return m_runStart.load(); }
    // The clock, read by a stream while the state lock's holder waits for it.
    IReferenceClock* Clock() const { return m_pClock.Get(); }

private:
    std::atomic<REFERENCE_TIME> m_runStart{0};
};

class CLiveStream : public CSourceStream {
public:
    CLiveStream(const wchar_t* objectName, HRESULT* phr, CLiveSource* filter, const wchar_t* pinName);

protected:
    // Live sources need the graph's clock: without one, pausing fails.
    HRESULT OnThreadCreate() override;
    HRESULT OnThreadDestroy() override;
    // S_OK once stream time >= `until` while running; S_FALSE when a stop
    // is pending.
    HRESULT WaitForStreamTime(REFERENCE_TIME until);
    // Asks the allocator for `count` buffers of `size` bytes; E_FAIL when it
    // gives smaller ones.
    static HRESULT RequestBuffers(IMemAllocator* alloc, ALLOCATOR_PROPERTIES* request, long count, long size);

    CLiveSource* m_pLive;

private:
    ComPtr<IReferenceClock> m_clock;
};
