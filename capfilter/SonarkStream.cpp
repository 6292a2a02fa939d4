#include "capfilter/SonarkStream.h"

#include <process.h>
#include <uuids.h>

#include <atomic>
#include <cstdio>
#include <cstring>

#include "capfilter/AudioLog.h"
#include "capfilter/CaptureParams.h"
#include "capfilter/SampleTiming.h"
#include "capfilter/Sonark.h"
#include "capfilter/SonarkPlatform.h"
#include "framework/win/Handles.h"

using sonark::CurrentPlatform;
using sonark::LogAudio;
using sonark::LogAudioF;

namespace {

// Shown at most once per process, whichever filter instance meets them.
std::atomic<bool> g_sampleRateHelpShown{false};
std::atomic<bool> g_openFailureShown{false};

// PKEY_Device_FriendlyName, by value: the import libraries lack its definition.
const PROPERTYKEY kDeviceFriendlyName = {{0xa45c254e, 0xdf1c, 0x4efd, {0x80, 0x20, 0x67, 0xd1, 0x46, 0xa8, 0x50, 0xe0}},
                                         14};

constexpr REFERENCE_TIME kHalfSecond = 5000000;
constexpr DWORD kPacketPollMs = 4;
constexpr DWORD kPausedSampleMs = 25;

const char kSampleRateInstructions[] =
    "\r\nWINDOWS 7 / VISTA SAMPLE RATE SETUP\r\n\r\nIn the 'Sound' window click Recording.\r\nClick your "
    "microphone, click Properties, click Advanced and set the audio format to 16 bit, 48000 Hz or 44100 Hz. Make "
    "sure the Speaker sample rates is set the same.\r\n\r\nClose and restart Telvane.";

void Message(const char* text) { CurrentPlatform().messageA(text); }

void FillPcmFormat(WAVEFORMATEX& wfx, WORD channels, DWORD rate) {
    wfx.wFormatTag = WAVE_FORMAT_PCM;
    wfx.nChannels = channels;
    wfx.nSamplesPerSec = rate;
    wfx.wBitsPerSample = 16;
    wfx.nBlockAlign = static_cast<WORD>(channels * 16 / 8);
    wfx.nAvgBytesPerSec = wfx.nBlockAlign * rate;
    wfx.cbSize = 0;
}

void LogFormat(const char* heading, const WAVEFORMATEX& f, const char* tail) {
    LogAudioF(
        "%s\nwFormatTag=%d\nnChannels=%d\nnSamplesPerSec=%d\nnBlockAlign=%d\nnAvgBytesPerSec=%d\n"
        "wBitsPerSample=%d\ncbSize=%d\n%s",
        heading, f.wFormatTag, f.nChannels, static_cast<int>(f.nSamplesPerSec), f.nBlockAlign,
        static_cast<int>(f.nSamplesPerSec * f.nBlockAlign), f.wBitsPerSample, f.cbSize, tail);
}

void __cdecl OpenSetupBatch(void*) { CurrentPlatform().openShell(L".\\sound.bat"); }
void __cdecl ShowSetupInstructions(void*) { Message(kSampleRateInstructions); }

// Leaves the state lock at the end of a scope that LockForStreaming entered.
class ScopedUnlock {
public:
    explicit ScopedUnlock(CCritSec* lock) : m_lock(lock) {}
    ~ScopedUnlock() { m_lock->Unlock(); }
    ScopedUnlock(const ScopedUnlock&) = delete;
    ScopedUnlock& operator=(const ScopedUnlock&) = delete;

private:
    CCritSec* m_lock;
};

}  // namespace

void sonark::ResetOneShotMessages() {
    g_sampleRateHelpShown = false;
    g_openFailureShown = false;
}

CSonarkStream::CSonarkStream(HRESULT* phr, CSource* filter) : CSourceStream(nullptr, phr, filter, kSonarkPinName) {
    CAutoLock lock(filter->pStateLock());
    m_hnsRequestedDuration = sonark::kUnitsPerSecond;
    m_pEnumerator = nullptr;
    m_pDevice = nullptr;
    m_pAudioClient = nullptr;
    m_pCaptureClient = nullptr;
    m_pAudioClient1 = nullptr;
    m_pCaptureClient1 = nullptr;
    m_packetLength = 0;
    m_opened = false;
    m_bStarted = false;
}

