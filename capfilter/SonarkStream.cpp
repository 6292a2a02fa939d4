#include "capfilter/SonarkStream.h"

#include <process.h>
#include <uuids.h>

#include <atomic>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <new>

#include "capfilter/AudioLog.h"
#include "capfilter/CaptureParams.h"
#include "capfilter/SampleTiming.h"
#include "capfilter/Sonark.h"
#include "capfilter/SonarkEvents.h"
#include "capfilter/SonarkPlatform.h"
#include "framework/win/Handles.h"

using sonark::ClassifyEndpointResult;
using sonark::CurrentPlatform;
using sonark::EndpointFault;
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
// While nothing can go out, the worker looks again this often.
constexpr DWORD kIdlePollMs = 5;
// A wait for a packet gives way this often, so that reopenings come on time.
constexpr DWORD kPacketWaitSliceMs = 100;
// ProcessPacket: nothing went out, the fill starts over (a device was lost,
// or the packet was a new endpoint's backlog).
constexpr HRESULT kStartOver = S_FALSE;

// The pin's format from whatever endpoint: the system converts where it
// can; a system without the conversion flags takes the format as it is.
constexpr DWORD kConvert = AUDCLNT_STREAMFLAGS_AUTOCONVERTPCM | AUDCLNT_STREAMFLAGS_SRC_DEFAULT_QUALITY;

bool DeviceLost(HRESULT hr) { return ClassifyEndpointResult(hr) == EndpointFault::DeviceLost; }

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

HRESULT InitializeInFormat(IAudioClient* client, DWORD flags, REFERENCE_TIME duration, const WAVEFORMATEX& wfx) {
    HRESULT hr = client->Initialize(AUDCLNT_SHAREMODE_SHARED, flags | kConvert, duration, 0, &wfx, nullptr);
    if (hr == E_INVALIDARG) hr = client->Initialize(AUDCLNT_SHAREMODE_SHARED, flags, duration, 0, &wfx, nullptr);
    return hr;
}

// Hears of the default endpoints changing, on the system's thread, and
// leaves it to the worker to act.
class DefaultChangeListener : public IMMNotificationClient {
public:
    explicit DefaultChangeListener(std::shared_ptr<CSonarkStream::EndpointChanges> changes)
        : m_changes(std::move(changes)) {}
    virtual ~DefaultChangeListener() = default;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
        if (!ppv) return E_POINTER;
        if (riid != IID_IUnknown && riid != __uuidof(IMMNotificationClient)) {
            *ppv = nullptr;
            return E_NOINTERFACE;
        }
        *ppv = static_cast<IMMNotificationClient*>(this);
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(++m_refs); }
    ULONG STDMETHODCALLTYPE Release() override {
        const long left = --m_refs;
        if (left == 0) delete this;
        return static_cast<ULONG>(left);
    }
    // The speakers are the console's render endpoint, the microphone the
    // multimedia capture endpoint, as the openings ask for them.
    HRESULT STDMETHODCALLTYPE OnDefaultDeviceChanged(EDataFlow flow, ERole role, LPCWSTR) override {
        if (flow == eRender && role == eConsole) m_changes->speakers = true;
        if (flow == eCapture && role == eMultimedia) m_changes->microphone = true;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE OnDeviceStateChanged(LPCWSTR, DWORD) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnDeviceAdded(LPCWSTR) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnDeviceRemoved(LPCWSTR) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnPropertyValueChanged(LPCWSTR, const PROPERTYKEY) override { return S_OK; }

private:
    const std::shared_ptr<CSonarkStream::EndpointChanges> m_changes;
    std::atomic<long> m_refs{1};
};

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

CSonarkStream::~CSonarkStream() {
    if (m_pNotifyEnumerator && m_pNotifications)
        m_pNotifyEnumerator->UnregisterEndpointNotificationCallback(m_pNotifications.Get());
}

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

HRESULT CSonarkStream::BreakConnect() {
    m_formatRefusalTold = false;
    return CSourceStream::BreakConnect();
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
    if (hr != S_OK && !m_formatRefusalTold) {
        m_formatRefusalTold = true;
        Message("\r\nAudio format NOT accepted by renderer");
    }
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
    m_speakersReopen = {};
    m_micReopen = {};
    m_gap.Clear();
    m_changes->speakers = false;
    m_changes->microphone = false;
    ListenForDefaultChanges(m_pEnumerator.Get());
    return S_OK;
}

// ---- Lost devices -----------------------------------------------------------

