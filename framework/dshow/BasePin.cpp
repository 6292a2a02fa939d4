#include "framework/dshow/BasePin.h"

#include <uuids.h>

#include <cstring>
#include <cwchar>
#include <new>

#include "framework/dshow/BaseFilter.h"
#include "framework/dshow/Enumerators.h"

CBasePin::CBasePin(const wchar_t* objectName, CBaseFilter* filter, CCritSec* lock, HRESULT*, const wchar_t* pinName,
                   PIN_DIRECTION dir)
    : CUnknown(objectName, nullptr), m_pFilter(filter), m_pLock(lock), m_dir(dir) {
    if (pinName) {
        std::wcsncpy(m_pName, pinName, 127);
        m_pName[127] = L'\0';
    }
}

CBasePin::~CBasePin() = default;

HRESULT STDMETHODCALLTYPE CBasePin::QueryInterface(REFIID riid, void** ppv) {
    return NonDelegatingQueryInterface(riid, ppv);
}
ULONG STDMETHODCALLTYPE CBasePin::AddRef() { return NonDelegatingAddRef(); }
ULONG STDMETHODCALLTYPE CBasePin::Release() { return NonDelegatingRelease(); }

// The pin's lifetime is its filter's.
ULONG STDMETHODCALLTYPE CBasePin::NonDelegatingAddRef() { return m_pFilter->AddRef(); }
ULONG STDMETHODCALLTYPE CBasePin::NonDelegatingRelease() { return m_pFilter->Release(); }

HRESULT STDMETHODCALLTYPE CBasePin::NonDelegatingQueryInterface(REFIID riid, void** ppv) {
    if (!ppv) return E_POINTER;
    if (riid == IID_IPin) return GetInterface(static_cast<IPin*>(this), ppv);
    return CUnknown::NonDelegatingQueryInterface(riid, ppv);
}

HRESULT STDMETHODCALLTYPE CBasePin::Connect(IPin* receivePin, const AM_MEDIA_TYPE* pmt) {
    if (!receivePin) return E_POINTER;
    CAutoLock lock(m_pLock);
    if (m_Connected) return VFW_E_ALREADY_CONNECTED;
    if (!m_pFilter->IsStopped()) return VFW_E_NOT_STOPPED;
    return AgreeMediaType(receivePin, pmt);
}

HRESULT CBasePin::AgreeMediaType(IPin* receivePin, const AM_MEDIA_TYPE* pmt) {
    // A fully specified type is tried as it is.
    if (pmt && pmt->majortype != GUID_NULL && pmt->subtype != GUID_NULL && pmt->formattype != GUID_NULL) {
        CMediaType mt(*pmt);
        return AttemptConnection(receivePin, &mt);
    }
    HRESULT last = VFW_E_NO_ACCEPTABLE_TYPES;
    // Our own types first, then the other pin's.
    for (int round = 0; round < 2; ++round) {
        ComPtr<IEnumMediaTypes> types;
        HRESULT hr = round == 0 ? EnumMediaTypes(&types) : receivePin->EnumMediaTypes(&types);
        if (FAILED(hr) || !types) continue;
        hr = TryMediaTypes(receivePin, pmt, types.Get());
        if (SUCCEEDED(hr)) return hr;
        if (hr != VFW_E_NO_ACCEPTABLE_TYPES) last = hr;
    }
    return last;
}

HRESULT CBasePin::TryMediaTypes(IPin* receivePin, const AM_MEDIA_TYPE* pmt, IEnumMediaTypes* types) {
    HRESULT last = VFW_E_NO_ACCEPTABLE_TYPES;
    for (;;) {
        AM_MEDIA_TYPE* next = nullptr;
        ULONG got = 0;
        if (types->Next(1, &next, &got) != S_OK || got != 1) return last;
        CMediaType mt(*next);
        DeleteMediaType(next);
        if (pmt && !mt.MatchesPartial(pmt)) continue;
        HRESULT hr = AttemptConnection(receivePin, &mt);
        if (SUCCEEDED(hr)) return hr;
        last = hr;
    }
}

HRESULT CBasePin::AttemptConnection(IPin* receivePin, const CMediaType* pmt) {
    HRESULT hr = CheckConnect(receivePin);
    if (FAILED(hr)) {
        BreakConnect();
        return hr;
    }
    hr = CheckMediaType(pmt);
    if (hr != S_OK) {
        BreakConnect();
        return SUCCEEDED(hr) ? VFW_E_TYPE_NOT_ACCEPTED : hr;
    }
    m_Connected = ComPtr<IPin>(receivePin);
    hr = SetMediaType(pmt);
    if (SUCCEEDED(hr)) {
        hr = receivePin->ReceiveConnection(this, pmt);
        if (SUCCEEDED(hr)) {
            hr = CompleteConnect(receivePin);
            if (SUCCEEDED(hr)) return S_OK;
            receivePin->Disconnect();
        }
    }
    BreakConnect();
    m_Connected = nullptr;
    m_mt.InitMediaType();
    return FAILED(hr) ? hr : VFW_E_TYPE_NOT_ACCEPTED;
}