CSonarkStream::~CSonarkStream() = default;

// ---- Opening the endpoints --------------------------------------------------

HRESULT CSonarkStream::InitMicrophone() {
    HRESULT hr = CurrentPlatform().createEnumerator(&m_pEnumerator);
    if (FAILED(hr)) return E_FAIL;
    LogAudio("CoCreateInstance OK\n");

    if (FAILED(m_pEnumerator->GetDefaultAudioEndpoint(eCapture, eMultimedia, &m_pDevice))) return E_FAIL;
    LogAudioF("m_pEnumerator=%d\n", static_cast<int>(reinterpret_cast<intptr_t>(m_pEnumerator.Get())));

    ComPtr<IPropertyStore> props;
    if (FAILED(m_pDevice->OpenPropertyStore(STGM_READ, &props))) return E_FAIL;
    LogAudioF("m_pDevice=%d\n", static_cast<int>(reinterpret_cast<intptr_t>(m_pDevice.Get())));

    PROPVARIANT name;
    ::PropVariantInit(&name);
    hr = props->GetValue(kDeviceFriendlyName, &name);
    ::PropVariantClear(&name);
    if (FAILED(hr)) return E_FAIL;

    if (FAILED(m_pDevice->Activate(__uuidof(IAudioClient), CLSCTX_ALL, nullptr,
                                   reinterpret_cast<void**>(&m_pAudioClient1))))
        return E_FAIL;
    LogAudio("Activate OK\n");

    win::CoTaskMemPtr<WAVEFORMATEX> mix;
    hr = m_pAudioClient1->GetMixFormat(mix.Put());
    LogAudio(hr == S_OK ? "m_pwfx OK\n" : "m_pwfx FAILED\n");
    if (FAILED(hr) || !mix) return E_FAIL;
    m_pwfx = mix.Get();
    LogFormat("CURRENT FORMAT", *m_pwfx, "");

    m_bMonoMic = m_pwfx->nChannels < 2;
    const DWORD rate = m_pwfx->nSamplesPerSec;
    if (rate != 48000 && rate != 44100 && !g_sampleRateHelpShown) {
        SampleRateHelp(rate);
        // Only reached where ending the process is not ours to do (tests).
        m_pwfx = &m_wfx;
        return E_FAIL;
    }

    FillPcmFormat(m_wfx, m_bMonoMic ? 1 : 2, rate);
    win::CoTaskMemPtr<WAVEFORMATEX> closest;
    hr = m_pAudioClient1->IsFormatSupported(AUDCLNT_SHAREMODE_SHARED, &m_wfx, closest.Put());
    LogFormat(hr == S_OK ? "ACCEPTED FORMAT" : "NOT ACCEPTED FORMAT", m_wfx, "\n");
    closest.Reset();

    m_pwfx = &m_wfx;
    if (FAILED(m_pAudioClient1->Initialize(AUDCLNT_SHAREMODE_SHARED, 0, m_hnsRequestedDuration, 0, &m_wfx, nullptr))) {
        LogAudio("FAILED m_pAudioClient1->Initialize\n");
        return E_FAIL;
    }
    m_micBlockAlign = m_wfx.nChannels * m_wfx.wBitsPerSample / 8;
    if (FAILED(m_pAudioClient1->GetBufferSize(&m_bufferFrames))) {
        LogAudio("FAILED m_pAudioClient1->GetBufferSize\n");
        return E_FAIL;
    }
    if (FAILED(
            m_pAudioClient1->GetService(__uuidof(IAudioCaptureClient), reinterpret_cast<void**>(&m_pCaptureClient1))))
        return E_FAIL;
    // One second of microphone audio may wait for speakers packets.
    m_micCarry.Configure(m_wfx.nAvgBytesPerSec, static_cast<size_t>(m_micBlockAlign));

    m_opened = true;
    m_bStarted = false;
    m_rtSampleTime = 0;
    m_bFirstSampleSent = false;
    m_pEnumerator = nullptr;
    m_pDevice = nullptr;
    return S_OK;
}

