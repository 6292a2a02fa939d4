#include "tests/wine/capfilter/FakeAudio.h"

#include <cstring>

#include "capfilter/SonarkPlatform.h"

// ---- capture service ----------------------------------------------------

void FakeCaptureClient::Queue(std::vector<uint8_t> bytes) {
    std::lock_guard<std::mutex> lock(m_lock);
    m_packets.push_back(std::move(bytes));
}

size_t FakeCaptureClient::Queued() {
    std::lock_guard<std::mutex> lock(m_lock);
    return m_packets.size();
}

std::vector<UINT32> FakeCaptureClient::Released() {
    std::lock_guard<std::mutex> lock(m_lock);
    return m_released;
}

HRESULT STDMETHODCALLTYPE FakeCaptureClient::GetBuffer(BYTE** data, UINT32* frames, DWORD* flags, UINT64*, UINT64*) {
    std::lock_guard<std::mutex> lock(m_lock);
    if (FAILED(getBufferResult)) return getBufferResult;
    *flags = 0;
    if (m_packets.empty() || m_packets.front().empty()) {
        *data = nullptr;
        *frames = 0;
        if (!m_packets.empty()) m_packets.pop_front();
        return AUDCLNT_S_BUFFER_EMPTY;
    }
    *data = m_packets.front().data();
    *frames = static_cast<UINT32>(m_packets.front().size() / static_cast<size_t>(m_blockAlign));
    return S_OK;
}