HRESULT STDMETHODCALLTYPE CBasePin::ReceiveConnection(IPin* connector, const AM_MEDIA_TYPE* pmt) {
    if (!connector || !pmt) return E_POINTER;
    CAutoLock lock(m_pLock);
    if (m_Connected) return VFW_E_ALREADY_CONNECTED;
    if (!m_pFilter->IsStopped()) return VFW_E_NOT_STOPPED;
    HRESULT hr = CheckConnect(connector);
    if (FAILED(hr)) {
        BreakConnect();
        return hr;
    }
    CMediaType mt(*pmt);
    hr = CheckMediaType(&mt);
    if (hr != S_OK) {
        BreakConnect();
        return VFW_E_TYPE_NOT_ACCEPTED;
    }
    m_Connected = ComPtr<IPin>(connector);
    hr = SetMediaType(&mt);
    if (SUCCEEDED(hr)) hr = CompleteConnect(connector);
    if (FAILED(hr)) {
        BreakConnect();
        m_Connected = nullptr;
        m_mt.InitMediaType();
    }
    return hr;
}

HRESULT STDMETHODCALLTYPE CBasePin::Disconnect() {
    CAutoLock lock(m_pLock);
    if (!m_pFilter->IsStopped()) return VFW_E_NOT_STOPPED;
    if (!m_Connected) return S_FALSE;
    HRESULT hr = BreakConnect();
    if (FAILED(hr)) return hr;
    m_Connected = nullptr;
    m_mt.InitMediaType();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CBasePin::ConnectedTo(IPin** pin) {
    if (!pin) return E_POINTER;
    CAutoLock lock(m_pLock);
    m_Connected.CopyTo(pin);
    return m_Connected ? S_OK : VFW_E_NOT_CONNECTED;
}

HRESULT STDMETHODCALLTYPE CBasePin::ConnectionMediaType(AM_MEDIA_TYPE* pmt) {
    if (!pmt) return E_POINTER;
    CAutoLock lock(m_pLock);
    if (!m_Connected) {
        *pmt = AM_MEDIA_TYPE{};
        return VFW_E_NOT_CONNECTED;
    }
    return CopyMediaType(pmt, &m_mt);
}

HRESULT STDMETHODCALLTYPE CBasePin::QueryPinInfo(PIN_INFO* info) {
    if (!info) return E_POINTER;
    info->pFilter = m_pFilter;
    m_pFilter->AddRef();
    info->dir = m_dir;
    std::wcsncpy(info->achName, m_pName, MAX_PIN_NAME - 1);
    info->achName[MAX_PIN_NAME - 1] = L'\0';
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CBasePin::QueryDirection(PIN_DIRECTION* dir) {
    if (!dir) return E_POINTER;
    *dir = m_dir;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CBasePin::QueryId(LPWSTR* id) {
    if (!id) return E_POINTER;
    size_t bytes = (std::wcslen(m_pName) + 1) * sizeof(wchar_t);
    *id = static_cast<LPWSTR>(::CoTaskMemAlloc(bytes));
    if (!*id) return E_OUTOFMEMORY;
    std::memcpy(*id, m_pName, bytes);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CBasePin::QueryAccept(const AM_MEDIA_TYPE* pmt) {
    if (!pmt) return E_POINTER;
    CMediaType mt(*pmt);
    HRESULT hr = CheckMediaType(&mt);
    return hr == S_OK ? S_OK : S_FALSE;
}

HRESULT STDMETHODCALLTYPE CBasePin::EnumMediaTypes(IEnumMediaTypes** ppEnum) {
    if (!ppEnum) return E_POINTER;
    *ppEnum = nullptr;
    auto* e = new (std::nothrow) CEnumMediaTypes(this);
    if (!e) return E_OUTOFMEMORY;
    e->AddRef();
    *ppEnum = e;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CBasePin::QueryInternalConnections(IPin**, ULONG*) { return E_NOTIMPL; }

// Output pins receive no stream control from downstream.
HRESULT STDMETHODCALLTYPE CBasePin::EndOfStream() { return m_dir == PINDIR_OUTPUT ? E_UNEXPECTED : S_OK; }
HRESULT STDMETHODCALLTYPE CBasePin::BeginFlush() { return m_dir == PINDIR_OUTPUT ? E_UNEXPECTED : S_OK; }
HRESULT STDMETHODCALLTYPE CBasePin::EndFlush() { return m_dir == PINDIR_OUTPUT ? E_UNEXPECTED : S_OK; }

HRESULT STDMETHODCALLTYPE CBasePin::NewSegment(REFERENCE_TIME start, REFERENCE_TIME stop, double rate) {
    m_tStart = start;
    m_tStop = stop;
    m_dRate = rate;
    return S_OK;
}

HRESULT CBasePin::GetMediaType(int position, CMediaType*) { return position < 0 ? E_INVALIDARG : VFW_S_NO_MORE_ITEMS; }

HRESULT CBasePin::SetMediaType(const CMediaType* pmt) {
    m_mt = *pmt;
    return S_OK;
}

HRESULT CBasePin::CheckConnect(IPin* pin) {
    PIN_DIRECTION other;
    HRESULT hr = pin->QueryDirection(&other);
    if (FAILED(hr)) return hr;
    return other == m_dir ? VFW_E_INVALID_DIRECTION : S_OK;
}

HRESULT CBasePin::BreakConnect() { return S_OK; }

HRESULT CBasePin::CompleteConnect(IPin*) { return S_OK; }

// ---- CBaseOutputPin -------------------------------------------------------

CBaseOutputPin::CBaseOutputPin(const wchar_t* objectName, CBaseFilter* filter, CCritSec* lock, HRESULT* phr,
                               const wchar_t* pinName)
    : CBasePin(objectName, filter, lock, phr, pinName, PINDIR_OUTPUT) {}

HRESULT CBaseOutputPin::CheckConnect(IPin* pin) {
    HRESULT hr = CBasePin::CheckConnect(pin);
    if (FAILED(hr)) return hr;
    hr = pin->QueryInterface(IID_IMemInputPin, reinterpret_cast<void**>(&m_pInputPin));
    return FAILED(hr) ? E_NOINTERFACE : S_OK;
}

HRESULT CBaseOutputPin::BreakConnect() {
    if (m_pAllocator) {
        m_pAllocator->Decommit();
        m_pAllocator = nullptr;
    }
    m_pInputPin = nullptr;
    return S_OK;
}

HRESULT CBaseOutputPin::CompleteConnect(IPin*) { return DecideAllocator(m_pInputPin.Get(), &m_pAllocator); }

HRESULT CBaseOutputPin::DecideAllocator(IMemInputPin* pin, IMemAllocator** alloc) {
    *alloc = nullptr;
    ALLOCATOR_PROPERTIES request{};
    pin->GetAllocatorRequirements(&request);
    // Alignment 0 means "don't care" to the allocator as 1 does.
    if (request.cbAlign == 0) request.cbAlign = 1;

    HRESULT hr = pin->GetAllocator(alloc);
    if (SUCCEEDED(hr)) {
        ALLOCATOR_PROPERTIES props = request;
        hr = DecideBufferSize(*alloc, &props);
        if (SUCCEEDED(hr)) {
            hr = pin->NotifyAllocator(*alloc, FALSE);
            if (SUCCEEDED(hr)) return S_OK;
        }
    }
    if (*alloc) {
        (*alloc)->Release();
        *alloc = nullptr;
    }
    hr = InitAllocator(alloc);
    if (SUCCEEDED(hr)) {
        ALLOCATOR_PROPERTIES props = request;
        hr = DecideBufferSize(*alloc, &props);
        if (SUCCEEDED(hr)) {
            hr = pin->NotifyAllocator(*alloc, FALSE);
            if (SUCCEEDED(hr)) return S_OK;
        }
    }
    if (*alloc) {
        (*alloc)->Release();
        *alloc = nullptr;
    }
    return hr;
}

HRESULT CBaseOutputPin::InitAllocator(IMemAllocator** alloc) {
    return ::CoCreateInstance(CLSID_MemoryAllocator, nullptr, CLSCTX_INPROC_SERVER, IID_IMemAllocator,
                              reinterpret_cast<void**>(alloc));
}

HRESULT CBaseOutputPin::Active() { return m_pAllocator ? m_pAllocator->Commit() : VFW_E_NO_ALLOCATOR; }

HRESULT CBaseOutputPin::Inactive() { return m_pAllocator ? m_pAllocator->Decommit() : VFW_E_NO_ALLOCATOR; }

HRESULT CBaseOutputPin::GetDeliveryBuffer(IMediaSample** sample, REFERENCE_TIME* start, REFERENCE_TIME* stop,
                                          DWORD flags) {
    // The allocator pointer is set while connecting and cleared while
    // disconnecting, both only with the filter stopped and no thread running.
    if (!m_pAllocator) return VFW_E_NO_ALLOCATOR;
    return m_pAllocator->GetBuffer(sample, start, stop, flags);
}

HRESULT CBaseOutputPin::Deliver(IMediaSample* sample) {
    if (!m_pInputPin) return VFW_E_NOT_CONNECTED;
    return m_pInputPin->Receive(sample);
}

HRESULT CBaseOutputPin::DeliverEndOfStream() { return m_Connected ? m_Connected->EndOfStream() : VFW_E_NOT_CONNECTED; }
HRESULT CBaseOutputPin::DeliverBeginFlush() { return m_Connected ? m_Connected->BeginFlush() : VFW_E_NOT_CONNECTED; }
HRESULT CBaseOutputPin::DeliverEndFlush() { return m_Connected ? m_Connected->EndFlush() : VFW_E_NOT_CONNECTED; }
HRESULT CBaseOutputPin::DeliverNewSegment(REFERENCE_TIME start, REFERENCE_TIME stop, double rate) {
    return m_Connected ? m_Connected->NewSegment(start, stop, rate) : VFW_E_NOT_CONNECTED;
}

// ---- CBaseInputPin --------------------------------------------------------

CBaseInputPin::CBaseInputPin(const wchar_t* objectName, CBaseFilter* filter, CCritSec* lock, HRESULT* phr,
                             const wchar_t* pinName)
    : CBasePin(objectName, filter, lock, phr, pinName, PINDIR_INPUT) {}

HRESULT STDMETHODCALLTYPE CBaseInputPin::QueryInterface(REFIID riid, void** ppv) {
    return NonDelegatingQueryInterface(riid, ppv);
}
ULONG STDMETHODCALLTYPE CBaseInputPin::AddRef() { return NonDelegatingAddRef(); }
ULONG STDMETHODCALLTYPE CBaseInputPin::Release() { return NonDelegatingRelease(); }

HRESULT STDMETHODCALLTYPE CBaseInputPin::NonDelegatingQueryInterface(REFIID riid, void** ppv) {
    if (!ppv) return E_POINTER;
    if (riid == IID_IMemInputPin) return GetInterface(static_cast<IMemInputPin*>(this), ppv);
    return CBasePin::NonDelegatingQueryInterface(riid, ppv);
}

HRESULT STDMETHODCALLTYPE CBaseInputPin::GetAllocator(IMemAllocator** alloc) {
    if (!alloc) return E_POINTER;
    CAutoLock lock(m_pLock);
    if (!m_pAllocator) {
        HRESULT hr = ::CoCreateInstance(CLSID_MemoryAllocator, nullptr, CLSCTX_INPROC_SERVER, IID_IMemAllocator,
                                        reinterpret_cast<void**>(&m_pAllocator));
        if (FAILED(hr)) return hr;
    }
    m_pAllocator.CopyTo(alloc);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CBaseInputPin::NotifyAllocator(IMemAllocator* alloc, BOOL readOnly) {
    if (!alloc) return E_POINTER;
    CAutoLock lock(m_pLock);
    m_pAllocator = ComPtr<IMemAllocator>(alloc);
    m_bReadOnly = readOnly != FALSE;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CBaseInputPin::GetAllocatorRequirements(ALLOCATOR_PROPERTIES*) { return E_NOTIMPL; }

HRESULT CBaseInputPin::CheckStreaming() {
    if (!m_Connected) return VFW_E_NOT_CONNECTED;
    if (m_pFilter->IsStopped()) return VFW_E_WRONG_STATE;
    if (m_bFlushing) return S_FALSE;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CBaseInputPin::Receive(IMediaSample* sample) {
    if (!sample) return E_POINTER;
    return CheckStreaming();
}

HRESULT STDMETHODCALLTYPE CBaseInputPin::ReceiveMultiple(IMediaSample** samples, long n, long* processed) {
    if (!samples || !processed) return E_POINTER;
    *processed = 0;
    HRESULT hr = S_OK;
    while (*processed < n) {
        hr = Receive(samples[*processed]);
        if (hr != S_OK) break;
        ++*processed;
    }
    return hr;
}

HRESULT STDMETHODCALLTYPE CBaseInputPin::ReceiveCanBlock() { return S_OK; }

HRESULT STDMETHODCALLTYPE CBaseInputPin::BeginFlush() {
    m_bFlushing = true;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CBaseInputPin::EndFlush() {
    m_bFlushing = false;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CBaseInputPin::EndOfStream() {
    HRESULT hr = CheckStreaming();
    return hr == S_FALSE ? S_OK : hr;
}

HRESULT CBaseInputPin::CheckConnect(IPin* pin) { return CBasePin::CheckConnect(pin); }

HRESULT CBaseInputPin::BreakConnect() {
    if (m_pAllocator) {
        m_pAllocator->Decommit();
        m_pAllocator = nullptr;
    }
    return S_OK;
}

HRESULT CBaseInputPin::Inactive() {
    m_bFlushing = false;
    return m_pAllocator ? m_pAllocator->Decommit() : VFW_E_NO_ALLOCATOR;
}