void CSonarkStream::SampleRateHelp(DWORD rate) {
    g_sampleRateHelpShown = true;
    wchar_t text[256];
    std::swprintf(text, 256,
                  L"The microphone requires audio sample rates of 48000 or 44100 (currently your audio is set to "
                  L"%d)\n\nClick OK to open the setup instructions",
                  static_cast<int>(rate));
    CurrentPlatform().messageW(text);
    ::Sleep(1000);
    ::_beginthread(OpenSetupBatch, 0, nullptr);
    ::Sleep(1000);
    ::_beginthread(ShowSetupInstructions, 0, nullptr);
    ::Sleep(1000);
    CurrentPlatform().endProcess(0);
}

HRESULT CSonarkStream::InitLoopback(bool dualAudio) {
    if (dualAudio && FAILED(InitMicrophone())) return E_FAIL;

    if (FAILED(CurrentPlatform().createEnumerator(&m_pEnumerator))) return E_FAIL;
    if (FAILED(m_pEnumerator->GetDefaultAudioEndpoint(eRender, eConsole, &m_pDevice))) return E_FAIL;
    if (FAILED(m_pDevice->Activate(__uuidof(IAudioClient), CLSCTX_ALL, nullptr,
                                   reinterpret_cast<void**>(&m_pAudioClient))))
        return E_FAIL;
    win::CoTaskMemPtr<WAVEFORMATEX> mix;
    if (FAILED(m_pAudioClient->GetMixFormat(mix.Put())) || !mix) return E_FAIL;
    m_pwfx = mix.Get();

    FillPcmFormat(m_wfx, 2, m_pwfx->nSamplesPerSec);
    win::CoTaskMemPtr<WAVEFORMATEX> closest;
    HRESULT hr = m_pAudioClient->IsFormatSupported(AUDCLNT_SHAREMODE_SHARED, &m_wfx, closest.Put());
    if (hr != S_OK) Message("\r\nAudio format NOT accepted by renderer");
    closest.Reset();
    m_pwfx = &m_wfx;
    if (FAILED(hr)) return E_FAIL;

    m_speakersBlockAlign = m_wfx.nChannels * m_wfx.wBitsPerSample / 8;
    if (FAILED(m_pAudioClient->Initialize(AUDCLNT_SHAREMODE_SHARED, AUDCLNT_STREAMFLAGS_LOOPBACK,
                                          m_hnsRequestedDuration, 0, &m_wfx, nullptr)))
        return E_FAIL;
    if (FAILED(m_pAudioClient->GetBufferSize(&m_bufferFrames))) return E_FAIL;
    if (FAILED(m_pAudioClient->GetService(__uuidof(IAudioCaptureClient), reinterpret_cast<void**>(&m_pCaptureClient))))
        return E_FAIL;

    m_opened = true;
    m_bStarted = false;
    m_rtSampleTime = 0;
    m_bFirstSampleSent = false;
    m_micCarry.Clear();
    m_remainder.Clear();
    return S_OK;
}

// ---- Negotiation ------------------------------------------------------------