HRESULT STDMETHODCALLTYPE FakeCaptureClient::ReleaseBuffer(UINT32 frames) {
    std::lock_guard<std::mutex> lock(m_lock);
    m_released.push_back(frames);
    if (FAILED(releaseResult)) return releaseResult;
    if (frames && !m_packets.empty()) m_packets.pop_front();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE FakeCaptureClient::GetNextPacketSize(UINT32* frames) {
    std::lock_guard<std::mutex> lock(m_lock);
    if (FAILED(nextPacketSizeResult)) return nextPacketSizeResult;
    *frames = m_packets.empty() ? 0 : static_cast<UINT32>(m_packets.front().size() / static_cast<size_t>(m_blockAlign));
    return S_OK;
}

// ---- audio client -------------------------------------------------------

FakeAudioClient::FakeAudioClient(WORD channels, DWORD rate, int captureBlockAlign)
    : capture(new FakeCaptureClient(captureBlockAlign)) {
    // A float mix format, as Windows and Wine report for shared mode.
    mix.wFormatTag = WAVE_FORMAT_IEEE_FLOAT;
    mix.nChannels = channels;
    mix.nSamplesPerSec = rate;
    mix.wBitsPerSample = 32;
    mix.nBlockAlign = static_cast<WORD>(channels * 4);
    mix.nAvgBytesPerSec = mix.nBlockAlign * rate;
    mix.cbSize = 0;
}

FakeAudioClient::~FakeAudioClient() { capture->Release(); }

HRESULT STDMETHODCALLTYPE FakeAudioClient::Initialize(AUDCLNT_SHAREMODE, DWORD flags, REFERENCE_TIME duration,
                                                      REFERENCE_TIME, const WAVEFORMATEX* format, LPCGUID) {
    ++initializeCalls;
    initFlags = flags;
    initDuration = duration;
    initFormat = *format;
    return initializeResult;
}

HRESULT STDMETHODCALLTYPE FakeAudioClient::GetBufferSize(UINT32* frames) {
    if (FAILED(bufferSizeResult)) return bufferSizeResult;
    *frames = bufferFrames;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE FakeAudioClient::GetStreamLatency(REFERENCE_TIME*) { return E_NOTIMPL; }
HRESULT STDMETHODCALLTYPE FakeAudioClient::GetCurrentPadding(UINT32*) { return E_NOTIMPL; }

HRESULT STDMETHODCALLTYPE FakeAudioClient::IsFormatSupported(AUDCLNT_SHAREMODE, const WAVEFORMATEX*,
                                                             WAVEFORMATEX** closest) {
    if (closest) {
        *closest = nullptr;
        if (formatSupportedResult == S_FALSE) {
            // A closest match, which the stream must free.
            auto* c = static_cast<WAVEFORMATEX*>(::CoTaskMemAlloc(sizeof(WAVEFORMATEX)));
            *c = mix;
            *closest = c;
        }
    }
    return formatSupportedResult;
}

HRESULT STDMETHODCALLTYPE FakeAudioClient::GetMixFormat(WAVEFORMATEX** format) {
    if (FAILED(mixFormatResult)) return mixFormatResult;
    auto* f = static_cast<WAVEFORMATEX*>(::CoTaskMemAlloc(sizeof(WAVEFORMATEX)));
    *f = mix;
    *format = f;
    return mixFormatResult;
}

HRESULT STDMETHODCALLTYPE FakeAudioClient::GetDevicePeriod(REFERENCE_TIME*, REFERENCE_TIME*) { return E_NOTIMPL; }

HRESULT STDMETHODCALLTYPE FakeAudioClient::Start() {
    ++startCalls;
    if (startResults.empty()) return S_OK;
    HRESULT hr = startResults.front();
    startResults.pop_front();
    return hr;
}

HRESULT STDMETHODCALLTYPE FakeAudioClient::Stop() {
    ++stopCalls;
    return stopResult;
}

HRESULT STDMETHODCALLTYPE FakeAudioClient::Reset() { return S_OK; }
HRESULT STDMETHODCALLTYPE FakeAudioClient::SetEventHandle(HANDLE) { return E_NOTIMPL; }

HRESULT STDMETHODCALLTYPE FakeAudioClient::GetService(REFIID riid, void** ppv) {
    if (FAILED(serviceResult)) return serviceResult;
    if (riid != __uuidof(IAudioCaptureClient)) return E_NOINTERFACE;
    capture->AddRef();
    *ppv = static_cast<IAudioCaptureClient*>(capture);
    return S_OK;
}

// ---- property store, device, enumerator ---------------------------------

HRESULT STDMETHODCALLTYPE FakePropertyStore::GetCount(DWORD* n) {
    *n = 1;
    return S_OK;
}
HRESULT STDMETHODCALLTYPE FakePropertyStore::GetAt(DWORD, PROPERTYKEY*) { return E_NOTIMPL; }
HRESULT STDMETHODCALLTYPE FakePropertyStore::GetValue(REFPROPERTYKEY, PROPVARIANT* value) {
    if (FAILED(getValueResult)) return getValueResult;
    ::PropVariantInit(value);
    value->vt = VT_LPWSTR;
    const wchar_t name[] = L"Microphone";
    value->pwszVal = static_cast<LPWSTR>(::CoTaskMemAlloc(sizeof name));
    std::memcpy(value->pwszVal, name, sizeof name);
    return S_OK;
}
HRESULT STDMETHODCALLTYPE FakePropertyStore::SetValue(REFPROPERTYKEY, REFPROPVARIANT) { return E_NOTIMPL; }
HRESULT STDMETHODCALLTYPE FakePropertyStore::Commit() { return E_NOTIMPL; }

FakeDevice::~FakeDevice() {
    client->Release();
    store->Release();
}

HRESULT STDMETHODCALLTYPE FakeDevice::Activate(REFIID iid, DWORD, PROPVARIANT*, void** ppv) {
    ++activateCalls;
    if (FAILED(activateResult)) return activateResult;
    if (iid != __uuidof(IAudioClient)) return E_NOINTERFACE;
    client->AddRef();
    *ppv = static_cast<IAudioClient*>(client);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE FakeDevice::OpenPropertyStore(DWORD, IPropertyStore** out) {
    if (FAILED(propertyStoreResult)) return propertyStoreResult;
    store->AddRef();
    *out = store;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE FakeDevice::GetId(LPWSTR*) { return E_NOTIMPL; }
HRESULT STDMETHODCALLTYPE FakeDevice::GetState(DWORD* state) {
    *state = DEVICE_STATE_ACTIVE;
    return S_OK;
}

FakeEnumerator::~FakeEnumerator() {
    render->Release();
    capture->Release();
}

HRESULT STDMETHODCALLTYPE FakeEnumerator::EnumAudioEndpoints(EDataFlow, DWORD, IMMDeviceCollection**) {
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE FakeEnumerator::GetDefaultAudioEndpoint(EDataFlow flow, ERole role, IMMDevice** device) {
    asked.emplace_back(flow, role);
    HRESULT hr = flow == eRender ? renderResult : captureResult;
    if (FAILED(hr)) return hr;
    FakeDevice* d = flow == eRender ? render : capture;
    d->AddRef();
    *device = d;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE FakeEnumerator::GetDevice(LPCWSTR, IMMDevice**) { return E_NOTIMPL; }
HRESULT STDMETHODCALLTYPE FakeEnumerator::RegisterEndpointNotificationCallback(IMMNotificationClient*) {
    return E_NOTIMPL;
}
HRESULT STDMETHODCALLTYPE FakeEnumerator::UnregisterEndpointNotificationCallback(IMMNotificationClient*) {
    return E_NOTIMPL;
}

// ---- the system and its platform table ----------------------------------

namespace {

FakeAudioSystem* g_system = nullptr;
std::mutex g_recordLock;
std::vector<std::wstring> g_messages;
std::vector<std::wstring> g_shellOpens;
std::vector<UINT> g_processEnds;

HRESULT CreateFakeEnumerator(IMMDeviceEnumerator** out) {
    if (!g_system) return E_UNEXPECTED;
    ++g_system->enumeratorsCreated;
    if (FAILED(g_system->createResult)) return g_system->createResult;
    g_system->enumerator->AddRef();
    *out = g_system->enumerator;
    return S_OK;
}

void RecordMessageA(const char* text) {
    std::lock_guard<std::mutex> lock(g_recordLock);
    g_messages.emplace_back(text, text + std::strlen(text));
}

void RecordMessageW(const wchar_t* text) {
    std::lock_guard<std::mutex> lock(g_recordLock);
    g_messages.emplace_back(text);
}

void RecordShellOpen(const wchar_t* file) {
    std::lock_guard<std::mutex> lock(g_recordLock);
    g_shellOpens.emplace_back(file);
}

void RecordProcessEnd(UINT code) {
    std::lock_guard<std::mutex> lock(g_recordLock);
    g_processEnds.push_back(code);
}

}  // namespace

FakeAudioSystem::FakeAudioSystem(WORD speakerChannels, DWORD speakerRate, WORD micChannels, DWORD micRate) {
    speakers = new FakeAudioClient(speakerChannels, speakerRate, 4);
    mic = new FakeAudioClient(micChannels, micRate, micChannels < 2 ? 2 : 4);
    speakersDevice = new FakeDevice(speakers, new FakePropertyStore);
    micDevice = new FakeDevice(mic, new FakePropertyStore);
    enumerator = new FakeEnumerator(speakersDevice, micDevice);
    {
        std::lock_guard<std::mutex> lock(g_recordLock);
        g_messages.clear();
        g_shellOpens.clear();
        g_processEnds.clear();
    }
    g_system = this;
    sonark::CurrentPlatform() = {CreateFakeEnumerator, RecordMessageA, RecordMessageW, RecordShellOpen,
                                 RecordProcessEnd};
    sonark::ResetOneShotMessages();
}

FakeAudioSystem::~FakeAudioSystem() {
    sonark::CurrentPlatform() = sonark::SystemPlatform();
    g_system = nullptr;
    // The devices and clients go with the enumerator, once the stream that
    // may still hold them lets go.
    enumerator->Release();
}

std::vector<std::wstring> FakeAudioSystem::Messages() {
    std::lock_guard<std::mutex> lock(g_recordLock);
    return g_messages;
}
std::vector<std::wstring> FakeAudioSystem::ShellOpens() {
    std::lock_guard<std::mutex> lock(g_recordLock);
    return g_shellOpens;
}
std::vector<UINT> FakeAudioSystem::ProcessEnds() {
    std::lock_guard<std::mutex> lock(g_recordLock);
    return g_processEnds;
}

// ---- media sample -------------------------------------------------------

HRESULT STDMETHODCALLTYPE FakeMediaSample::GetPointer(BYTE** p) {
    if (FAILED(pointerResult)) return pointerResult;
    *p = buffer.data();
    return S_OK;
}
HRESULT STDMETHODCALLTYPE FakeMediaSample::GetTime(REFERENCE_TIME* s, REFERENCE_TIME* e) {
    if (!timeSet) return VFW_E_SAMPLE_TIME_NOT_SET;
    *s = start;
    *e = stop;
    return S_OK;
}
HRESULT STDMETHODCALLTYPE FakeMediaSample::SetTime(REFERENCE_TIME* s, REFERENCE_TIME* e) {
    if (FAILED(setTimeResult)) return setTimeResult;
    timeSet = true;
    start = *s;
    stop = *e;
    return S_OK;
}
HRESULT STDMETHODCALLTYPE FakeMediaSample::SetSyncPoint(BOOL b) {
    if (FAILED(syncPointResult)) return syncPointResult;
    syncPoint = b;
    return S_OK;
}
HRESULT STDMETHODCALLTYPE FakeMediaSample::SetPreroll(BOOL b) {
    if (FAILED(prerollResult)) return prerollResult;
    preroll = b;
    return S_OK;
}
HRESULT STDMETHODCALLTYPE FakeMediaSample::SetActualDataLength(long n) {
    actual = n;
    return S_OK;
}
HRESULT STDMETHODCALLTYPE FakeMediaSample::GetMediaType(AM_MEDIA_TYPE** pmt) {
    *pmt = nullptr;
    return S_FALSE;
}
HRESULT STDMETHODCALLTYPE FakeMediaSample::SetMediaType(AM_MEDIA_TYPE*) { return mediaTypeResult; }
HRESULT STDMETHODCALLTYPE FakeMediaSample::SetDiscontinuity(BOOL b) {
    if (FAILED(discontinuityResult)) return discontinuityResult;
    discontinuity = b;
    return S_OK;
}
HRESULT STDMETHODCALLTYPE FakeMediaSample::GetMediaTime(LONGLONG*, LONGLONG*) { return VFW_E_MEDIA_TIME_NOT_SET; }
HRESULT STDMETHODCALLTYPE FakeMediaSample::SetMediaTime(LONGLONG*, LONGLONG*) { return S_OK; }
