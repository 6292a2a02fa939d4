#include "capfilter/SonarkFilter.h"

#include <new>

#include "capfilter/CaptureParams.h"
#include "capfilter/SonarkStream.h"

CUnknown* CALLBACK CSonarkFilter::CreateInstance(IUnknown* outer, HRESULT* phr) {
    auto* filter = new (std::nothrow) CSonarkFilter(outer, phr);
    if (phr) *phr = filter ? S_OK : E_OUTOFMEMORY;
    return filter;
}

CSonarkFilter::CSonarkFilter(IUnknown* outer, HRESULT* phr) : CSource(nullptr, outer, CLSID_Sonark5, phr) {
    CAutoLock lock(&m_cStateLock);
    // The stream adds itself to the pin array; without memory for it the
    // filter simply has no pin.
    HRESULT hr = S_OK;
    new (std::nothrow) CSonarkStream(&hr, this);
}

CSonarkFilter::~CSonarkFilter() = default;

HRESULT STDMETHODCALLTYPE CSonarkFilter::NonDelegatingQueryInterface(REFIID riid, void** ppv) {
    if (!ppv) return E_POINTER;
    if (riid == IID_ISonark) return GetInterface(static_cast<ISonark*>(this), ppv);
    return CSource::NonDelegatingQueryInterface(riid, ppv);
}

HRESULT STDMETHODCALLTYPE CSonarkFilter::SetCaptureParams(int enable, int timingMode, int dualAudio,
                                                          const wchar_t* sourceName) {
    sonark::SetCaptureParams(enable, timingMode, dualAudio, sourceName);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CSonarkFilter::Pause() {
    CAutoLock lock(&m_cStateLock);
    const bool wasRunning = State() == State_Running;
    HRESULT hr = CSource::Pause();
    if (FAILED(hr) || !wasRunning) return hr;
    for (CSourceStream* stream : m_paStreams) static_cast<CSonarkStream*>(stream)->StopClientsForPause();
    return hr;
}
