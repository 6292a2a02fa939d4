#include "framework/dshow/Enumerators.h"

#include <new>

#include "framework/dshow/BaseFilter.h"
#include "framework/dshow/BasePin.h"

CEnumPins::CEnumPins(CBaseFilter* filter, int position)
    : m_pFilter(filter), m_Position(position), m_Version(filter->GetPinVersion()) {
    m_pFilter->AddRef();
}

CEnumPins::~CEnumPins() { m_pFilter->Release(); }

HRESULT STDMETHODCALLTYPE CEnumPins::QueryInterface(REFIID riid, void** ppv) {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (riid != IID_IUnknown && riid != IID_IEnumPins) return E_NOINTERFACE;
    *ppv = static_cast<IEnumPins*>(this);
    AddRef();
    return S_OK;
}

ULONG STDMETHODCALLTYPE CEnumPins::AddRef() { return static_cast<ULONG>(++m_cRef); }

ULONG STDMETHODCALLTYPE CEnumPins::Release() {
    long left = --m_cRef;
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
}

HRESULT STDMETHODCALLTYPE CEnumPins::Next(ULONG n, IPin** pins, ULONG* fetched) {
    if (!pins) return E_POINTER;
    if (n > 1 && !fetched) return E_INVALIDARG;
    if (fetched) *fetched = 0;
    if (m_Version != m_pFilter->GetPinVersion()) return VFW_E_ENUM_OUT_OF_SYNC;
    ULONG got = 0;
    while (got < n) {
        CBasePin* pin = m_pFilter->GetPin(m_Position);
        if (!pin) break;
        ++m_Position;
        pins[got] = pin;
        pin->AddRef();
        ++got;
    }
    if (fetched) *fetched = got;
    return got == n ? S_OK : S_FALSE;
}

HRESULT STDMETHODCALLTYPE CEnumPins::Skip(ULONG n) {
    if (m_Version != m_pFilter->GetPinVersion()) return VFW_E_ENUM_OUT_OF_SYNC;
    int count = m_pFilter->GetPinCount();
    if (m_Position + static_cast<long long>(n) > count) {
        m_Position = count;
        return S_FALSE;
    }
    m_Position += static_cast<int>(n);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CEnumPins::Reset() {
    m_Version = m_pFilter->GetPinVersion();
    m_Position = 0;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CEnumPins::Clone(IEnumPins** ppEnum) {
    if (!ppEnum) return E_POINTER;
    *ppEnum = nullptr;
    if (m_Version != m_pFilter->GetPinVersion()) return VFW_E_ENUM_OUT_OF_SYNC;
    auto* e = new (std::nothrow) CEnumPins(m_pFilter, m_Position);
    if (!e) return E_OUTOFMEMORY;
    e->AddRef();
    *ppEnum = e;
    return S_OK;
}

CEnumMediaTypes::CEnumMediaTypes(CBasePin* pin, int position)
    : m_pPin(pin), m_Position(position), m_Version(pin->GetMediaTypeVersion()) {
    m_pPin->AddRef();
}

CEnumMediaTypes::~CEnumMediaTypes() { m_pPin->Release(); }

HRESULT STDMETHODCALLTYPE CEnumMediaTypes::QueryInterface(REFIID riid, void** ppv) {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (riid != IID_IUnknown && riid != IID_IEnumMediaTypes) return E_NOINTERFACE;
    *ppv = static_cast<IEnumMediaTypes*>(this);
    AddRef();
    return S_OK;
}

ULONG STDMETHODCALLTYPE CEnumMediaTypes::AddRef() { return static_cast<ULONG>(++m_cRef); }

ULONG STDMETHODCALLTYPE CEnumMediaTypes::Release() {
    long left = --m_cRef;
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
}

HRESULT STDMETHODCALLTYPE CEnumMediaTypes::Next(ULONG n, AM_MEDIA_TYPE** types, ULONG* fetched) {
    if (!types) return E_POINTER;
    if (n > 1 && !fetched) return E_INVALIDARG;
    if (fetched) *fetched = 0;
    if (m_Version != m_pPin->GetMediaTypeVersion()) return VFW_E_ENUM_OUT_OF_SYNC;
    ULONG got = 0;
    while (got < n) {
        CMediaType mt;
        HRESULT hr = m_pPin->GetMediaType(m_Position, &mt);
        if (hr != S_OK) break;
        AM_MEDIA_TYPE* copy = CreateMediaType(&mt);
        if (!copy) break;
        ++m_Position;
        types[got++] = copy;
    }
    if (fetched) *fetched = got;
    return got == n ? S_OK : S_FALSE;
}

HRESULT STDMETHODCALLTYPE CEnumMediaTypes::Skip(ULONG n) {
    if (m_Version != m_pPin->GetMediaTypeVersion()) return VFW_E_ENUM_OUT_OF_SYNC;
    while (n > 0) {
        CMediaType mt;
        if (m_pPin->GetMediaType(m_Position, &mt) != S_OK) return S_FALSE;
        ++m_Position;
        --n;
    }
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CEnumMediaTypes::Reset() {
    m_Version = m_pPin->GetMediaTypeVersion();
    m_Position = 0;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CEnumMediaTypes::Clone(IEnumMediaTypes** ppEnum) {
    if (!ppEnum) return E_POINTER;
    *ppEnum = nullptr;
    if (m_Version != m_pPin->GetMediaTypeVersion()) return VFW_E_ENUM_OUT_OF_SYNC;
    auto* e = new (std::nothrow) CEnumMediaTypes(m_pPin, m_Position);
    if (!e) return E_OUTOFMEMORY;
    e->AddRef();
    *ppEnum = e;
    return S_OK;
}
