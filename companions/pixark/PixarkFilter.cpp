#include "companions/pixark/PixarkFilter.h"

#include <new>

#include "companions/pixark/PixarkStream.h"
#include "companions/pixark/SettingsStore.h"

CUnknown* CALLBACK CPixarkFilter::CreateInstance(IUnknown* outer, HRESULT* phr) {
    HRESULT hr = S_OK;
    auto* filter = new (std::nothrow) CPixarkFilter(outer, &hr);
    if (!filter) hr = E_OUTOFMEMORY;
    if (filter && FAILED(hr)) {
        delete filter;
        filter = nullptr;
    }
    if (phr) *phr = hr;
    return filter;
}

CPixarkFilter::CPixarkFilter(IUnknown* outer, HRESULT* phr)
    : CSource(nullptr, outer, kScreenCaptureFilterClsid, phr), m_settings(pixark::LoadSettings()) {
    CAutoLock lock(&m_cStateLock);
    // The pin adds itself to CSource's array, which deletes it.
    m_pStream = new (std::nothrow) CPixarkStream(phr, this);
    if (!m_pStream && phr) *phr = E_OUTOFMEMORY;
}

CPixarkFilter::~CPixarkFilter() = default;

HRESULT STDMETHODCALLTYPE CPixarkFilter::NonDelegatingQueryInterface(REFIID riid, void** ppv) {
    if (!ppv) return E_POINTER;
    if (riid == __uuidof(IScreenCaptureSettings)) return GetInterface(static_cast<IScreenCaptureSettings*>(this), ppv);
    if (riid == __uuidof(IPixarkStats)) return GetInterface(static_cast<IPixarkStats*>(this), ppv);
    return CSource::NonDelegatingQueryInterface(riid, ppv);
}

HRESULT STDMETHODCALLTYPE CPixarkFilter::GetState(DWORD timeoutMs, FILTER_STATE* state) {
    HRESULT hr = CSource::GetState(timeoutMs, state);
    if (FAILED(hr)) return hr;
    return *state == State_Paused ? VFW_S_CANT_CUE : hr;
}

HRESULT STDMETHODCALLTYPE CPixarkFilter::Pause() {
    CAutoLock lock(&m_cStateLock);
    HRESULT hr = CSource::Pause();
    // From running: the streaming thread must stop delivering now.
    if (m_pStream) m_pStream->Wake();
    return hr;
}

HRESULT STDMETHODCALLTYPE CPixarkFilter::SetCaptureSettings(INT32 frameRate, INT32 bitCount, INT32 left, INT32 top,
                                                            INT32 right, INT32 bottom, INT32 mode, INT32 bitRate,
                                                            INT32 constant9, INT32 cursor, INT32 constant11,
                                                            INT32 window, INT32 background, INT32 constant14,
                                                            INT32 scalePercent, INT32 constant16) {
    const pixark::CaptureSettings s{frameRate,  bitCount,   left,         top,       right,      bottom,
                                    mode,       bitRate,    constant9,    cursor,    constant11, window,
                                    background, constant14, scalePercent, constant16};
    if (pixark::CheckSettings(s) != pixark::SettingsCheck::Ok) return E_INVALIDARG;
    CAutoLock lock(&m_cStateLock);
    m_settings = s;
    pixark::StoreSettings(s);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CPixarkFilter::GetFrameCounts(LONG* delivered, LONG* dropped) {
    if (!delivered || !dropped) return E_POINTER;
    *delivered = m_pStream ? m_pStream->Delivered() : 0;
    *dropped = m_pStream ? m_pStream->Dropped() : 0;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CPixarkFilter::GetStreamCpuTime(LONGLONG* cpu100ns) {
    if (!cpu100ns) return E_POINTER;
    *cpu100ns = m_pStream ? m_pStream->StreamCpuTime() : 0;
    return S_OK;
}
