#include "winetest/asfwriter/AsfWriterInputPin.h"

#include <amvideo.h>
#include <mmreg.h>
#include <uuids.h>

#include <cstdlib>
#include <cstring>
#include <new>

#include "winetest/asfwriter/AsfWriterFilter.h"

namespace {

DWORD Stride(LONG width, WORD bits) { return (static_cast<DWORD>(width) * bits / 8 + 3) & ~3u; }

}  // namespace

CAsfWriterInputPin::CAsfWriterInputPin(CAsfWriterFilter* filter, CCritSec* lock, HRESULT* phr, const wchar_t* name,
                                       const ProfileStream& stream, int index)
    : CBaseInputPin(L"WM ASF Writer input", filter, lock, phr, name),
      m_writer(filter),
      m_profile(stream),
      m_index(index),
      m_released(::CreateEventW(nullptr, TRUE, TRUE, nullptr)) {
    if (!m_released.IsValid() && phr) *phr = E_OUTOFMEMORY;
}

HRESULT CAsfWriterInputPin::CheckMediaType(const CMediaType* pmt) {
    if (!pmt) return E_POINTER;
    if (!pmt->pbFormat) return VFW_E_TYPE_NOT_ACCEPTED;
    if (!m_profile.video) {
        if (pmt->majortype != MEDIATYPE_Audio || pmt->subtype != MEDIASUBTYPE_PCM ||
            pmt->formattype != FORMAT_WaveFormatEx || pmt->cbFormat < sizeof(PCMWAVEFORMAT))
            return VFW_E_TYPE_NOT_ACCEPTED;
        const auto* wf = reinterpret_cast<const WAVEFORMATEX*>(pmt->pbFormat);
        if (wf->wFormatTag != WAVE_FORMAT_PCM || (wf->wBitsPerSample != 8 && wf->wBitsPerSample != 16) ||
            wf->nChannels == 0 || wf->nSamplesPerSec == 0 || wf->nBlockAlign != wf->nChannels * wf->wBitsPerSample / 8)
            return VFW_E_TYPE_NOT_ACCEPTED;
        return S_OK;
    }
    if (pmt->majortype != MEDIATYPE_Video || pmt->formattype != FORMAT_VideoInfo ||
        pmt->cbFormat < sizeof(VIDEOINFOHEADER))
        return VFW_E_TYPE_NOT_ACCEPTED;
    const BITMAPINFOHEADER& bih = reinterpret_cast<const VIDEOINFOHEADER*>(pmt->pbFormat)->bmiHeader;
    WORD bits = pmt->subtype == MEDIASUBTYPE_RGB24 ? 24 : pmt->subtype == MEDIASUBTYPE_RGB32 ? 32 : 0;
    if (bits == 0 || bih.biBitCount != bits || bih.biCompression != BI_RGB) return VFW_E_TYPE_NOT_ACCEPTED;
    if (bih.biWidth != m_profile.width || std::labs(bih.biHeight) != m_profile.height) return VFW_E_TYPE_NOT_ACCEPTED;
    return S_OK;
}

HRESULT CAsfWriterInputPin::GetMediaType(int position, CMediaType* pmt) {
    if (!pmt) return E_POINTER;
    if (position < 0) return E_INVALIDARG;
    if (position > 0) return VFW_S_NO_MORE_ITEMS;
    if (!m_profile.video) {
        // What the recorder's own sources deliver: 44.1 kHz 16-bit stereo.
        WAVEFORMATEX wf{};
        wf.wFormatTag = WAVE_FORMAT_PCM;
        wf.nChannels = 2;
        wf.nSamplesPerSec = 44100;
        wf.wBitsPerSample = 16;
        wf.nBlockAlign = 4;
        wf.nAvgBytesPerSec = 44100 * 4;
        return CreateAudioMediaType(&wf, pmt, TRUE);
    }
    auto* vih = reinterpret_cast<VIDEOINFOHEADER*>(pmt->AllocFormatBuffer(sizeof(VIDEOINFOHEADER)));
    if (!vih) return E_OUTOFMEMORY;
    vih->bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    vih->bmiHeader.biWidth = m_profile.width;
    vih->bmiHeader.biHeight = m_profile.height;
    vih->bmiHeader.biPlanes = 1;
    vih->bmiHeader.biBitCount = 24;
    vih->bmiHeader.biCompression = BI_RGB;
    vih->bmiHeader.biSizeImage = Stride(m_profile.width, 24) * static_cast<DWORD>(m_profile.height);
    pmt->majortype = MEDIATYPE_Video;
    pmt->subtype = MEDIASUBTYPE_RGB24;
    pmt->formattype = FORMAT_VideoInfo;
    pmt->bFixedSizeSamples = TRUE;
    pmt->bTemporalCompression = FALSE;
    pmt->lSampleSize = vih->bmiHeader.biSizeImage;
    return S_OK;
}