void CSonarkStream::ListenForDefaultChanges(IMMDeviceEnumerator* enumerator) {
    if (m_pNotifications || !enumerator) return;
    ComPtr<IMMNotificationClient> listener;
    listener.Attach(new (std::nothrow) DefaultChangeListener(m_changes));
    if (!listener || FAILED(enumerator->RegisterEndpointNotificationCallback(listener.Get()))) return;
    m_pNotifyEnumerator = ComPtr<IMMDeviceEnumerator>(enumerator);
    m_pNotifications = listener;
}

void CSonarkStream::LoseSpeakers(const char* why, HRESULT hr, REFERENCE_TIME streamTime) {
    LogAudioF("Speakers lost (%s, 0x%08lX): reopening the default speakers, silence meanwhile\n", why,
              static_cast<unsigned long>(hr));
    m_gap.Begin(m_rtSampleTime, streamTime);
    m_speakersReopen.Lost(::GetTickCount());
    if (FAILED(hr)) TellDevice(true, true);
    m_pCaptureClient = nullptr;
    m_pAudioClient = nullptr;
}

void CSonarkStream::LoseMicrophone(const char* why, HRESULT hr) {
    LogAudioF("Microphone lost (%s, 0x%08lX): the speakers go on alone until one comes\n", why,
              static_cast<unsigned long>(hr));
    m_micReopen.Lost(::GetTickCount());
    if (FAILED(hr)) TellDevice(false, true);
    m_pCaptureClient1 = nullptr;
    m_pAudioClient1 = nullptr;
    m_micCarry.Clear();
}

namespace {

HRESULT OpenDefaultSpeakers(const WAVEFORMATEX& wfx, REFERENCE_TIME duration, ComPtr<IAudioClient>& client,
                            ComPtr<IAudioCaptureClient>& capture) {
    ComPtr<IMMDeviceEnumerator> enumerator;
    HRESULT hr = CurrentPlatform().createEnumerator(&enumerator);
    if (FAILED(hr)) return hr;
    ComPtr<IMMDevice> device;
    if (FAILED(hr = enumerator->GetDefaultAudioEndpoint(eRender, eConsole, &device))) return hr;
    if (FAILED(hr = device->Activate(__uuidof(IAudioClient), CLSCTX_ALL, nullptr, reinterpret_cast<void**>(&client))))
        return hr;
    if (FAILED(hr = InitializeInFormat(client.Get(), AUDCLNT_STREAMFLAGS_LOOPBACK, duration, wfx))) return hr;
    return client->GetService(__uuidof(IAudioCaptureClient), reinterpret_cast<void**>(&capture));
}

// `format` receives the microphone's format: its own channels at the pin's rate.
HRESULT OpenDefaultMicrophone(DWORD rate, REFERENCE_TIME duration, ComPtr<IAudioClient>& client,
                              ComPtr<IAudioCaptureClient>& capture, WAVEFORMATEX& format) {
    ComPtr<IMMDeviceEnumerator> enumerator;
    HRESULT hr = CurrentPlatform().createEnumerator(&enumerator);
    if (FAILED(hr)) return hr;
    ComPtr<IMMDevice> device;
    if (FAILED(hr = enumerator->GetDefaultAudioEndpoint(eCapture, eMultimedia, &device))) return hr;
    if (FAILED(hr = device->Activate(__uuidof(IAudioClient), CLSCTX_ALL, nullptr, reinterpret_cast<void**>(&client))))
        return hr;
    win::CoTaskMemPtr<WAVEFORMATEX> mix;
    if (FAILED(hr = client->GetMixFormat(mix.Put()))) return hr;
    if (!mix) return E_FAIL;
    FillPcmFormat(format, mix->nChannels < 2 ? 1 : 2, rate);
    if (FAILED(hr = InitializeInFormat(client.Get(), 0, duration, format))) return hr;
    return client->GetService(__uuidof(IAudioCaptureClient), reinterpret_cast<void**>(&capture));
}

}  // namespace

// What the opening thread hands over; its lock guards the rest.
struct CSonarkStream::Opening {
    bool speakers = true;
    WAVEFORMATEX wfx{};
    REFERENCE_TIME duration = 0;
    HMODULE module = nullptr;  // keeps the library loaded while the thread runs

    std::mutex lock;
    bool done = false;
    HRESULT hr = E_PENDING;
    ComPtr<IAudioClient> client;
    ComPtr<IAudioCaptureClient> capture;
    WAVEFORMATEX format{};

