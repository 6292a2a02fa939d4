#include "winetest/dshowfilters/CaptureStream.h"

#include <uuids.h>

#include <algorithm>
#include <cstring>

namespace {

constexpr DWORD kRates[] = {44100, 48000};
constexpr WORD kChannels[] = {2, 1};
constexpr int kCapabilityCount = 4;
constexpr long kDefaultBuffers = 4;
constexpr DWORD kDefaultBufferMs = 100;
// The worker looks for a stop at least this often while it waits for sound.
constexpr DWORD kPollMs = 20;
constexpr REFERENCE_TIME kUnitsPerSecond = 10000000;

void FillPcm(WAVEFORMATEX& wfx, DWORD rate, WORD channels) {
    wfx = WAVEFORMATEX{};
    wfx.wFormatTag = WAVE_FORMAT_PCM;
    wfx.nChannels = channels;
    wfx.nSamplesPerSec = rate;
    wfx.wBitsPerSample = 16;
    wfx.nBlockAlign = static_cast<WORD>(channels * 2);
    wfx.nAvgBytesPerSec = rate * wfx.nBlockAlign;
    wfx.cbSize = 0;
}

}  // namespace

CCaptureStream::CCaptureStream(HRESULT* phr, CSource* filter)
    : CSourceStream(L"Capture stream", phr, filter, L"Capture") {
    FillPcm(m_format, 44100, 2);
}

HRESULT STDMETHODCALLTYPE CCaptureStream::QueryInterface(REFIID riid, void** ppv) {
    return NonDelegatingQueryInterface(riid, ppv);
}
ULONG STDMETHODCALLTYPE CCaptureStream::AddRef() { return NonDelegatingAddRef(); }
ULONG STDMETHODCALLTYPE CCaptureStream::Release() { return NonDelegatingRelease(); }

HRESULT STDMETHODCALLTYPE CCaptureStream::NonDelegatingQueryInterface(REFIID riid, void** ppv) {
    if (!ppv) return E_POINTER;
    if (riid == IID_IAMStreamConfig) return GetInterface(static_cast<IAMStreamConfig*>(this), ppv);
    if (riid == IID_IAMBufferNegotiation) return GetInterface(static_cast<IAMBufferNegotiation*>(this), ppv);
    return CSourceStream::NonDelegatingQueryInterface(riid, ppv);
}

bool CCaptureStream::CapabilityFormat(int index, WAVEFORMATEX& wfx) {
    if (index < 0 || index >= kCapabilityCount) return false;
    FillPcm(wfx, kRates[index / 2], kChannels[index % 2]);
    return true;
}

bool CCaptureStream::IsOfferedFormat(const AM_MEDIA_TYPE& mt) {
    if (mt.majortype != MEDIATYPE_Audio || mt.subtype != MEDIASUBTYPE_PCM || mt.formattype != FORMAT_WaveFormatEx ||
        !mt.pbFormat || mt.cbFormat < sizeof(PCMWAVEFORMAT))
        return false;
    const auto* wfx = reinterpret_cast<const WAVEFORMATEX*>(mt.pbFormat);
    for (int i = 0; i < kCapabilityCount; ++i) {
        WAVEFORMATEX offered;
        CapabilityFormat(i, offered);
        if (wfx->wFormatTag == offered.wFormatTag && wfx->nChannels == offered.nChannels &&
            wfx->nSamplesPerSec == offered.nSamplesPerSec && wfx->wBitsPerSample == offered.wBitsPerSample &&
            wfx->nBlockAlign == offered.nBlockAlign && wfx->nAvgBytesPerSec == offered.nAvgBytesPerSec)
            return true;
    }
    return false;
}

HRESULT CCaptureStream::GetMediaType(CMediaType* pmt) {
    // The caller (CSourceStream) holds the state lock.
    return CreateAudioMediaType(&m_format, pmt, TRUE);
}