AsfStreamInfo CAsfWriterInputPin::StreamInfo() const {
    AsfStreamInfo s;
    s.number = static_cast<uint8_t>(m_profile.number);
    if (!m_profile.video) {
        const auto* wf = reinterpret_cast<const WAVEFORMATEX*>(m_mt.pbFormat);
        s.kind = AsfStreamKind::Audio;
        s.audio.formatTag = WAVE_FORMAT_PCM;
        s.audio.channels = wf->nChannels;
        s.audio.samplesPerSec = wf->nSamplesPerSec;
        s.audio.avgBytesPerSec = wf->nAvgBytesPerSec;
        s.audio.blockAlign = wf->nBlockAlign;
        s.audio.bitsPerSample = wf->wBitsPerSample;
        return s;
    }
    const BITMAPINFOHEADER& bih = reinterpret_cast<const VIDEOINFOHEADER*>(m_mt.pbFormat)->bmiHeader;
    s.kind = AsfStreamKind::Video;
    s.video.width = bih.biWidth;
    s.video.height = std::labs(bih.biHeight);
    s.video.bitCount = bih.biBitCount;
    s.video.compression = BI_RGB;
    s.video.imageSize = Stride(bih.biWidth, bih.biBitCount) * static_cast<DWORD>(s.video.height);
    return s;
}

void CAsfWriterInputPin::LetSamplesGo(bool go) {
    if (go || m_bFlushing)
        ::SetEvent(m_released.Get());
    else
        ::ResetEvent(m_released.Get());
}

HRESULT CAsfWriterInputPin::WaitUntilRunning() {
    for (;;) {
        if (m_bFlushing) return S_FALSE;
        FILTER_STATE state = m_pFilter->State();
        if (state == State_Running) return S_OK;
        if (state == State_Stopped) return VFW_E_WRONG_STATE;
        ::WaitForSingleObject(m_released.Get(), INFINITE);
    }
}

HRESULT CAsfWriterInputPin::BottomUp(const BYTE* in, long length, const BYTE** data, size_t* size) {
    const BITMAPINFOHEADER& bih = reinterpret_cast<const VIDEOINFOHEADER*>(m_mt.pbFormat)->bmiHeader;
    DWORD stride = Stride(bih.biWidth, bih.biBitCount);
    DWORD rows = static_cast<DWORD>(std::labs(bih.biHeight));
    size_t image = static_cast<size_t>(stride) * rows;
    if (length < 0 || static_cast<size_t>(length) < image) return E_INVALIDARG;
    *size = image;
    if (bih.biHeight > 0) {
        *data = in;
        return S_OK;
    }
    // A top-down picture is stored bottom-up, as the file's positive height says.
    try {
        m_rows.resize(image);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    for (DWORD r = 0; r < rows; ++r) std::memcpy(&m_rows[(rows - 1 - r) * stride], in + r * stride, stride);
    *data = m_rows.data();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CAsfWriterInputPin::Receive(IMediaSample* sample) {
    HRESULT hr = CBaseInputPin::Receive(sample);
    if (hr != S_OK) return hr;
    if ((hr = WaitUntilRunning()) != S_OK) return hr;
    BYTE* in = nullptr;
    if (FAILED(hr = sample->GetPointer(&in))) return hr;
    long length = sample->GetActualDataLength();
    AsfSample s;
    REFERENCE_TIME start = 0, stop = 0;
    hr = sample->GetTime(&start, &stop);
    s.timed = SUCCEEDED(hr);
    if (hr == VFW_S_NO_STOP_TIME) stop = start;
    s.start = start;
    s.stop = stop;
    s.discontinuity = sample->IsDiscontinuity() == S_OK;
    if (m_profile.video) {
        const BYTE* data = nullptr;
        if (FAILED(hr = BottomUp(in, length, &data, &s.size))) return hr;
        s.data = data;
    } else {
        s.data = in;
        s.size = length > 0 ? static_cast<size_t>(length) : 0;
    }
    return m_writer->WriteSample(m_index, s);
}

HRESULT STDMETHODCALLTYPE CAsfWriterInputPin::EndOfStream() {
    HRESULT hr = CBaseInputPin::EndOfStream();
    if (hr != S_OK) return hr;
    m_endOfStream = true;
    m_writer->EndOfStreamArrived();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CAsfWriterInputPin::BeginFlush() {
    CAutoLock lock(m_pLock);
    CBaseInputPin::BeginFlush();
    ::SetEvent(m_released.Get());
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CAsfWriterInputPin::EndFlush() {
    CAutoLock lock(m_pLock);
    CBaseInputPin::EndFlush();
    m_endOfStream = false;
    LetSamplesGo(m_pFilter->State() != State_Paused);
    return S_OK;
}