    static DWORD WINAPI Run(void* param) {
        auto* held = static_cast<std::shared_ptr<Opening>*>(param);
        std::shared_ptr<Opening> self = std::move(*held);
        delete held;
        const HMODULE module = self->module;
        {
            win::ScopedComApartment com(COINIT_MULTITHREADED);
            ComPtr<IAudioClient> client;
            ComPtr<IAudioCaptureClient> capture;
            WAVEFORMATEX format = self->wfx;
            const HRESULT hr = self->speakers ? OpenDefaultSpeakers(self->wfx, self->duration, client, capture)
                                              : OpenDefaultMicrophone(self->wfx.nSamplesPerSec, self->duration, client,
                                                                      capture, format);
            std::lock_guard<std::mutex> guard(self->lock);
            self->hr = hr;
            if (SUCCEEDED(hr)) {
                self->client = client;
                self->capture = capture;
                self->format = format;
            }
            self->done = true;
        }
        self.reset();
        if (module) ::FreeLibraryAndExitThread(module, 0);
        return 0;
    }
};

std::shared_ptr<CSonarkStream::Opening> CSonarkStream::StartOpening(bool speakers) {
    auto opening = std::make_shared<Opening>();
    opening->speakers = speakers;
    opening->wfx = m_wfx;
    opening->duration = m_hnsRequestedDuration;
    ::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS, reinterpret_cast<LPCWSTR>(&kSampleRateInstructions),
                         &opening->module);
    auto* param = new (std::nothrow) std::shared_ptr<Opening>(opening);
    HANDLE thread = param ? ::CreateThread(nullptr, 0, &Opening::Run, param, 0, nullptr) : nullptr;
    if (!thread) {
        delete param;
        if (opening->module) ::FreeLibrary(opening->module);
        std::lock_guard<std::mutex> guard(opening->lock);
        opening->hr = E_OUTOFMEMORY;
        opening->done = true;
        return opening;
    }
    ::CloseHandle(thread);
    return opening;
}

HRESULT CSonarkStream::TakeOpening(bool speakers, DWORD now) {
    std::shared_ptr<Opening>& opening = speakers ? m_speakersOpening : m_micOpening;
    sonark::ReopenSchedule& schedule = speakers ? m_speakersReopen : m_micReopen;
    ComPtr<IAudioClient> client;
    ComPtr<IAudioCaptureClient> capture;
    WAVEFORMATEX format{};
    HRESULT hr;
    {
        std::lock_guard<std::mutex> guard(opening->lock);
        if (!opening->done) return S_OK;
        hr = opening->hr;
        client = opening->client;
        capture = opening->capture;
        format = opening->format;
    }
    opening.reset();
    // A change or a loss while it opened asks for another opening.
    if (!schedule.Pending()) return S_OK;
    if (SUCCEEDED(hr) && m_bStarted) hr = client->Start();
    const char* flow = speakers ? "Speakers" : "Microphone";
    if (DeviceLost(hr)) {
        schedule.Failed(now);
        return S_OK;
    }
    if (FAILED(hr)) {
        LogAudioF("Cannot reopen the %s (0x%08lX)\n", speakers ? "speakers" : "microphone",
                  static_cast<unsigned long>(hr));
        return hr;
    }
    if (speakers) {
        // The silence goes on until the new endpoint's first packet: a
        // fresh device may take a while to deliver.
        m_pAudioClient = client;
        m_pCaptureClient = capture;
    } else {
        m_pAudioClient1 = client;
        m_pCaptureClient1 = capture;
        m_bMonoMic = format.nChannels < 2;
        m_micBlockAlign = format.nBlockAlign;
        m_micCarry.Configure(format.nAvgBytesPerSec, static_cast<size_t>(m_micBlockAlign));
    }
    LogAudioF("%s reopened after %u ms\n", flow, static_cast<unsigned>(schedule.Reopened(now)));
    TellDevice(speakers, false);
    return S_OK;
}

void CSonarkStream::TellDevice(bool speakers, bool lost) {
    bool& told = speakers ? m_speakersToldLost : m_micToldLost;
    // A return is told only after a loss, and each only once.
    if (lost == told) return;
    told = lost;
    m_pSourceFilter->NotifyEvent(kSonarkAudioDeviceEvent, speakers ? kSonarkFlowSpeakers : kSonarkFlowMicrophone,
                                 lost ? 0 : 1);
}

