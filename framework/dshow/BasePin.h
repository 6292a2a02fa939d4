#pragma once
// CBasePin: the IPin side of a pin -- connection, media-type negotiation and
// the pin's part in state changes. CBaseOutputPin adds the allocator
// negotiation and delivery to a downstream IMemInputPin; CBaseInputPin
// receives samples through IMemInputPin.
//
// A pin lives inside its filter: its reference count is the filter's, so a
// pin handed out keeps the filter alive.

#include <windows.h>

#include <strmif.h>

#include <vfwmsgs.h>

#include <atomic>

#include "framework/base/ComPtr.h"
#include "framework/dshow/CritSec.h"
#include "framework/dshow/MediaType.h"
#include "framework/dshow/Unknown.h"

class CBaseFilter;

class CBasePin : public CUnknown, public IPin {
public:
    CBasePin(const wchar_t* objectName, CBaseFilter* filter, CCritSec* lock, HRESULT* phr, const wchar_t* pinName,
             PIN_DIRECTION dir);
    ~CBasePin() override;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE NonDelegatingQueryInterface(REFIID riid, void** ppv) override;
    ULONG STDMETHODCALLTYPE NonDelegatingAddRef() override;
    ULONG STDMETHODCALLTYPE NonDelegatingRelease() override;

    // IPin
    HRESULT STDMETHODCALLTYPE Connect(IPin* receivePin, const AM_MEDIA_TYPE* pmt) override;
    HRESULT STDMETHODCALLTYPE ReceiveConnection(IPin* connector, const AM_MEDIA_TYPE* pmt) override;
    HRESULT STDMETHODCALLTYPE Disconnect() override;
    HRESULT STDMETHODCALLTYPE ConnectedTo(IPin** pin) override;
    HRESULT STDMETHODCALLTYPE ConnectionMediaType(AM_MEDIA_TYPE* pmt) override;
    HRESULT STDMETHODCALLTYPE QueryPinInfo(PIN_INFO* info) override;
    HRESULT STDMETHODCALLTYPE QueryDirection(PIN_DIRECTION* dir) override;
    HRESULT STDMETHODCALLTYPE QueryId(LPWSTR* id) override;
    HRESULT STDMETHODCALLTYPE QueryAccept(const AM_MEDIA_TYPE* pmt) override;
    HRESULT STDMETHODCALLTYPE EnumMediaTypes(IEnumMediaTypes** ppEnum) override;
    HRESULT STDMETHODCALLTYPE QueryInternalConnections(IPin** pins, ULONG* n) override;
    HRESULT STDMETHODCALLTYPE EndOfStream() override;
    HRESULT STDMETHODCALLTYPE BeginFlush() override;
    HRESULT STDMETHODCALLTYPE EndFlush() override;
    HRESULT STDMETHODCALLTYPE NewSegment(REFERENCE_TIME start, REFERENCE_TIME stop, double rate) override;

    // Negotiation hooks.
    virtual HRESULT CheckMediaType(const CMediaType* pmt) = 0;
    // The type at `position` (0-based) this pin prefers; VFW_S_NO_MORE_ITEMS
    // past the end.
    virtual HRESULT GetMediaType(int position, CMediaType* pmt);
    virtual HRESULT SetMediaType(const CMediaType* pmt);
    virtual HRESULT CheckConnect(IPin* pin);
    virtual HRESULT BreakConnect();
    virtual HRESULT CompleteConnect(IPin* receivePin);
    // State changes of the filter, for connected pins.
    virtual HRESULT Active() { return S_OK; }
    virtual HRESULT Inactive() { return S_OK; }
    virtual HRESULT Run(REFERENCE_TIME) { return S_OK; }

    bool IsConnected() const { return static_cast<bool>(m_Connected); }
    IPin* GetConnected() const { return m_Connected.Get(); }
    const wchar_t* PinName() const { return m_pName; }
    const CMediaType& CurrentMediaType() const { return m_mt; }
    // Changes when the pin's list of types changes, for enumerators.
    virtual LONG GetMediaTypeVersion() { return m_TypeVersion; }

protected:
    HRESULT AgreeMediaType(IPin* receivePin, const AM_MEDIA_TYPE* pmt);
    HRESULT TryMediaTypes(IPin* receivePin, const AM_MEDIA_TYPE* pmt, IEnumMediaTypes* types);
    HRESULT AttemptConnection(IPin* receivePin, const CMediaType* pmt);