HRESULT STDMETHODCALLTYPE CCaptureStream::SetFormat(AM_MEDIA_TYPE* pmt) {
    if (!pmt) return E_POINTER;
    CAutoLock lock(m_pLock);
    if (!m_pFilter->IsStopped()) return VFW_E_NOT_STOPPED;
    if (!IsOfferedFormat(*pmt)) return VFW_E_INVALIDMEDIATYPE;
    WAVEFORMATEX wanted;
    const auto* wfx = reinterpret_cast<const WAVEFORMATEX*>(pmt->pbFormat);
    FillPcm(wanted, wfx->nSamplesPerSec, wfx->nChannels);
    if (IsConnected()) {
        // Reconnecting is the graph's business; the stand-in only keeps the
        // format it is connected with.
        return std::memcmp(&wanted, &m_format, sizeof wanted) == 0 ? S_OK : VFW_E_ALREADY_CONNECTED;
    }
    m_format = wanted;
    ++m_TypeVersion;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CCaptureStream::GetFormat(AM_MEDIA_TYPE** pmt) {
    if (!pmt) return E_POINTER;
    *pmt = nullptr;
    CAutoLock lock(m_pLock);
    CMediaType mt;
    HRESULT hr = GetMediaType(&mt);
    if (FAILED(hr)) return hr;
    *pmt = CreateMediaType(&mt);
    return *pmt ? S_OK : E_OUTOFMEMORY;
}

HRESULT STDMETHODCALLTYPE CCaptureStream::GetNumberOfCapabilities(int* count, int* size) {
    if (!count || !size) return E_POINTER;
    *count = kCapabilityCount;
    *size = sizeof(AUDIO_STREAM_CONFIG_CAPS);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CCaptureStream::GetStreamCaps(int index, AM_MEDIA_TYPE** pmt, BYTE* caps) {
    if (!pmt || !caps) return E_POINTER;
    *pmt = nullptr;
    WAVEFORMATEX wfx;
    if (!CapabilityFormat(index, wfx)) return S_FALSE;
    CMediaType mt;
    HRESULT hr = CreateAudioMediaType(&wfx, &mt, TRUE);
    if (FAILED(hr)) return hr;
    *pmt = CreateMediaType(&mt);
    if (!*pmt) return E_OUTOFMEMORY;
    AUDIO_STREAM_CONFIG_CAPS c{};
    c.guid = MEDIATYPE_Audio;
    c.MinimumChannels = c.MaximumChannels = wfx.nChannels;
    c.ChannelsGranularity = 1;
    c.MinimumBitsPerSample = c.MaximumBitsPerSample = 16;
    c.BitsPerSampleGranularity = 16;
    c.MinimumSampleFrequency = c.MaximumSampleFrequency = wfx.nSamplesPerSec;
    c.SampleFrequencyGranularity = 1;
    std::memcpy(caps, &c, sizeof c);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CCaptureStream::SuggestAllocatorProperties(const ALLOCATOR_PROPERTIES* props) {
    if (!props) return E_POINTER;
    CAutoLock lock(m_pLock);
    if (IsConnected()) return VFW_E_ALREADY_CONNECTED;
    m_suggested = *props;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CCaptureStream::GetAllocatorProperties(ALLOCATOR_PROPERTIES* props) {
    if (!props) return E_POINTER;
    CAutoLock lock(m_pLock);
    if (!m_pAllocator) return E_FAIL;
    return m_pAllocator->GetProperties(props);
}

HRESULT CCaptureStream::DecideBufferSize(IMemAllocator* alloc, ALLOCATOR_PROPERTIES* request) {
    const long block = m_format.nBlockAlign;
    ALLOCATOR_PROPERTIES want = *request;
    // A suggestion wins where it says something; negative means "don't care".
    want.cBuffers = m_suggested.cBuffers > 0 ? m_suggested.cBuffers : std::max(want.cBuffers, kDefaultBuffers);
    want.cbBuffer =
        m_suggested.cbBuffer > 0
            ? m_suggested.cbBuffer
            : std::max(want.cbBuffer, static_cast<long>(m_format.nAvgBytesPerSec * kDefaultBufferMs / 1000));
    want.cbBuffer = (want.cbBuffer + block - 1) / block * block;
    if (m_suggested.cbAlign > 0) want.cbAlign = m_suggested.cbAlign;
    if (want.cbAlign <= 0) want.cbAlign = 1;
    if (m_suggested.cbPrefix >= 0) want.cbPrefix = m_suggested.cbPrefix;
    if (want.cbPrefix < 0) want.cbPrefix = 0;
    ALLOCATOR_PROPERTIES actual{};
    HRESULT hr = alloc->SetProperties(&want, &actual);
    if (FAILED(hr)) return hr;
    return actual.cbBuffer >= block && actual.cBuffers >= 1 ? S_OK : E_FAIL;
}

HRESULT CCaptureStream::Run(REFERENCE_TIME start) {
    ComPtr<IReferenceClock> clock;
    m_pFilter->GetSyncSource(&clock);
    CAutoLock lock(&m_timingLock);
    m_clock = clock;
    m_runStart = start;
    return S_OK;
}

REFERENCE_TIME CCaptureStream::CaptureStartTime(size_t pendingBytes) {
    ComPtr<IReferenceClock> clock;
    REFERENCE_TIME start = 0;
    {
        CAutoLock lock(&m_timingLock);
        clock = m_clock;
        start = m_runStart;
    }
    REFERENCE_TIME now = 0;
    if (!clock || FAILED(clock->GetTime(&now))) return 0;
    return now - start - static_cast<REFERENCE_TIME>(pendingBytes * kUnitsPerSecond / m_format.nAvgBytesPerSec);
}

HRESULT CCaptureStream::OnThreadCreate() {
    m_apartment = ::CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    m_pending.clear();
    m_bytesDelivered = 0;
    m_base = 0;
    m_firstSample = true;
    HRESULT hr = m_capture.Open(m_format);
    if (SUCCEEDED(hr)) hr = m_capture.Start();
    if (FAILED(hr)) m_capture.Close();
    return hr;
}

HRESULT CCaptureStream::OnThreadDestroy() {
    m_capture.Close();
    if (SUCCEEDED(m_apartment)) ::CoUninitialize();
    m_apartment = E_FAIL;
    return S_OK;
}

HRESULT CCaptureStream::FillBuffer(IMediaSample* sample) {
    BYTE* data = nullptr;
    HRESULT hr = sample->GetPointer(&data);
    if (FAILED(hr)) return hr;
    const long block = m_format.nBlockAlign;
    const size_t want = static_cast<size_t>(sample->GetSize() / block * block);
    if (want == 0) return E_UNEXPECTED;

    while (m_pending.size() < want) {
        // A stop waits for this thread while holding the state lock: look
        // for it between every wait.
        if (StopRequested()) return S_FALSE;
        m_capture.Wait(kPollMs);
        const bool running = m_pSourceFilter->State() == State_Running;
        const size_t before = m_pending.size();
        try {
            hr = m_capture.Read(m_pending);
        } catch (...) {
            hr = E_OUTOFMEMORY;
        }
        if (FAILED(hr)) return hr;
        // A live source: what was captured while paused is not delivered.
        if (!running) m_pending.resize(before);
        // The first sound since the thread started fixes the time base.
        // The graph runs its filters a little before stream time 0 (200 ms
        // under Wine): what the endpoint captured before 0 is dropped, as a
        // device delivers nothing from before the start.
        if (m_firstSample && m_bytesDelivered == 0 && before == 0 && !m_pending.empty()) {
            m_base = CaptureStartTime(m_pending.size());
            if (m_base < 0) {
                const uint64_t early = static_cast<uint64_t>(-m_base) * m_format.nAvgBytesPerSec / kUnitsPerSecond;
                const size_t drop =
                    std::min(m_pending.size(), static_cast<size_t>((early + block - 1) / block * block));
                m_pending.erase(m_pending.begin(), m_pending.begin() + static_cast<std::ptrdiff_t>(drop));
                m_base = 0;
            }
        }
    }

    std::memcpy(data, m_pending.data(), want);
    m_pending.erase(m_pending.begin(), m_pending.begin() + static_cast<std::ptrdiff_t>(want));
    const uint64_t perSecond = m_format.nAvgBytesPerSec;
    REFERENCE_TIME start = m_base + static_cast<REFERENCE_TIME>(m_bytesDelivered * kUnitsPerSecond / perSecond);
    m_bytesDelivered += want;
    REFERENCE_TIME stop = m_base + static_cast<REFERENCE_TIME>(m_bytesDelivered * kUnitsPerSecond / perSecond);
    sample->SetActualDataLength(static_cast<long>(want));
    sample->SetTime(&start, &stop);
    sample->SetSyncPoint(TRUE);
    sample->SetDiscontinuity(m_firstSample ? TRUE : FALSE);
    m_firstSample = false;
    return S_OK;
}
