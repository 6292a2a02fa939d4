#include "winetest/dshowfilters/InfTeePins.h"

#include <algorithm>
#include <cstring>

#include "winetest/dshowfilters/InfTee.h"

namespace {
// Output buffers when upstream has not said how big its buffers are.
constexpr long kDefaultBufferSize = 64 * 1024;
constexpr long kMinBuffers = 4;
}  // namespace

// ---- input ------------------------------------------------------------------

CTeeInputPin::CTeeInputPin(CInfTee* tee, CCritSec* lock, HRESULT* phr)
    : CBaseInputPin(L"Tee input", tee, lock, phr, L"Input"), m_tee(tee) {}

HRESULT CTeeInputPin::CheckMediaType(const CMediaType* pmt) {
    if (!pmt->IsValid()) return S_FALSE;
    // With outputs connected the type cannot change under them.
    for (int i = 1; i < m_tee->GetPinCount(); ++i) {
        CBasePin* out = m_tee->GetPin(i);
        if (out && out->IsConnected()) return out->CurrentMediaType() == *pmt ? S_OK : S_FALSE;
    }
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CTeeInputPin::NotifyAllocator(IMemAllocator* alloc, BOOL readOnly) {
    HRESULT hr = CBaseInputPin::NotifyAllocator(alloc, readOnly);
    if (FAILED(hr)) return hr;
    ALLOCATOR_PROPERTIES props{};
    CAutoLock lock(m_pLock);
    if (SUCCEEDED(alloc->GetProperties(&props)) && props.cbBuffer > 0) m_upstreamBufferSize = props.cbBuffer;
    return S_OK;
}

long CTeeInputPin::UpstreamBufferSize() {
    CAutoLock lock(m_pLock);
    return m_upstreamBufferSize;
}

HRESULT STDMETHODCALLTYPE CTeeInputPin::Receive(IMediaSample* sample) {
    HRESULT hr = CBaseInputPin::Receive(sample);
    if (hr != S_OK) return hr;
    return m_tee->DeliverToOutputs(sample);
}

HRESULT STDMETHODCALLTYPE CTeeInputPin::EndOfStream() {
    HRESULT hr = CBaseInputPin::EndOfStream();
    if (hr != S_OK) return hr;
    m_tee->EndOfStreamToOutputs();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CTeeInputPin::BeginFlush() {
    CBaseInputPin::BeginFlush();
    m_tee->BeginFlushToOutputs();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CTeeInputPin::EndFlush() {
    m_tee->EndFlushToOutputs();
    return CBaseInputPin::EndFlush();
}

HRESULT STDMETHODCALLTYPE CTeeInputPin::NewSegment(REFERENCE_TIME start, REFERENCE_TIME stop, double rate) {
    CBasePin::NewSegment(start, stop, rate);
    m_tee->NewSegmentToOutputs(start, stop, rate);
    return S_OK;
}

// ---- outputs ----------------------------------------------------------------

CTeeOutputPin::CTeeOutputPin(CInfTee* tee, CCritSec* lock, HRESULT* phr, const wchar_t* name)
    : CBaseOutputPin(L"Tee output", tee, lock, phr, name), m_tee(tee) {}

HRESULT STDMETHODCALLTYPE CTeeOutputPin::Connect(IPin* receivePin, const AM_MEDIA_TYPE* pmt) {
    if (!receivePin) return E_POINTER;
    CAutoLock lock(m_pLock);
    if (m_retired) return VFW_E_NOT_FOUND;
    if (!m_tee->Input()->IsConnected()) return VFW_E_NOT_CONNECTED;
    return CBaseOutputPin::Connect(receivePin, pmt);
}

HRESULT CTeeOutputPin::CheckConnect(IPin* pin) {
    if (m_retired) return VFW_E_NOT_FOUND;
    if (!m_tee->Input()->IsConnected()) return VFW_E_NOT_CONNECTED;
    return CBaseOutputPin::CheckConnect(pin);
}

HRESULT CTeeOutputPin::CheckMediaType(const CMediaType* pmt) {
    CTeeInputPin* input = m_tee->Input();
    if (!input->IsConnected()) return VFW_E_NOT_CONNECTED;
    return input->CurrentMediaType() == *pmt ? S_OK : S_FALSE;
}

HRESULT CTeeOutputPin::GetMediaType(int position, CMediaType* pmt) {
    if (position < 0) return E_INVALIDARG;
    CTeeInputPin* input = m_tee->Input();
    if (position > 0 || !input->IsConnected()) return VFW_S_NO_MORE_ITEMS;
    *pmt = input->CurrentMediaType();
    return S_OK;
}

HRESULT CTeeOutputPin::CompleteConnect(IPin* receivePin) {
    HRESULT hr = CBaseOutputPin::CompleteConnect(receivePin);
    if (FAILED(hr)) return hr;
    m_tee->OnOutputConnected(this);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CTeeOutputPin::Disconnect() {
    CAutoLock lock(m_pLock);
    HRESULT hr = CBaseOutputPin::Disconnect();
    if (hr == S_OK) m_tee->OnOutputDisconnected(this);
    return hr;
}

HRESULT CTeeOutputPin::DecideBufferSize(IMemAllocator* alloc, ALLOCATOR_PROPERTIES* request) {
    long size = m_tee->Input()->UpstreamBufferSize();
    if (size <= 0) size = static_cast<long>(m_mt.lSampleSize);
    if (size <= 0) size = kDefaultBufferSize;
    ALLOCATOR_PROPERTIES want = *request;
    want.cbBuffer = std::max(want.cbBuffer, size);
    want.cBuffers = std::max(want.cBuffers, kMinBuffers);
    if (want.cbAlign <= 0) want.cbAlign = 1;
    ALLOCATOR_PROPERTIES actual{};
    HRESULT hr = alloc->SetProperties(&want, &actual);
    if (FAILED(hr)) return hr;
    return actual.cbBuffer >= size ? S_OK : E_FAIL;
}

HRESULT CTeeOutputPin::DeliverCopy(IMediaSample* in) {
    IMediaSample* raw = nullptr;
    HRESULT hr = GetDeliveryBuffer(&raw, nullptr, nullptr, 0);
    if (FAILED(hr)) return hr;
    ComPtr<IMediaSample> out;
    out.Attach(raw);

    BYTE* src = nullptr;
    BYTE* dst = nullptr;
    if (FAILED(hr = in->GetPointer(&src)) || FAILED(hr = out->GetPointer(&dst))) return hr;
    long length = in->GetActualDataLength();
    if (length < 0 || length > out->GetSize()) return VFW_E_BUFFER_OVERFLOW;
    if (length > 0) std::memcpy(dst, src, static_cast<size_t>(length));
    if (FAILED(hr = out->SetActualDataLength(length))) return hr;

    REFERENCE_TIME start = 0, stop = 0;
    hr = in->GetTime(&start, &stop);
    if (hr == S_OK)
        out->SetTime(&start, &stop);
    else if (hr == VFW_S_NO_STOP_TIME)
        out->SetTime(&start, nullptr);
    else
        out->SetTime(nullptr, nullptr);
    LONGLONG mediaStart = 0, mediaStop = 0;
    if (in->GetMediaTime(&mediaStart, &mediaStop) == S_OK)
        out->SetMediaTime(&mediaStart, &mediaStop);
    else
        out->SetMediaTime(nullptr, nullptr);
    out->SetSyncPoint(in->IsSyncPoint() == S_OK);
    out->SetDiscontinuity(in->IsDiscontinuity() == S_OK);
    out->SetPreroll(in->IsPreroll() == S_OK);
    AM_MEDIA_TYPE* changed = nullptr;
    if (in->GetMediaType(&changed) == S_OK && changed) {
        out->SetMediaType(changed);
        DeleteMediaType(changed);
    }
    return Deliver(out.Get());
}
