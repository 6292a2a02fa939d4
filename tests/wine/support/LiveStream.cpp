#include "tests/wine/support/LiveStream.h"

#include <algorithm>

HRESULT STDMETHODCALLTYPE CLiveSource::Run(REFERENCE_TIME start) {
    CAutoLock lock(pStateLock());
    m_runStart = start;
    return CSource::Run(start);
}

HRESULT STDMETHODCALLTYPE CLiveSource::GetState(DWORD timeoutMs, FILTER_STATE* state) {
    HRESULT hr = CSource::GetState(timeoutMs, state);
    if (SUCCEEDED(hr) && *state == State_Paused) return VFW_S_CANT_CUE;
    return hr;
}

CLiveStream::CLiveStream(const wchar_t* objectName, HRESULT* phr, CLiveSource* filter, const wchar_t* pinName)
    : CSourceStream(objectName, phr, filter, pinName), m_pLive(filter) {}

HRESULT CLiveStream::OnThreadCreate() {
    // The thread that pauses the filter holds the state lock and waits for
    // this reply, so the clock cannot change meanwhile.
    m_clock = ComPtr<IReferenceClock>(m_pLive->Clock());
    return m_clock ? S_OK : VFW_E_NO_CLOCK;
}

HRESULT CLiveStream::OnThreadDestroy() {
    m_clock = nullptr;
    return S_OK;
}

HRESULT CLiveStream::WaitForStreamTime(REFERENCE_TIME until) {
    const DWORD kSliceMs = 5;
    for (;;) {
        if (StopRequested()) return S_FALSE;
        DWORD wait = kSliceMs;
        if (m_pLive->State() == State_Running) {
            REFERENCE_TIME now = 0;
            if (FAILED(m_clock->GetTime(&now))) return E_FAIL;
            REFERENCE_TIME streamTime = now - m_pLive->RunStart();
            if (streamTime >= until) return S_OK;
            wait = static_cast<DWORD>(std::min<REFERENCE_TIME>((until - streamTime) / 10000 + 1, kSliceMs));
        }
        ::Sleep(wait);
    }
}

HRESULT CLiveStream::RequestBuffers(IMemAllocator* alloc, ALLOCATOR_PROPERTIES* request, long count, long size) {
    request->cBuffers = count;
    request->cbBuffer = size;
    ALLOCATOR_PROPERTIES actual{};
    HRESULT hr = alloc->SetProperties(request, &actual);
    if (FAILED(hr)) return hr;
    return actual.cbBuffer < request->cbBuffer ? E_FAIL : S_OK;
}