HRESULT CSonarkStream::FollowDevices(bool dualAudio, REFERENCE_TIME streamTime) {
    if (m_changes->speakers.exchange(false)) LoseSpeakers("the default speakers changed", S_OK, streamTime);
    if (m_changes->microphone.exchange(false) && dualAudio) LoseMicrophone("the default microphone changed", S_OK);
    const DWORD now = ::GetTickCount();
    if (!m_speakersOpening && m_speakersReopen.Due(now)) m_speakersOpening = StartOpening(true);
    if (dualAudio && !m_micOpening && m_micReopen.Due(now)) m_micOpening = StartOpening(false);
    HRESULT hr = S_OK;
    if (m_speakersOpening && FAILED(hr = TakeOpening(true, now))) return hr;
    if (m_micOpening && FAILED(hr = TakeOpening(false, now))) return hr;
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

DWORD CSonarkStream::NothingToSendMs(REFERENCE_TIME streamTime) {
    // Before the start time: no later than it comes.
    if (streamTime < 0 && -streamTime < REFERENCE_TIME{kIdlePollMs} * 10000)
        return static_cast<DWORD>((-streamTime + 9999) / 10000);
    return kIdlePollMs;
}

const char* CSonarkStream::StopStartedClients(bool micOn) {
    if (!m_bStarted || !m_bFirstSampleSent) return nullptr;
    // A lost endpoint has nothing left to stop; its replacement is opened
    // stopped while the stream is.
    if (m_pAudioClient) {
        HRESULT hr = m_pAudioClient->Stop();
        if (FAILED(hr) && !DeviceLost(hr)) return "Error - Cannot stop the audio client";
    }
    if (micOn && m_pAudioClient1) {
        HRESULT hr = m_pAudioClient1->Stop();
        if (FAILED(hr) && !DeviceLost(hr)) return "Error - Cannot stop the audio 2 client";
    }
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
        if (!m_pAudioClient && !m_speakersReopen.Pending()) return E_UNEXPECTED;
        if (m_pAudioClient) {
            HRESULT hr = m_pAudioClient->Start();
            if (FAILED(hr)) hr = m_pAudioClient->Start();
            if (DeviceLost(hr)) {
                LoseSpeakers("start", hr, streamTime);
            } else if (FAILED(hr)) {
                Message("Error - Cannot start the audio client");
                return E_FAIL;
            }
        }
        if (micOn) {
            HRESULT hr = m_pAudioClient1->Start();
            if (DeviceLost(hr)) {
                LoseMicrophone("start", hr);
            } else if (FAILED(hr)) {
                Message("Error - Cannot start second audio client");
                return E_FAIL;
            }
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

    // Nothing goes out without its time: before the start time and while
    // paused the worker waits here (the framework's next command, a stop,
    // ends the wait), and while the speakers are gone it sends silence as
    // the stream time advances.
    for (;;) {
        BYTE* buffer = nullptr;
        REFERENCE_TIME streamTime = 0;
        bool sending = false;
        ComPtr<IAudioCaptureClient> speakers;
        ComPtr<IAudioCaptureClient> mic;
        {
            if (!LockForStreaming()) return EmptySample(sample, 0);
            ScopedUnlock unlock(m_pLock);
            if (FAILED(m_pSourceFilter->StreamTime(streamTime))) streamTime = 0;
            HRESULT hr = FollowFilterState(dualAudio, streamTime);
            if (FAILED(hr)) return hr;
            if (m_bStarted && FAILED(hr = FollowDevices(dualAudio, streamTime))) return hr;
            if (FAILED(sample->GetPointer(&buffer))) return S_OK;
            if (dualAudio) mic = m_pCaptureClient1;
            const long size = sample->GetSize();
            const size_t capacity = size > 0 ? static_cast<size_t>(size) : 0;
            if (m_bStarted && !m_remainder.Empty()) {
                // What the last packet could not fit goes first.
                size_t n = m_remainder.TakeInto(buffer, capacity, static_cast<size_t>(m_speakersBlockAlign));
                sample->SetActualDataLength(static_cast<long>(n));
                return StampSample(sample, streamTime, params.timingMode);
            }
            if (m_bStarted && m_speakersReopen.Pending()) {
                const size_t due = m_gap.DueBytes(m_rtSampleTime, streamTime, m_wfx.nAvgBytesPerSec,
                                                  static_cast<size_t>(m_speakersBlockAlign), capacity);
                if (due) return GapSample(sample, buffer, due, streamTime, params.timingMode, mic.Get());
            } else if (m_bStarted && m_gap.Active()) {
                // Reopened: silence until the new endpoint delivers.
                UINT32 next = 0;
                if (m_pCaptureClient && SUCCEEDED(m_pCaptureClient->GetNextPacketSize(&next)) && next) {
                    m_gap.End(streamTime);
                    speakers = m_pCaptureClient;
                    sending = true;
                } else if (const size_t due = m_gap.DueBytes(m_rtSampleTime, streamTime, m_wfx.nAvgBytesPerSec,
                                                             static_cast<size_t>(m_speakersBlockAlign), capacity)) {
                    return GapSample(sample, buffer, due, streamTime, params.timingMode, mic.Get());
                }
            } else if (m_bStarted) {
                speakers = m_pCaptureClient;
                sending = true;
            }
        }
        if (!sending) {
            if (StopRequested()) return EmptySample(sample, 0);
            ::Sleep(NothingToSendMs(streamTime));
            continue;
        }
        if (!speakers) return E_UNEXPECTED;

        // The wait for a packet holds no lock and gives way to a stop or a
        // pause: with nothing rendering to the speakers, no packet may ever
        // come. It also gives way now and then, for the reopenings.
        UINT32 packetLength = 0;
        UINT32 micPacketLength = 0;
        bool startOver = false;
        const DWORD waitFrom = ::GetTickCount();
        for (;;) {
            HRESULT hr = speakers->GetNextPacketSize(&packetLength);
            if (FAILED(hr)) {
                if (!DeviceLost(hr)) {
                    Message("Error - Cannot get audio packet size");
                    return E_FAIL;
                }
                if (!LockForStreaming()) return EmptySample(sample, 0);
                ScopedUnlock unlock(m_pLock);
                if (m_pCaptureClient.Get() == speakers.Get()) LoseSpeakers("packet size", hr, streamTime);
                startOver = true;
                break;
            }
            if (mic && FAILED(hr = mic->GetNextPacketSize(&micPacketLength))) {
                if (!DeviceLost(hr)) {
                    Message("Error - Cannot get audio 2 packet size");
                    return E_FAIL;
                }
                if (!LockForStreaming()) return EmptySample(sample, 0);
                ScopedUnlock unlock(m_pLock);
                if (m_pCaptureClient1.Get() == mic.Get()) LoseMicrophone("packet size", hr);
                mic = nullptr;
            }
            if (packetLength != 0) break;
            if (StopRequested()) return EmptySample(sample, 0);
            if (m_pSourceFilter->State() != State_Running || m_changes->speakers || m_changes->microphone ||
                ::GetTickCount() - waitFrom >= kPacketWaitSliceMs) {
                startOver = true;
                break;
            }
            ::Sleep(kPacketPollMs);
        }
        if (startOver) continue;

        if (!LockForStreaming()) return EmptySample(sample, 0);
        ScopedUnlock unlock(m_pLock);
        m_packetLength = packetLength;
        m_micPacketLength = micPacketLength;
        HRESULT hr = ProcessPacket(sample, buffer, streamTime, dualAudio, params.timingMode, speakers.Get(), mic.Get());
        if (hr == kStartOver) continue;
        if (SUCCEEDED(hr) && m_pSourceFilter->State() != State_Running) hr = FollowFilterState(dualAudio, streamTime);
        return hr;
    }
}

HRESULT CSonarkStream::GapSample(IMediaSample* sample, BYTE* buffer, size_t bytes, REFERENCE_TIME streamTime,
                                 int timingMode, IAudioCaptureClient* mic) {
    std::memset(buffer, 0, bytes);
    if (mic) {
        BYTE* data = nullptr;
        UINT32 frames = 0;
        DWORD flags = 0;
        HRESULT hr = mic->GetBuffer(&data, &frames, &flags, nullptr, nullptr);
        if (DeviceLost(hr)) {
            LoseMicrophone("data", hr);
        } else if (FAILED(hr)) {
            Message("Error - Cannot get audio 2 data");
            return E_FAIL;
        } else {
            if (hr == AUDCLNT_S_BUFFER_EMPTY) frames = 0;
            // The local party goes on over the silence, past the settling.
            if (m_nPacketCount > 2 && streamTime > kHalfSecond)
                m_micCarry.MixInto(buffer, bytes, data, static_cast<size_t>(m_micBlockAlign) * frames, m_bMonoMic);
            hr = mic->ReleaseBuffer(frames);
            if (DeviceLost(hr)) {
                LoseMicrophone("release", hr);
            } else if (FAILED(hr)) {
                Message("Error - Cannot release audio buffer 2");
                return E_FAIL;
            }
        }
    }
    sample->SetActualDataLength(static_cast<long>(bytes));
    HRESULT hr = StampSample(sample, streamTime, timingMode);
    if (SUCCEEDED(hr)) ++m_nPacketCount;
    return hr;
}

HRESULT CSonarkStream::ProcessPacket(IMediaSample* sample, BYTE* buffer, REFERENCE_TIME streamTime, bool dualAudio,
                                     int timingMode, IAudioCaptureClient* speakers, IAudioCaptureClient* mic) {
    HRESULT hr = speakers->GetBuffer(&m_pData, &m_framesAvailable, &m_flags, nullptr, nullptr);
    if (DeviceLost(hr)) {
        if (m_pCaptureClient.Get() == speakers) LoseSpeakers("data", hr, streamTime);
        return kStartOver;
    }
    if (FAILED(hr)) {
        Message("Error - Cannot get audio data");
        return E_FAIL;
    }
    bool micOn = dualAudio && mic;
    m_pMicData = nullptr;
    m_micFrames = 0;
    if (micOn) {
        hr = mic->GetBuffer(&m_pMicData, &m_micFrames, &m_flags, nullptr, nullptr);
        if (DeviceLost(hr)) {
            if (m_pCaptureClient1.Get() == mic) LoseMicrophone("data", hr);
            micOn = false;
            m_micFrames = 0;
        } else if (FAILED(hr)) {
            Message("Error - Cannot get audio 2 data");
            return E_FAIL;
        }
        if (hr == AUDCLNT_S_BUFFER_EMPTY) m_micFrames = 0;
    }

    const size_t len = static_cast<size_t>(m_speakersBlockAlign) * m_framesAvailable;
    const size_t micLen = static_cast<size_t>(m_micBlockAlign) * m_micFrames;
    if (micOn) m_micCarry.MixInto(m_pData, len, m_pMicData, micLen, m_bMonoMic);

    // A new endpoint's backlog is sound of a time the gap's silence filled:
    // it goes back unsent, with the microphone's sound mixed into it.
    const int64_t packetTime =
        static_cast<int64_t>(m_framesAvailable) * sonark::kUnitsPerSecond / static_cast<int64_t>(m_wfx.nSamplesPerSec);
    if (m_framesAvailable && m_gap.Backlog(m_rtSampleTime, streamTime, packetTime)) {
        LogAudioF("Speakers: %u ms of the new endpoint's backlog left out\n",
                  static_cast<unsigned>(packetTime / 10000));
        hr = ReleasePackets(speakers, micOn ? mic : nullptr, streamTime);
        return FAILED(hr) ? hr : kStartOver;
    }

    // The first packets after a start, and those in the first half second,
    // settle the endpoints: they go out as silence of the same length.
    if (!(m_nPacketCount > 2 && streamTime > kHalfSecond) && len) std::memset(m_pData, 0, len);
    long size = sample->GetSize();
    size_t n = m_remainder.Split(m_pData, len, buffer, size > 0 ? static_cast<size_t>(size) : 0,
                                 static_cast<size_t>(m_speakersBlockAlign));
    sample->SetActualDataLength(static_cast<long>(n));

    hr = StampSample(sample, streamTime, timingMode);
    if (FAILED(hr)) return hr;

    // What was read goes out; a device lost meanwhile is reopened next time.
    hr = ReleasePackets(speakers, micOn ? mic : nullptr, streamTime);
    if (FAILED(hr)) return hr;
    ++m_nPacketCount;
    return S_OK;
}

HRESULT CSonarkStream::ReleasePackets(IAudioCaptureClient* speakers, IAudioCaptureClient* mic,
                                      REFERENCE_TIME streamTime) {
    HRESULT hr = speakers->ReleaseBuffer(m_framesAvailable);
    if (DeviceLost(hr)) {
        if (m_pCaptureClient.Get() == speakers) LoseSpeakers("release", hr, streamTime);
    } else if (FAILED(hr)) {
        Message("Error - Cannot release audio buffer");
        return E_FAIL;
    }
    // The whole microphone packet goes back: what was not mixed is carried.
    if (mic) {
        hr = mic->ReleaseBuffer(m_micFrames);
        if (DeviceLost(hr)) {
            if (m_pCaptureClient1.Get() == mic) LoseMicrophone("release", hr);
        } else if (FAILED(hr)) {
            Message("Error - Cannot release audio buffer 2");
            return E_FAIL;
        }
    }
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