HRESULT CSonarkStream::GetMediaType(CMediaType* pmt) {
    if (!pmt) return E_POINTER;
    // The framework's callers hold the state lock already; the lock is
    // re-entrant, and holding it here keeps the worker from reading
    // half-replaced clients.
    CAutoLock lock(m_pSourceFilter->pStateLock());
    m_bMonoMic = false;
    const bool dualAudio = sonark::GetCaptureParams().dualAudio != 0;
    HRESULT hr = E_FAIL;
    for (int attempt = 1; attempt <= 3; ++attempt) {
        hr = InitLoopback(dualAudio);
        if (SUCCEEDED(hr)) break;
        if (attempt < 3) ::Sleep(100);
    }
    if (FAILED(hr)) {
        if (!g_openFailureShown.exchange(true)) Message("Error - Cannot initialize second audio (microphone).");
        return E_FAIL;
    }

    pmt->InitMediaType();
    auto* format = reinterpret_cast<WAVEFORMATEX*>(pmt->AllocFormatBuffer(sizeof(WAVEFORMATEX)));
    if (!format) {
        Message("Error - Cannot allocate memory for audio format");
        return E_OUTOFMEMORY;
    }
    format->wFormatTag = WAVE_FORMAT_PCM;
    format->nChannels = m_pwfx->nChannels;
    format->nSamplesPerSec = m_pwfx->nSamplesPerSec;
    format->nBlockAlign = m_pwfx->nBlockAlign;
    format->nAvgBytesPerSec = m_pwfx->nAvgBytesPerSec;
    format->wBitsPerSample = m_pwfx->wBitsPerSample;
    format->cbSize = 0;
    hr = CreateAudioMediaType(format, pmt, FALSE);

    // The filter runs on the system clock unless the graph gives it another.
    if (SUCCEEDED(::CoCreateInstance(CLSID_SystemClock, nullptr, CLSCTX_INPROC_SERVER, IID_IReferenceClock,
                                     reinterpret_cast<void**>(&m_pClock)))) {
        ComPtr<IMediaFilter> mediaFilter;
        if (SUCCEEDED(m_pSourceFilter->QueryInterface(IID_IMediaFilter, reinterpret_cast<void**>(&mediaFilter))))
            mediaFilter->SetSyncSource(m_pClock.Get());
        m_pSourceFilter->SetSyncSource(m_pClock.Get());
    }
    return hr;
}

HRESULT CSonarkStream::DecideBufferSize(IMemAllocator* alloc, ALLOCATOR_PROPERTIES* request) {
    if (!alloc || !request) return E_POINTER;
    CAutoLock lock(m_pSourceFilter->pStateLock());
    request->cBuffers = 1;
    // The endpoint buffer's frame count, taken as bytes: far more than one
    // packet (a second's frames for a 10 ms packet).
    request->cbBuffer = static_cast<long>(m_bufferFrames);
    if (request->cbAlign <= 0) request->cbAlign = 1;
    ALLOCATOR_PROPERTIES actual{};
    HRESULT hr = alloc->SetProperties(request, &actual);
    if (FAILED(hr)) {
        Message("Error - Cannot allocate memory for audio buffer");
        return hr;
    }
    if (actual.cbBuffer < request->cbBuffer) {
        Message("Error - Audio buffer too large");
        return E_FAIL;
    }
    m_bFirstSampleSent = false;
    m_remainder.Clear();
    return S_OK;
}

// ---- Streaming --------------------------------------------------------------

bool CSonarkStream::LockForStreaming() {
    for (;;) {
        if (m_pLock->TryLock()) return true;
        if (StopRequested()) return false;
        ::Sleep(1);
    }
}

HRESULT CSonarkStream::EmptySample(IMediaSample* sample, DWORD waitMs) {
    if (waitMs) ::Sleep(waitMs);
    sample->SetActualDataLength(0);
    return S_OK;
}

const char* CSonarkStream::StopStartedClients(bool micOn) {
    if (!m_bStarted || !m_bFirstSampleSent) return nullptr;
    if (FAILED(m_pAudioClient->Stop())) return "Error - Cannot stop the audio client";
    if (micOn && FAILED(m_pAudioClient1->Stop())) return "Error - Cannot stop the audio 2 client";
    m_bStarted = false;
    return nullptr;
}

void CSonarkStream::StopClientsForPause() {
    StopStartedClients(sonark::GetCaptureParams().dualAudio != 0 && m_pAudioClient1);
}

