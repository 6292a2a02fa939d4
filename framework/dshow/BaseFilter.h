#pragma once
// CBaseFilter: the IBaseFilter side of a filter -- its state, reference
// clock, stream time, graph membership and pin enumeration. Derived filters
// say how many pins they have and hand them out by index.
//
// The filter never holds a counted reference to its graph (the graph holds
// the filter): the graph and its event sink are kept as plain pointers
// between JoinFilterGraph calls.

#include <windows.h>

#include <strmif.h>

#include <vfwmsgs.h>

#include <atomic>

#include "framework/base/ComPtr.h"
#include "framework/dshow/CritSec.h"
#include "framework/dshow/Unknown.h"

class CBasePin;

class CBaseFilter : public CUnknown, public IBaseFilter {
public:
    // lock: the filter's state lock, owned by the derived filter.
    CBaseFilter(const wchar_t* name, IUnknown* outer, CCritSec* lock, REFCLSID clsid);
    ~CBaseFilter() override;

    DECLARE_IUNKNOWN
    HRESULT STDMETHODCALLTYPE NonDelegatingQueryInterface(REFIID riid, void** ppv) override;

    // IPersist
    HRESULT STDMETHODCALLTYPE GetClassID(CLSID* clsid) override;
    // IMediaFilter
    HRESULT STDMETHODCALLTYPE Stop() override;
    HRESULT STDMETHODCALLTYPE Pause() override;
    HRESULT STDMETHODCALLTYPE Run(REFERENCE_TIME start) override;
    HRESULT STDMETHODCALLTYPE GetState(DWORD timeoutMs, FILTER_STATE* state) override;
    HRESULT STDMETHODCALLTYPE SetSyncSource(IReferenceClock* clock) override;
    HRESULT STDMETHODCALLTYPE GetSyncSource(IReferenceClock** clock) override;
    // IBaseFilter
    HRESULT STDMETHODCALLTYPE EnumPins(IEnumPins** ppEnum) override;
    HRESULT STDMETHODCALLTYPE FindPin(LPCWSTR id, IPin** ppPin) override;
    HRESULT STDMETHODCALLTYPE QueryFilterInfo(FILTER_INFO* info) override;
    HRESULT STDMETHODCALLTYPE JoinFilterGraph(IFilterGraph* graph, LPCWSTR name) override;
    HRESULT STDMETHODCALLTYPE QueryVendorInfo(LPWSTR* info) override;

    // Time since Run's start time on the filter's clock; VFW_E_NO_CLOCK
    // without a clock. Callers hold the state lock.
    virtual HRESULT StreamTime(REFERENCE_TIME& t);
    // Changes whenever the pin set changes, so enumerators notice.
    virtual LONG GetPinVersion();
    virtual int GetPinCount() = 0;
    // The pin at n (0-based), not AddRef'd; null past the end.
    virtual CBasePin* GetPin(int n) = 0;

    // Sends an event to the graph's event sink, if the filter is in a graph.
    HRESULT NotifyEvent(long code, LONG_PTR p1, LONG_PTR p2);

    // The state as last set; readable without the lock (a streaming thread
    // may glance at it while it waits), changed only under the lock.
    FILTER_STATE State() const { return m_State.load(); }
    bool IsActive() const { return State() != State_Stopped; }
    bool IsStopped() const { return State() == State_Stopped; }
    IFilterGraph* Graph() const { return m_pGraph; }
    CCritSec* StateLock() const { return m_pLock; }

protected:
    void IncrementPinVersion() { ++m_PinVersion; }

    std::atomic<FILTER_STATE> m_State{State_Stopped};
    ComPtr<IReferenceClock> m_pClock;
    REFERENCE_TIME m_tStart = 0;
    CLSID m_clsid;
    CCritSec* m_pLock;
    wchar_t m_name[MAX_FILTER_NAME] = {};
    IFilterGraph* m_pGraph = nullptr;
    IMediaEventSink* m_pSink = nullptr;
    std::atomic<LONG> m_PinVersion{1};
};
