#include "winetest/dshowfilters/WavDest.h"

#include <evcode.h>
#include <uuids.h>

#include <cstring>
#include <cwchar>
#include <new>

#include "winetest/dshowfilters/StandInIds.h"

namespace {
// Longest file name taken: the longest path Win32 knows.
constexpr size_t kMaxFileName = 32767;
}  // namespace

// ---- input pin ------------------------------------------------------------

CWavDestInputPin::CWavDestInputPin(CWavDest* filter, CCritSec* lock, HRESULT* phr)
    : CBaseInputPin(L"WAV Dest input", filter, lock, phr, L"In"), m_dest(filter) {}

HRESULT CWavDestInputPin::CheckMediaType(const CMediaType* pmt) {
    if (pmt->majortype != MEDIATYPE_Audio || pmt->subtype != MEDIASUBTYPE_PCM ||
        pmt->formattype != FORMAT_WaveFormatEx || !pmt->pbFormat || pmt->cbFormat < sizeof(PCMWAVEFORMAT))
        return S_FALSE;
    const auto* wfx = reinterpret_cast<const WAVEFORMATEX*>(pmt->pbFormat);
    if (wfx->wFormatTag != WAVE_FORMAT_PCM || wfx->nChannels == 0 || wfx->nSamplesPerSec == 0 ||
        wfx->wBitsPerSample == 0 || wfx->wBitsPerSample % 8 != 0 ||
        wfx->nBlockAlign != wfx->nChannels * wfx->wBitsPerSample / 8)
        return S_FALSE;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CWavDestInputPin::Receive(IMediaSample* sample) {
    HRESULT hr = CBaseInputPin::Receive(sample);
    if (hr != S_OK) return hr;
    return m_dest->WriteSample(sample);
}

HRESULT STDMETHODCALLTYPE CWavDestInputPin::EndOfStream() {
    HRESULT hr = CBaseInputPin::EndOfStream();
    if (hr != S_OK) return hr;
    m_dest->EndOfStreamArrived();
    return S_OK;
}

// ---- filter -----------------------------------------------------------------

CUnknown* CALLBACK CWavDest::CreateInstance(IUnknown* outer, HRESULT* phr) {
    auto* dest = new (std::nothrow) CWavDest(outer, phr);
    if (!dest) {
        *phr = E_OUTOFMEMORY;
        return nullptr;
    }
    return dest;
}

CWavDest::CWavDest(IUnknown* outer, HRESULT* phr)
    : CBaseFilter(kWavDestName, outer, &m_stateLock, CLSID_WavDestStandIn), m_input(this, &m_stateLock, phr) {}

HRESULT STDMETHODCALLTYPE CWavDest::NonDelegatingQueryInterface(REFIID riid, void** ppv) {
    if (!ppv) return E_POINTER;
    if (riid == IID_IFileSinkFilter) return GetInterface(static_cast<IFileSinkFilter*>(this), ppv);
    if (riid == IID_IAMFilterMiscFlags) return GetInterface(static_cast<IAMFilterMiscFlags*>(this), ppv);
    return CBaseFilter::NonDelegatingQueryInterface(riid, ppv);
}

HRESULT STDMETHODCALLTYPE CWavDest::Pause() {
    CAutoLock lock(&m_stateLock);
    if (IsStopped() && !m_fileName.empty() && m_input.IsConnected()) {
        const CMediaType& mt = m_input.CurrentMediaType();
        CAutoLock receive(&m_receiveLock);
        HRESULT hr = m_writer.Open(m_fileName, *reinterpret_cast<const WAVEFORMATEX*>(mt.Format()), mt.FormatLength());
        if (FAILED(hr)) return hr;
    }
    HRESULT hr = CBaseFilter::Pause();
    if (FAILED(hr)) {
        CAutoLock receive(&m_receiveLock);
        m_writer.Close();
    }
    return hr;
}

HRESULT STDMETHODCALLTYPE CWavDest::Run(REFERENCE_TIME start) {
    CAutoLock lock(&m_stateLock);
    HRESULT hr = CBaseFilter::Run(start);
    if (FAILED(hr)) return hr;
    NotifyCompleteIfEnded();
    return S_OK;
}

void CWavDest::EndOfStreamArrived() {
    CAutoLock lock(&m_stateLock);
    m_ended = true;
    NotifyCompleteIfEnded();
}

void CWavDest::NotifyCompleteIfEnded() {
    if (!m_ended || m_completeSent || m_State != State_Running) return;
    m_completeSent = true;
    NotifyEvent(EC_COMPLETE, S_OK, 0);
}

HRESULT STDMETHODCALLTYPE CWavDest::Stop() {
    CAutoLock lock(&m_stateLock);
    HRESULT hr = CBaseFilter::Stop();
    m_ended = m_completeSent = false;
    // The pin is inactive now: a Receive still running finishes before the
    // file is closed, and none starts after.
    CAutoLock receive(&m_receiveLock);
    HRESULT closed = m_writer.Close();
    return FAILED(hr) ? hr : (FAILED(closed) ? closed : S_OK);
}

HRESULT CWavDest::WriteSample(IMediaSample* sample) {
    CAutoLock receive(&m_receiveLock);
    if (!m_writer.IsOpen()) return S_OK;
    BYTE* data = nullptr;
    HRESULT hr = sample->GetPointer(&data);
    if (FAILED(hr)) return hr;
    long length = sample->GetActualDataLength();
    if (length < 0 || length > sample->GetSize()) return E_UNEXPECTED;
    hr = m_writer.Append(data, static_cast<size_t>(length));
    if (FAILED(hr)) NotifyEvent(EC_ERRORABORT, hr, 0);
    return hr;
}

HRESULT STDMETHODCALLTYPE CWavDest::SetFileName(LPCOLESTR name, const AM_MEDIA_TYPE*) {
    if (!name) return E_POINTER;
    size_t length = ::wcsnlen(name, kMaxFileName + 1);
    if (length > kMaxFileName) return HRESULT_FROM_WIN32(ERROR_FILENAME_EXCED_RANGE);
    CAutoLock lock(&m_stateLock);
    if (!IsStopped()) return VFW_E_WRONG_STATE;
    try {
        m_fileName.assign(name, length);
    } catch (...) {
        return E_OUTOFMEMORY;
    }
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CWavDest::GetCurFile(LPOLESTR* name, AM_MEDIA_TYPE* pmt) {
    if (!name) return E_POINTER;
    *name = nullptr;
    CAutoLock lock(&m_stateLock);
    if (pmt) {
        HRESULT hr = m_input.IsConnected() ? CopyMediaType(pmt, &m_input.CurrentMediaType()) : S_OK;
        if (!m_input.IsConnected()) *pmt = AM_MEDIA_TYPE{};
        if (FAILED(hr)) return hr;
    }
    if (m_fileName.empty()) return E_FAIL;
    size_t bytes = (m_fileName.size() + 1) * sizeof(wchar_t);
    *name = static_cast<LPOLESTR>(::CoTaskMemAlloc(bytes));
    if (!*name) return E_OUTOFMEMORY;
    std::memcpy(*name, m_fileName.c_str(), bytes);
    return S_OK;
}