HRESULT CSonarkStream::FollowFilterState(bool dualAudio, REFERENCE_TIME streamTime) {
    const FILTER_STATE state = m_pSourceFilter->State();
    const bool micOn = dualAudio && m_pAudioClient1;
    if (state != State_Running) {
        if (const char* failure = StopStartedClients(micOn)) {
            Message(failure);
            return E_FAIL;
        }
    }
    // The graph runs its filters from a start time slightly in the future:
    // what the endpoints capture before it would be stamped from 0 and lead
    // the picture by that much, so they start when it comes.
    if (!m_bStarted && state == State_Running && streamTime >= 0) {
        if (!m_pAudioClient) return E_UNEXPECTED;
        if (FAILED(m_pAudioClient->Start()) && FAILED(m_pAudioClient->Start())) {
            Message("Error - Cannot start the audio client");
            return E_FAIL;
        }
        if (micOn && FAILED(m_pAudioClient1->Start())) {
            Message("Error - Cannot start second audio client");
            return E_FAIL;
        }
        m_bStarted = true;
        if (!m_bFirstSampleSent) m_nPacketCount = 0;
    }
    return S_OK;
}

HRESULT CSonarkStream::FillBuffer(IMediaSample* sample) {
    const sonark::CaptureParamValues params = sonark::GetCaptureParams();
    if (params.enable == 0) return E_FAIL;
    if (!sample || !m_pSourceFilter) return E_POINTER;
    const bool dualAudio = params.dualAudio != 0;

    BYTE* buffer = nullptr;
    REFERENCE_TIME streamTime = 0;
    bool started = false;
    ComPtr<IAudioCaptureClient> speakers;
    ComPtr<IAudioCaptureClient> mic;
    {
        if (!LockForStreaming()) return EmptySample(sample, 0);
        ScopedUnlock unlock(m_pLock);
        if (FAILED(m_pSourceFilter->StreamTime(streamTime))) streamTime = 0;
        HRESULT hr = FollowFilterState(dualAudio, streamTime);
        if (FAILED(hr)) return hr;
        if (FAILED(sample->GetPointer(&buffer))) return S_OK;
        started = m_bStarted;
        if (started && !m_remainder.Empty()) {
            // What the last packet could not fit goes first.
            long size = sample->GetSize();
            size_t n = m_remainder.TakeInto(buffer, size > 0 ? static_cast<size_t>(size) : 0,
                                            static_cast<size_t>(m_speakersBlockAlign));
            sample->SetActualDataLength(static_cast<long>(n));
            return StampSample(sample, streamTime, params.timingMode);
        }
        speakers = m_pCaptureClient;
        if (dualAudio) mic = m_pCaptureClient1;
    }
    if (!started) {
        // Waiting for the start time: no later than it comes.
        const REFERENCE_TIME untilStart = -streamTime;
        DWORD waitMs = kPausedSampleMs;
        if (untilStart > 0 && untilStart < REFERENCE_TIME{kPausedSampleMs} * 10000)
            waitMs = static_cast<DWORD>((untilStart + 9999) / 10000);
        return EmptySample(sample, waitMs);
    }
    if (!speakers) return E_UNEXPECTED;

    // The wait for a packet holds no lock and gives way to a stop or pause:
    // with nothing rendering to the speakers, no packet may ever come.
    UINT32 packetLength = 0;
    UINT32 micPacketLength = 0;
    for (;;) {
        if (FAILED(speakers->GetNextPacketSize(&packetLength))) {
            Message("Error - Cannot get audio packet size");
            return E_FAIL;
        }
        if (mic && FAILED(mic->GetNextPacketSize(&micPacketLength))) {
            Message("Error - Cannot get audio 2 packet size");
            return E_FAIL;
        }
        if (packetLength != 0) break;
        if (StopRequested()) return EmptySample(sample, 0);
        if (m_pSourceFilter->State() != State_Running) return PausedSample(sample, dualAudio);
        ::Sleep(kPacketPollMs);
    }

    if (!LockForStreaming()) return EmptySample(sample, 0);
    ScopedUnlock unlock(m_pLock);
    m_packetLength = packetLength;
    m_micPacketLength = micPacketLength;
    HRESULT hr = ProcessPacket(sample, buffer, streamTime, dualAudio, params.timingMode, speakers.Get(), mic.Get());
    if (SUCCEEDED(hr) && m_pSourceFilter->State() != State_Running) hr = FollowFilterState(dualAudio, streamTime);
    return hr;
}