    wchar_t m_pName[128] = {};
    CBaseFilter* m_pFilter;
    CCritSec* m_pLock;
    ComPtr<IPin> m_Connected;
    PIN_DIRECTION m_dir;
    CMediaType m_mt;
    REFERENCE_TIME m_tStart = 0;
    REFERENCE_TIME m_tStop = 0;
    double m_dRate = 1.0;
    LONG m_TypeVersion = 1;
};

// Whether a delivery's result is the downstream's failure rather than the
// refusal of a pin that is stopping or flushing (S_FALSE, VFW_E_WRONG_STATE,
// VFW_E_NOT_COMMITTED).
inline bool IsDeliveryFailure(HRESULT hr) { return FAILED(hr) && hr != VFW_E_WRONG_STATE && hr != VFW_E_NOT_COMMITTED; }

class CBaseOutputPin : public CBasePin {
public:
    CBaseOutputPin(const wchar_t* objectName, CBaseFilter* filter, CCritSec* lock, HRESULT* phr,
                   const wchar_t* pinName);

    HRESULT CheckConnect(IPin* pin) override;
    HRESULT BreakConnect() override;
    HRESULT CompleteConnect(IPin* receivePin) override;
    // Commits the allocator (VFW_E_NO_ALLOCATOR without one).
    HRESULT Active() override;
    // Decommits it, which also frees a thread blocked in GetDeliveryBuffer.
    HRESULT Inactive() override;

    // Sets the allocator's buffer count and size for the connection.
    virtual HRESULT DecideBufferSize(IMemAllocator* alloc, ALLOCATOR_PROPERTIES* request) = 0;
    // The downstream pin's allocator if it offers one and it takes our
    // sizes, else a memory allocator of our own.
    virtual HRESULT DecideAllocator(IMemInputPin* pin, IMemAllocator** alloc);
    virtual HRESULT InitAllocator(IMemAllocator** alloc);

    HRESULT GetDeliveryBuffer(IMediaSample** sample, REFERENCE_TIME* start, REFERENCE_TIME* stop, DWORD flags);
    HRESULT Deliver(IMediaSample* sample);
    HRESULT DeliverEndOfStream();
    HRESULT DeliverBeginFlush();
    HRESULT DeliverEndFlush();
    HRESULT DeliverNewSegment(REFERENCE_TIME start, REFERENCE_TIME stop, double rate);

protected:
    ComPtr<IMemAllocator> m_pAllocator;
    ComPtr<IMemInputPin> m_pInputPin;
};

class CBaseInputPin : public CBasePin, public IMemInputPin {
public:
    CBaseInputPin(const wchar_t* objectName, CBaseFilter* filter, CCritSec* lock, HRESULT* phr, const wchar_t* pinName);

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE NonDelegatingQueryInterface(REFIID riid, void** ppv) override;

    // IMemInputPin
    HRESULT STDMETHODCALLTYPE GetAllocator(IMemAllocator** alloc) override;
    HRESULT STDMETHODCALLTYPE NotifyAllocator(IMemAllocator* alloc, BOOL readOnly) override;
    HRESULT STDMETHODCALLTYPE GetAllocatorRequirements(ALLOCATOR_PROPERTIES* props) override;
    // Checks that the pin may stream now; derived pins call it first.
    HRESULT STDMETHODCALLTYPE Receive(IMediaSample* sample) override;
    HRESULT STDMETHODCALLTYPE ReceiveMultiple(IMediaSample** samples, long n, long* processed) override;
    HRESULT STDMETHODCALLTYPE ReceiveCanBlock() override;

    HRESULT STDMETHODCALLTYPE BeginFlush() override;
    HRESULT STDMETHODCALLTYPE EndFlush() override;
    HRESULT STDMETHODCALLTYPE EndOfStream() override;

    HRESULT CheckConnect(IPin* pin) override;
    HRESULT BreakConnect() override;
    HRESULT Inactive() override;

    bool IsFlushing() const { return m_bFlushing.load(); }

protected:
    // S_OK when connected, not flushing and the filter not stopped.
    HRESULT CheckStreaming();

    ComPtr<IMemAllocator> m_pAllocator;
    bool m_bReadOnly = false;
    std::atomic<bool> m_bFlushing{false};
};