HRESULT CSonarkStream::PausedSample(IMediaSample* sample, bool dualAudio) {
    {
        if (!LockForStreaming()) return EmptySample(sample, 0);
        ScopedUnlock unlock(m_pLock);
        HRESULT hr = FollowFilterState(dualAudio, 0);
        if (FAILED(hr)) return hr;
    }
    return EmptySample(sample, kPausedSampleMs);
}

HRESULT CSonarkStream::ProcessPacket(IMediaSample* sample, BYTE* buffer, REFERENCE_TIME streamTime, bool dualAudio,
                                     int timingMode, IAudioCaptureClient* speakers, IAudioCaptureClient* mic) {
    if (FAILED(speakers->GetBuffer(&m_pData, &m_framesAvailable, &m_flags, nullptr, nullptr))) {
        Message("Error - Cannot get audio data");
        return E_FAIL;
    }
    const bool micOn = dualAudio && mic;
    m_pMicData = nullptr;
    m_micFrames = 0;
    if (micOn) {
        HRESULT hr = mic->GetBuffer(&m_pMicData, &m_micFrames, &m_flags, nullptr, nullptr);
        if (FAILED(hr)) {
            Message("Error - Cannot get audio 2 data");
            return E_FAIL;
        }
        if (hr == AUDCLNT_S_BUFFER_EMPTY) m_micFrames = 0;
    }

    const size_t len = static_cast<size_t>(m_speakersBlockAlign) * m_framesAvailable;
    const size_t micLen = static_cast<size_t>(m_micBlockAlign) * m_micFrames;
    if (micOn) m_micCarry.MixInto(m_pData, len, m_pMicData, micLen, m_bMonoMic);

    // The first packets after a start, and those in the first half second,
    // settle the endpoints: they go out as silence of the same length.
    if (!(m_nPacketCount > 2 && streamTime > kHalfSecond) && len) std::memset(m_pData, 0, len);
    long size = sample->GetSize();
    size_t n = m_remainder.Split(m_pData, len, buffer, size > 0 ? static_cast<size_t>(size) : 0,
                                 static_cast<size_t>(m_speakersBlockAlign));
    sample->SetActualDataLength(static_cast<long>(n));

    HRESULT hr = StampSample(sample, streamTime, timingMode);
    if (FAILED(hr)) return hr;

    if (FAILED(speakers->ReleaseBuffer(m_framesAvailable))) {
        Message("Error - Cannot release audio buffer");
        return E_FAIL;
    }
    // The whole microphone packet goes back: what was not mixed is carried.
    if (micOn && FAILED(mic->ReleaseBuffer(m_micFrames))) {
        Message("Error - Cannot release audio buffer 2");
        return E_FAIL;
    }
    ++m_nPacketCount;
    return S_OK;
}

HRESULT CSonarkStream::StampSample(IMediaSample* sample, REFERENCE_TIME streamTime, int timingMode) {
    const long actual = sample->GetActualDataLength();
    const sonark::SampleTimes times =
        sonark::ComputeSampleTimes(timingMode, m_rtSampleTime, streamTime, actual, m_wfx.nAvgBytesPerSec);
    m_rtSampleTime = times.nextSampleTime;
    REFERENCE_TIME start = times.start;
    REFERENCE_TIME stop = times.stop;
    if (FAILED(sample->SetTime(&start, &stop))) {
        Message("Error - Cannot set audio media time");
        return E_FAIL;
    }
    const BOOL first = m_bFirstSampleSent ? FALSE : TRUE;
    if (FAILED(sample->SetPreroll(FALSE)) || FAILED(sample->SetMediaType(nullptr)) ||
        FAILED(sample->SetDiscontinuity(first)) || FAILED(sample->SetSyncPoint(first)))
        return E_FAIL;
    m_bFirstSampleSent = true;
    return S_OK;
}

HRESULT CSonarkStream::OnThreadDestroy() {
    // The end of the stream is audible: a short high tone.
    ::Beep(20000, 1000);
    return S_OK;
}
