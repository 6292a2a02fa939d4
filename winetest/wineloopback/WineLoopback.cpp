// wineloopback.dll: WASAPI loopback capture for the Wine test prefix only.
//
// Wine 8 accepts AUDCLNT_STREAMFLAGS_LOOPBACK in IAudioClient::Initialize
// but then fails GetService(IID_IAudioCaptureClient) with
// AUDCLNT_E_WRONG_ENDPOINT_TYPE, so nothing can capture what the speakers
// play. Registered in place of CLSID_MMDeviceEnumerator, this server creates
// Wine's own enumerator (through mmdevapi.dll's class object) and forwards
// everything to it, except that the audio clients of render endpoints, when
// initialised for loopback, open the capture endpoint named by
// HKCU\Software\Telvane\WineTest "LoopbackSource" (default "Monitor of
// Speakers", the PulseAudio monitor of the speakers sink) and serve the
// stream from it. Unregistering puts Wine's own registration back.
//
// Wine 8 keeps an endpoint's mute state in each volume object and never
// passes it on to PulseAudio, while Windows keeps it system-wide. The volume
// controls handed out here keep it in the prefix's registry instead
// (HKCU\Software\Telvane\WineTest\EndpointMute, one DWORD per endpoint
// id), so a mute set in one process is read by every other one.
//
// Windows delivers loopback packets only while the audio engine mixes for
// the endpoint, that is while at least one render stream on it (of any
// process) is started; PulseAudio's monitor never stops. So the render
// clients handed out here count their started streams, from Start to Stop
// or their release, in a table shared by every process of the prefix
// (RenderStreams.h), under the sink they play into: an endpoint's friendly
// name, or for Wine's default endpoint "PulseAudio" (which follows
// PulseAudio's default sink) and for an endpoint whose sink is gone (its
// stream moved there) the name of PulseAudio's default sink, as the watch
// of the devices last read it ("Speakers" without a reading, or the value
// "DefaultSink" when a test sets one).
// winmm's waveOut streams come through here as well (Wine builds them on
// this enumerator): started on the first write, stopped by a reset or
// close. The loopback capture service passes only the
// monitor's packets captured (by their qpcPosition) while a stream on the
// monitored sink ("Monitor of X" monitors X) was started, and releases the
// others unread, as Windows never produced them. Nothing is ever added:
// what passes is the monitor's own packet.
//
// Windows captures nothing into a stopped stream; Wine 8 goes on recording
// and hands the backlog out after the next Start. Every capture stream
// handed out here (the loopback ones and those of capture endpoints, the
// microphone) passes only what was captured while it was started
// (CaptureRun.h).
//
// Wine 8 never invalidates a client whose PulseAudio device was unloaded
// (PulseAudio moves the stream elsewhere and Wine carries on) and never
// tells a notification client of a device or default change made in
// PulseAudio. The clients handed out here watch the device they run on and
// answer AUDCLNT_E_DEVICE_INVALIDATED once it is gone, and registered
// notification clients hear of the removals, additions and default changes
// that PulseAudio made (PulseWatch.h), as Windows tells them.

#include <windows.h>

#include <audioclient.h>
#include <endpointvolume.h>
#include <mmdeviceapi.h>

#include <atomic>
#include <cwchar>
#include <map>
#include <memory>
#include <mutex>
#include <new>
#include <string>
#include <utility>

#include "framework/base/ComPtr.h"
#include "framework/dshow/Registration.h"
#include "framework/win/Handles.h"
#include "winetest/wineloopback/CaptureRun.h"
#include "winetest/wineloopback/PulseWatch.h"
#include "winetest/wineloopback/RenderStreams.h"

namespace {

std::atomic<long> g_objects{0};
std::atomic<long> g_locks{0};

const PROPERTYKEY kFriendlyName = {{0xa45c254e, 0xdf1c, 0x4efd, {0x80, 0x20, 0x67, 0xd1, 0x46, 0xa8, 0x50, 0xe0}}, 14};

template <class Interface>
class Object : public Interface {
public:
    Object() { ++g_objects; }
    virtual ~Object() { --g_objects; }
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
        if (!ppv) return E_POINTER;
        if (riid == IID_IUnknown || riid == __uuidof(Interface)) {
            *ppv = static_cast<Interface*>(this);
            this->AddRef();
            return S_OK;
        }
        return QueryOther(riid, ppv);
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(++m_refs); }
    ULONG STDMETHODCALLTYPE Release() override {
        long left = --m_refs;
        if (left == 0) delete this;
        return static_cast<ULONG>(left);
    }

protected:
    // Interfaces the wrapped object has beyond the wrapped one.
    virtual HRESULT QueryOther(REFIID, void** ppv) {
        *ppv = nullptr;
        return E_NOINTERFACE;
    }

private:
    std::atomic<long> m_refs{1};
};

// A string under HKCU\Software\Telvane\WineTest, or `fallback`.
std::wstring WineTestSetting(const wchar_t* name, const wchar_t* fallback) {
    std::wstring result = fallback;
    win::RegKey key;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Telvane\\WineTest", 0, KEY_READ, key.Put()) == ERROR_SUCCESS) {
        wchar_t value[256];
        DWORD bytes = sizeof value - sizeof(wchar_t);
        DWORD type = 0;
        if (::RegQueryValueExW(key.Get(), name, nullptr, &type, reinterpret_cast<BYTE*>(value), &bytes) ==
                ERROR_SUCCESS &&
            type == REG_SZ) {
            value[bytes / sizeof(wchar_t)] = L'\0';
            result = value;
        }
    }
    return result;
}

std::wstring FriendlyName(IMMDevice* device);

// The platform's PulseAudio server has the null sinks "Speakers" (its
// default) and "Microphone". Loopback on an endpoint is served from the
// monitor of its sink, as Windows' loopback hears the endpoint's own mix;
// a test may name another source.
std::wstring LoopbackSourceName(const std::wstring& sink) {
    const std::wstring chosen = WineTestSetting(L"LoopbackSource", L"");
    return chosen.empty() ? L"Monitor of " + sink : chosen;
}

// The sink Wine's default endpoint plays into: PulseAudio's default sink as
// the watch of the devices saw it last, by the name of Wine's endpoint for
// it; without such a reading "Speakers", the platform's default (a test may
// name another).
std::wstring DefaultSinkName(IMMDeviceEnumerator* enumerator) {
    const std::wstring chosen = WineTestSetting(L"DefaultSink", L"");
    if (!chosen.empty()) return chosen;
    std::string sink;
    const std::wstring id = pulse_watch::LastDefaultSink(sink) ? pulse_watch::EndpointOf(true, sink) : L"";
    ComPtr<IMMDevice> device;
    if (!id.empty() && SUCCEEDED(enumerator->GetDevice(id.c_str(), &device))) return FriendlyName(device.Get());
    return L"Speakers";
}

std::wstring FriendlyName(IMMDevice* device) {
    ComPtr<IPropertyStore> props;
    if (FAILED(device->OpenPropertyStore(STGM_READ, &props))) return {};
    PROPVARIANT value;
    ::PropVariantInit(&value);
    std::wstring name;
    if (SUCCEEDED(props->GetValue(kFriendlyName, &value)) && value.vt == VT_LPWSTR && value.pwszVal)
        name = value.pwszVal;
    ::PropVariantClear(&value);
    return name;
}

std::wstring EndpointId(IMMDevice* device) {
    win::CoTaskMemPtr<wchar_t> id;
    if (FAILED(device->GetId(id.Put())) || !id.Get()) return {};
    return id.Get();
}

// The sink a render endpoint plays into. Wine's default endpoint (named
// "PulseAudio", with an id of its own) is not one of the named endpoints
// but follows PulseAudio's default sink.
std::wstring SinkOf(IMMDevice* device, IMMDeviceEnumerator* enumerator) {
    const std::wstring id = EndpointId(device);
    ComPtr<IMMDevice> fallback;
    if (SUCCEEDED(enumerator->GetDefaultAudioEndpoint(eRender, eConsole, &fallback))) {
        if (!id.empty() && id == EndpointId(fallback.Get())) return DefaultSinkName(enumerator);
    }
    // A stream for a sink that is gone plays on PulseAudio's default sink.
    const std::string sink = pulse_watch::DeviceOf(id, true, false);
    if (!sink.empty() && pulse_watch::SeenGone(true, sink)) return DefaultSinkName(enumerator);
    return FriendlyName(device);
}

HRESULT FindCaptureEndpoint(IMMDeviceEnumerator* inner, const std::wstring& name, IMMDevice** found) {
    ComPtr<IMMDeviceCollection> devices;
    HRESULT hr = inner->EnumAudioEndpoints(eCapture, DEVICE_STATE_ACTIVE, &devices);
    if (FAILED(hr)) return hr;
    UINT count = 0;
    devices->GetCount(&count);
    for (UINT i = 0; i < count; ++i) {
        ComPtr<IMMDevice> device;
        if (FAILED(devices->Item(i, &device))) continue;
        if (FriendlyName(device.Get()) == name) {
            *found = device.Detach();
            return S_OK;
        }
    }
    return E_NOTFOUND;
}

// The sink a loopback source listens to: "Monitor of X" monitors the sink
// X. Another kind of source hears no render stream; it is gated by the
// sink of the endpoint that was opened for loopback.
std::wstring MonitoredSink(const std::wstring& source, const std::wstring& endpointSink) {
    const std::wstring prefix = L"Monitor of ";
    return source.compare(0, prefix.size(), prefix) == 0 ? source.substr(prefix.size()) : endpointSink;
}

bool IsLost(const pulse_watch::LostFlag& lost) { return lost && lost->load(); }

// The watch of the device a client is about to run on; none when it cannot
// be told.
pulse_watch::LostFlag Bind(bool sink, const std::string& device) {
    return device.empty() ? nullptr : pulse_watch::Watch(sink, device);
}

// The capture service of a capture stream: Wine's own, passing only the
// packets captured while the caller's stream was started (CaptureRun.h)
// and, for a loopback stream, while a render stream on the monitored sink
// was started. The others are released unread: Windows never produced them.
class GatedCaptureClient : public Object<IAudioCaptureClient> {
public:
    // An empty sink: not a loopback stream.
    GatedCaptureClient(IAudioCaptureClient* inner, std::wstring sink, std::shared_ptr<capture_run::CaptureRun> run,
                       pulse_watch::LostFlag lost)
        : m_inner(inner), m_sink(std::move(sink)), m_run(std::move(run)), m_lost(std::move(lost)) {}

    HRESULT STDMETHODCALLTYPE GetBuffer(BYTE** data, UINT32* frames, DWORD* flags, UINT64* devicePosition,
                                        UINT64* qpcPosition) override {
        if (!data || !frames || !flags) return E_POINTER;
        if (IsLost(m_lost)) return AUDCLNT_E_DEVICE_INVALIDATED;
        std::lock_guard<std::mutex> lock(m_lock);
        if (m_holding) return AUDCLNT_E_OUT_OF_ORDER;
        HRESULT hr = NextRendered(data, frames, flags, devicePosition, qpcPosition);
        m_holding = hr == S_OK;
        return hr;
    }
    HRESULT STDMETHODCALLTYPE ReleaseBuffer(UINT32 frames) override {
        if (IsLost(m_lost)) return AUDCLNT_E_DEVICE_INVALIDATED;
        std::lock_guard<std::mutex> lock(m_lock);
        if (!m_holding) return frames == 0 ? S_OK : AUDCLNT_E_OUT_OF_ORDER;
        HRESULT hr = m_inner->ReleaseBuffer(frames);
        if (SUCCEEDED(hr)) m_holding = false;
        return hr;
    }
    HRESULT STDMETHODCALLTYPE GetNextPacketSize(UINT32* frames) override {
        if (!frames) return E_POINTER;
        if (IsLost(m_lost)) return AUDCLNT_E_DEVICE_INVALIDATED;
        std::lock_guard<std::mutex> lock(m_lock);
        if (m_holding) return m_inner->GetNextPacketSize(frames);
        BYTE* data = nullptr;
        UINT32 next = 0;
        DWORD flags = 0;
        HRESULT hr = NextRendered(&data, &next, &flags, nullptr, nullptr);
        if (FAILED(hr)) return hr;
        *frames = 0;
        if (hr != S_OK) return S_OK;
        // Releasing none of it leaves the packet first in line for GetBuffer.
        if (FAILED(hr = m_inner->ReleaseBuffer(0))) return hr;
        *frames = next;
        return S_OK;
    }

private:
    // Holds the monitor's first packet captured while the sink was rendered
    // to, releasing the ones before it; AUDCLNT_S_BUFFER_EMPTY when none is
    // there yet.
    HRESULT NextRendered(BYTE** data, UINT32* frames, DWORD* flags, UINT64* devicePosition, UINT64* qpcPosition) {
        // A full capture buffer holds a few hundred packets; the bound only
        // keeps a misbehaving monitor from holding the caller forever.
        for (int skipped = 0; skipped < 4096; ++skipped) {
            UINT64 captured = 0;
            HRESULT hr = m_inner->GetBuffer(data, frames, flags, devicePosition, &captured);
            if (hr == AUDCLNT_S_BUFFER_EMPTY) {
                *data = nullptr;
                *frames = 0;
            }
            if (hr != S_OK) return hr;
            if ((m_sink.empty() || render_streams::RenderedAt(m_sink, captured)) && m_run->StartedAt(captured)) {
                if (qpcPosition) *qpcPosition = captured;
                return S_OK;
            }
            if (FAILED(hr = m_inner->ReleaseBuffer(*frames))) return hr;
        }
        *data = nullptr;
        *frames = 0;
        *flags = 0;
        return AUDCLNT_S_BUFFER_EMPTY;
    }

    ComPtr<IAudioCaptureClient> m_inner;
    const std::wstring m_sink;
    const std::shared_ptr<capture_run::CaptureRun> m_run;
    const pulse_watch::LostFlag m_lost;  // the device the stream runs on is gone
    std::mutex m_lock;                   // one caller at a time between a peek and its release
    bool m_holding = false;              // the caller has a packet out; under m_lock
};

// The audio client of a render endpoint: itself until a loopback
// Initialize, then the capture endpoint's client. As a render client it
// counts its started stream in the prefix's table, under the sink it plays
// into.
class LoopbackClient : public Object<IAudioClient> {
public:
    LoopbackClient(IAudioClient* render, IMMDeviceEnumerator* enumerator, std::wstring sink, std::wstring endpointId,
                   bool wineDefault)
        : m_render(render),
          m_enumerator(enumerator),
          m_sink(std::move(sink)),
          m_endpointId(std::move(endpointId)),
          m_wineDefault(wineDefault) {}
    ~LoopbackClient() override {
        // Wine's stream ends with its last reference: so does its count.
        if (m_counted.exchange(false)) render_streams::Stopped(m_sink);
    }

    HRESULT STDMETHODCALLTYPE Initialize(AUDCLNT_SHAREMODE mode, DWORD flags, REFERENCE_TIME duration,
                                         REFERENCE_TIME periodicity, const WAVEFORMATEX* format,
                                         LPCGUID session) override {
        if (!(flags & AUDCLNT_STREAMFLAGS_LOOPBACK)) {
            auto lost = Bind(true, pulse_watch::DeviceOf(m_endpointId, true, m_wineDefault));
            if (IsLost(lost)) return AUDCLNT_E_DEVICE_INVALIDATED;
            HRESULT hr = m_render->Initialize(mode, flags, duration, periodicity, format, session);
            if (SUCCEEDED(hr)) m_lost = lost;
            return hr;
        }
        if (m_capture) return AUDCLNT_E_ALREADY_INITIALIZED;
        const std::wstring sourceName = LoopbackSourceName(m_sink);
        ComPtr<IMMDevice> source;
        HRESULT hr = FindCaptureEndpoint(m_enumerator.Get(), sourceName, &source);
        if (FAILED(hr)) return AUDCLNT_E_DEVICE_INVALIDATED;
        // The loopback stream lives as long as the monitor it reads.
        auto lost = Bind(false, pulse_watch::DeviceOf(EndpointId(source.Get()), false, false));
        if (IsLost(lost)) return AUDCLNT_E_DEVICE_INVALIDATED;
        ComPtr<IAudioClient> capture;
        hr = source->Activate(__uuidof(IAudioClient), CLSCTX_ALL, nullptr, reinterpret_cast<void**>(&capture));
        if (FAILED(hr)) return hr;
        hr = capture->Initialize(mode, flags & ~AUDCLNT_STREAMFLAGS_LOOPBACK, duration, periodicity, format, session);
        if (FAILED(hr)) return hr;
        m_monitoredSink = MonitoredSink(sourceName, m_sink);
        m_run = std::make_shared<capture_run::CaptureRun>();
        m_capture = capture;
        m_lost = lost;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetBufferSize(UINT32* frames) override { return Active()->GetBufferSize(frames); }
    HRESULT STDMETHODCALLTYPE GetStreamLatency(REFERENCE_TIME* latency) override {
        return Active()->GetStreamLatency(latency);
    }
    HRESULT STDMETHODCALLTYPE GetCurrentPadding(UINT32* padding) override {
        if (IsLost(m_lost)) return AUDCLNT_E_DEVICE_INVALIDATED;
        return Active()->GetCurrentPadding(padding);
    }
    HRESULT STDMETHODCALLTYPE IsFormatSupported(AUDCLNT_SHAREMODE mode, const WAVEFORMATEX* format,
                                                WAVEFORMATEX** closest) override {
        return Active()->IsFormatSupported(mode, format, closest);
    }
    HRESULT STDMETHODCALLTYPE GetMixFormat(WAVEFORMATEX** format) override { return Active()->GetMixFormat(format); }
    HRESULT STDMETHODCALLTYPE GetDevicePeriod(REFERENCE_TIME* def, REFERENCE_TIME* min) override {
        return Active()->GetDevicePeriod(def, min);
    }
    HRESULT STDMETHODCALLTYPE Start() override {
        if (IsLost(m_lost)) return AUDCLNT_E_DEVICE_INVALIDATED;
        // A loopback client's own start renders nothing.
        if (m_capture) return m_run->Start(m_capture.Get());
        HRESULT hr = m_render->Start();
        if (hr == S_OK && !m_capture && !m_counted.exchange(true) && !render_streams::Started(m_sink))
            m_counted = false;
        return hr;
    }
    HRESULT STDMETHODCALLTYPE Stop() override {
        if (m_capture) return IsLost(m_lost) ? AUDCLNT_E_DEVICE_INVALIDATED : m_run->Stop();
        HRESULT hr = IsLost(m_lost) ? AUDCLNT_E_DEVICE_INVALIDATED : m_render->Stop();
        // A lost device plays nothing either.
        if ((SUCCEEDED(hr) || hr == AUDCLNT_E_DEVICE_INVALIDATED) && m_counted.exchange(false))
            render_streams::Stopped(m_sink);
        return hr;
    }
    HRESULT STDMETHODCALLTYPE Reset() override {
        if (IsLost(m_lost)) return AUDCLNT_E_DEVICE_INVALIDATED;
        return m_capture ? m_run->Reset(m_capture.Get()) : m_render->Reset();
    }
    HRESULT STDMETHODCALLTYPE SetEventHandle(HANDLE event) override { return Active()->SetEventHandle(event); }
    HRESULT STDMETHODCALLTYPE GetService(REFIID riid, void** ppv) override {
        if (!ppv) return E_POINTER;
        if (!m_capture || riid != __uuidof(IAudioCaptureClient)) return Active()->GetService(riid, ppv);
        *ppv = nullptr;
        // One gate per stream: it knows whether the caller holds a packet.
        std::lock_guard<std::mutex> lock(m_gateLock);
        if (!m_gate) {
            ComPtr<IAudioCaptureClient> inner;
            HRESULT hr = m_capture->GetService(__uuidof(IAudioCaptureClient), reinterpret_cast<void**>(&inner));
            if (FAILED(hr)) return hr;
            auto* gate = new (std::nothrow) GatedCaptureClient(inner.Get(), m_monitoredSink, m_run, m_lost);
            if (!gate) return E_OUTOFMEMORY;
            m_gate.Attach(gate);
        }
        *ppv = static_cast<IAudioCaptureClient*>(m_gate.Get());
        m_gate->AddRef();
        return S_OK;
    }

private:
    IAudioClient* Active() const { return m_capture ? m_capture.Get() : m_render.Get(); }

    ComPtr<IAudioClient> m_render;
    ComPtr<IMMDeviceEnumerator> m_enumerator;
    const std::wstring m_sink;
    const std::wstring m_endpointId;
    const bool m_wineDefault;
    // Set by Initialize, before any other call that reads it.
    pulse_watch::LostFlag m_lost;
    // Set once, by Initialize on the caller's thread, before any other call.
    ComPtr<IAudioClient> m_capture;
    std::wstring m_monitoredSink;
    std::shared_ptr<capture_run::CaptureRun> m_run;
    std::mutex m_gateLock;
    ComPtr<GatedCaptureClient> m_gate;  // under m_gateLock
    std::atomic<bool> m_counted{false};
};

// The audio client of a capture endpoint: Wine's own, with the Start, Stop
// and Reset of CaptureRun.h and the gated capture service.
class CaptureClient : public Object<IAudioClient> {
public:
    CaptureClient(IAudioClient* inner, std::wstring endpointId, bool wineDefault)
        : m_inner(inner), m_endpointId(std::move(endpointId)), m_wineDefault(wineDefault) {}

    HRESULT STDMETHODCALLTYPE Initialize(AUDCLNT_SHAREMODE mode, DWORD flags, REFERENCE_TIME duration,
                                         REFERENCE_TIME periodicity, const WAVEFORMATEX* format,
                                         LPCGUID session) override {
        auto lost = Bind(false, pulse_watch::DeviceOf(m_endpointId, false, m_wineDefault));
        if (IsLost(lost)) return AUDCLNT_E_DEVICE_INVALIDATED;
        HRESULT hr = m_inner->Initialize(mode, flags, duration, periodicity, format, session);
        if (SUCCEEDED(hr)) m_lost = lost;
        return hr;
    }
    HRESULT STDMETHODCALLTYPE GetBufferSize(UINT32* frames) override { return m_inner->GetBufferSize(frames); }
    HRESULT STDMETHODCALLTYPE GetStreamLatency(REFERENCE_TIME* latency) override {
        return m_inner->GetStreamLatency(latency);
    }
    HRESULT STDMETHODCALLTYPE GetCurrentPadding(UINT32* padding) override {
        if (IsLost(m_lost)) return AUDCLNT_E_DEVICE_INVALIDATED;
        return m_inner->GetCurrentPadding(padding);
    }
    HRESULT STDMETHODCALLTYPE IsFormatSupported(AUDCLNT_SHAREMODE mode, const WAVEFORMATEX* format,
                                                WAVEFORMATEX** closest) override {
        return m_inner->IsFormatSupported(mode, format, closest);
    }
    HRESULT STDMETHODCALLTYPE GetMixFormat(WAVEFORMATEX** format) override { return m_inner->GetMixFormat(format); }
    HRESULT STDMETHODCALLTYPE GetDevicePeriod(REFERENCE_TIME* def, REFERENCE_TIME* min) override {
        return m_inner->GetDevicePeriod(def, min);
    }
    HRESULT STDMETHODCALLTYPE Start() override {
        return IsLost(m_lost) ? AUDCLNT_E_DEVICE_INVALIDATED : m_run->Start(m_inner.Get());
    }
    HRESULT STDMETHODCALLTYPE Stop() override { return IsLost(m_lost) ? AUDCLNT_E_DEVICE_INVALIDATED : m_run->Stop(); }
    HRESULT STDMETHODCALLTYPE Reset() override {
        return IsLost(m_lost) ? AUDCLNT_E_DEVICE_INVALIDATED : m_run->Reset(m_inner.Get());
    }
    HRESULT STDMETHODCALLTYPE SetEventHandle(HANDLE event) override { return m_inner->SetEventHandle(event); }
    HRESULT STDMETHODCALLTYPE GetService(REFIID riid, void** ppv) override {
        if (!ppv) return E_POINTER;
        if (riid != __uuidof(IAudioCaptureClient)) return m_inner->GetService(riid, ppv);
        *ppv = nullptr;
        std::lock_guard<std::mutex> lock(m_gateLock);
        if (!m_gate) {
            ComPtr<IAudioCaptureClient> inner;
            HRESULT hr = m_inner->GetService(__uuidof(IAudioCaptureClient), reinterpret_cast<void**>(&inner));
            if (FAILED(hr)) return hr;
            auto* gate = new (std::nothrow) GatedCaptureClient(inner.Get(), std::wstring(), m_run, m_lost);
            if (!gate) return E_OUTOFMEMORY;
            m_gate.Attach(gate);
        }
        *ppv = static_cast<IAudioCaptureClient*>(m_gate.Get());
        m_gate->AddRef();
        return S_OK;
    }

private:
    ComPtr<IAudioClient> m_inner;
    const std::wstring m_endpointId;
    const bool m_wineDefault;
    pulse_watch::LostFlag m_lost;  // set by Initialize, before any other call that reads it
    const std::shared_ptr<capture_run::CaptureRun> m_run = std::make_shared<capture_run::CaptureRun>();
    std::mutex m_gateLock;
    ComPtr<GatedCaptureClient> m_gate;  // under m_gateLock
};

const wchar_t kMuteKey[] = L"Software\\Telvane\\WineTest\\EndpointMute";

// The volume control of one endpoint: Wine's own, except that the mute
// state lives in the registry, shared by every process of the prefix.
class SharedMuteVolume : public Object<IAudioEndpointVolume> {
public:
    SharedMuteVolume(IAudioEndpointVolume* inner, std::wstring id) : m_inner(inner), m_id(std::move(id)) {}

    HRESULT STDMETHODCALLTYPE SetMute(BOOL mute, LPCGUID context) override {
        win::RegKey key;
        if (::RegCreateKeyExW(HKEY_CURRENT_USER, kMuteKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, key.Put(), nullptr) !=
            ERROR_SUCCESS)
            return E_FAIL;
        const DWORD value = mute ? 1 : 0;
        if (::RegSetValueExW(key.Get(), m_id.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                             sizeof value) != ERROR_SUCCESS)
            return E_FAIL;
        // Wine's own object follows, so that its listeners in this process hear of it.
        m_inner->SetMute(mute, context);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetMute(BOOL* mute) override {
        if (!mute) return E_POINTER;
        DWORD value = 0;
        DWORD bytes = sizeof value;
        DWORD type = 0;
        win::RegKey key;
        if (::RegOpenKeyExW(HKEY_CURRENT_USER, kMuteKey, 0, KEY_QUERY_VALUE, key.Put()) == ERROR_SUCCESS &&
            ::RegQueryValueExW(key.Get(), m_id.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&value), &bytes) ==
                ERROR_SUCCESS &&
            type == REG_DWORD) {
            *mute = value != 0;
            return S_OK;
        }
        *mute = FALSE;  // never muted in this prefix
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE RegisterControlChangeNotify(IAudioEndpointVolumeCallback* notify) override {
        return m_inner->RegisterControlChangeNotify(notify);
    }
    HRESULT STDMETHODCALLTYPE UnregisterControlChangeNotify(IAudioEndpointVolumeCallback* notify) override {
        return m_inner->UnregisterControlChangeNotify(notify);
    }
    HRESULT STDMETHODCALLTYPE GetChannelCount(UINT* count) override { return m_inner->GetChannelCount(count); }
    HRESULT STDMETHODCALLTYPE SetMasterVolumeLevel(FLOAT db, LPCGUID context) override {
        return m_inner->SetMasterVolumeLevel(db, context);
    }
    HRESULT STDMETHODCALLTYPE SetMasterVolumeLevelScalar(FLOAT level, LPCGUID context) override {
        return m_inner->SetMasterVolumeLevelScalar(level, context);
    }
    HRESULT STDMETHODCALLTYPE GetMasterVolumeLevel(FLOAT* db) override { return m_inner->GetMasterVolumeLevel(db); }
    HRESULT STDMETHODCALLTYPE GetMasterVolumeLevelScalar(FLOAT* level) override {
        return m_inner->GetMasterVolumeLevelScalar(level);
    }
    HRESULT STDMETHODCALLTYPE SetChannelVolumeLevel(UINT channel, FLOAT db, LPCGUID context) override {
        return m_inner->SetChannelVolumeLevel(channel, db, context);
    }
    HRESULT STDMETHODCALLTYPE SetChannelVolumeLevelScalar(UINT channel, FLOAT level, LPCGUID context) override {
        return m_inner->SetChannelVolumeLevelScalar(channel, level, context);
    }
    HRESULT STDMETHODCALLTYPE GetChannelVolumeLevel(UINT channel, FLOAT* db) override {
        return m_inner->GetChannelVolumeLevel(channel, db);
    }
    HRESULT STDMETHODCALLTYPE GetChannelVolumeLevelScalar(UINT channel, FLOAT* level) override {
        return m_inner->GetChannelVolumeLevelScalar(channel, level);
    }
    HRESULT STDMETHODCALLTYPE GetVolumeStepInfo(UINT* step, UINT* count) override {
        return m_inner->GetVolumeStepInfo(step, count);
    }
    HRESULT STDMETHODCALLTYPE VolumeStepUp(LPCGUID context) override { return m_inner->VolumeStepUp(context); }
    HRESULT STDMETHODCALLTYPE VolumeStepDown(LPCGUID context) override { return m_inner->VolumeStepDown(context); }
    HRESULT STDMETHODCALLTYPE QueryHardwareSupport(DWORD* mask) override { return m_inner->QueryHardwareSupport(mask); }
    HRESULT STDMETHODCALLTYPE GetVolumeRange(FLOAT* min, FLOAT* max, FLOAT* increment) override {
        return m_inner->GetVolumeRange(min, max, increment);
    }

private:
    ComPtr<IAudioEndpointVolume> m_inner;
    const std::wstring m_id;
};

class LoopbackDevice : public Object<IMMDevice> {
public:
    LoopbackDevice(IMMDevice* inner, IMMDeviceEnumerator* enumerator, bool render)
        : m_inner(inner), m_enumerator(enumerator), m_isRender(render) {}

    HRESULT STDMETHODCALLTYPE Activate(REFIID iid, DWORD ctx, PROPVARIANT* params, void** ppv) override {
        HRESULT hr = m_inner->Activate(iid, ctx, params, ppv);
        if (FAILED(hr)) return hr;
        if (iid == __uuidof(IAudioEndpointVolume)) return WrapVolume(ppv);
        if (iid != __uuidof(IAudioClient)) return hr;
        ComPtr<IAudioClient> client;
        client.Attach(static_cast<IAudioClient*>(*ppv));
        *ppv = nullptr;
        const std::wstring id = EndpointId(m_inner.Get());
        ComPtr<IMMDevice> wineDefault;
        const bool isDefault =
            SUCCEEDED(m_enumerator->GetDefaultAudioEndpoint(m_isRender ? eRender : eCapture, eConsole, &wineDefault)) &&
            !id.empty() && id == EndpointId(wineDefault.Get());
        if (!m_isRender) {
            auto* capture = new (std::nothrow) CaptureClient(client.Get(), id, isDefault);
            if (!capture) return E_OUTOFMEMORY;
            *ppv = static_cast<IAudioClient*>(capture);
            return S_OK;
        }
        auto* wrapped = new (std::nothrow)
            LoopbackClient(client.Get(), m_enumerator.Get(), SinkOf(m_inner.Get(), m_enumerator.Get()), id, isDefault);
        if (!wrapped) return E_OUTOFMEMORY;
        *ppv = static_cast<IAudioClient*>(wrapped);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE OpenPropertyStore(DWORD access, IPropertyStore** store) override {
        return m_inner->OpenPropertyStore(access, store);
    }
    HRESULT STDMETHODCALLTYPE GetId(LPWSTR* id) override { return m_inner->GetId(id); }
    HRESULT STDMETHODCALLTYPE GetState(DWORD* state) override { return m_inner->GetState(state); }

protected:
    HRESULT QueryOther(REFIID riid, void** ppv) override { return m_inner->QueryInterface(riid, ppv); }

private:
    HRESULT WrapVolume(void** ppv) {
        ComPtr<IAudioEndpointVolume> inner;
        inner.Attach(static_cast<IAudioEndpointVolume*>(*ppv));
        *ppv = nullptr;
        win::CoTaskMemPtr<wchar_t> id;
        HRESULT hr = m_inner->GetId(id.Put());
        if (FAILED(hr)) return hr;
        if (!id.Get()) return E_UNEXPECTED;
        auto* wrapped = new (std::nothrow) SharedMuteVolume(inner.Get(), id.Get());
        if (!wrapped) return E_OUTOFMEMORY;
        *ppv = static_cast<IAudioEndpointVolume*>(wrapped);
        return S_OK;
    }

    ComPtr<IMMDevice> m_inner;
    ComPtr<IMMDeviceEnumerator> m_enumerator;
    const bool m_isRender;
};

// Wine hands out one object per endpoint, and its own clients (winmm)
// compare the default endpoint with the collection's items by pointer: each
// endpoint gets exactly one wrapper, kept for the life of the process.
std::mutex g_wrappersLock;
std::map<IMMDevice*, LoopbackDevice*> g_wrappers;

HRESULT WrapEndpoint(IMMDeviceEnumerator* enumerator, IMMDevice** device) {
    ComPtr<IMMEndpoint> endpoint;
    EDataFlow flow = eCapture;
    if (FAILED((*device)->QueryInterface(__uuidof(IMMEndpoint), reinterpret_cast<void**>(&endpoint))) ||
        FAILED(endpoint->GetDataFlow(&flow)))
        return S_OK;
    std::lock_guard<std::mutex> lock(g_wrappersLock);
    LoopbackDevice*& wrapper = g_wrappers[*device];
    if (!wrapper) {
        wrapper = new (std::nothrow) LoopbackDevice(*device, enumerator, flow == eRender);
        if (!wrapper) {
            g_wrappers.erase(*device);
            return E_OUTOFMEMORY;
        }
    }
    (*device)->Release();
    wrapper->AddRef();
    *device = wrapper;
    return S_OK;
}

class LoopbackCollection : public Object<IMMDeviceCollection> {
public:
    LoopbackCollection(IMMDeviceCollection* inner, IMMDeviceEnumerator* enumerator)
        : m_inner(inner), m_enumerator(enumerator) {}
    HRESULT STDMETHODCALLTYPE GetCount(UINT* count) override { return m_inner->GetCount(count); }
    HRESULT STDMETHODCALLTYPE Item(UINT i, IMMDevice** device) override {
        HRESULT hr = m_inner->Item(i, device);
        return SUCCEEDED(hr) ? WrapEndpoint(m_enumerator.Get(), device) : hr;
    }

private:
    ComPtr<IMMDeviceCollection> m_inner;
    ComPtr<IMMDeviceEnumerator> m_enumerator;
};

class LoopbackEnumerator : public Object<IMMDeviceEnumerator> {
public:
    explicit LoopbackEnumerator(IMMDeviceEnumerator* inner) : m_inner(inner) {}

    HRESULT STDMETHODCALLTYPE EnumAudioEndpoints(EDataFlow flow, DWORD mask, IMMDeviceCollection** devices) override {
        HRESULT hr = m_inner->EnumAudioEndpoints(flow, mask, devices);
        if (FAILED(hr)) return hr;
        auto* wrapped = new (std::nothrow) LoopbackCollection(*devices, m_inner.Get());
        (*devices)->Release();
        *devices = wrapped;
        return wrapped ? S_OK : E_OUTOFMEMORY;
    }
    HRESULT STDMETHODCALLTYPE GetDefaultAudioEndpoint(EDataFlow flow, ERole role, IMMDevice** device) override {
        HRESULT hr = m_inner->GetDefaultAudioEndpoint(flow, role, device);
        return SUCCEEDED(hr) ? WrapEndpoint(m_inner.Get(), device) : hr;
    }
    HRESULT STDMETHODCALLTYPE GetDevice(LPCWSTR id, IMMDevice** device) override {
        HRESULT hr = m_inner->GetDevice(id, device);
        return SUCCEEDED(hr) ? WrapEndpoint(m_inner.Get(), device) : hr;
    }
    // Wine's own notifications (of its registry's defaults) and those of
    // what PulseAudio does.
    HRESULT STDMETHODCALLTYPE RegisterEndpointNotificationCallback(IMMNotificationClient* client) override {
        HRESULT hr = m_inner->RegisterEndpointNotificationCallback(client);
        if (FAILED(hr)) return hr;
        ComPtr<IMMDevice> render, capture;
        m_inner->GetDefaultAudioEndpoint(eRender, eConsole, &render);
        m_inner->GetDefaultAudioEndpoint(eCapture, eConsole, &capture);
        pulse_watch::SetWineDefaults(render ? EndpointId(render.Get()) : std::wstring(),
                                     capture ? EndpointId(capture.Get()) : std::wstring());
        return pulse_watch::Register(client);
    }
    HRESULT STDMETHODCALLTYPE UnregisterEndpointNotificationCallback(IMMNotificationClient* client) override {
        pulse_watch::Unregister(client);
        return m_inner->UnregisterEndpointNotificationCallback(client);
    }

private:
    ComPtr<IMMDeviceEnumerator> m_inner;
};

HRESULT CreateWineEnumerator(IMMDeviceEnumerator** out) {
    // Loaded once and kept: Wine's enumerator lives in it.
    static HMODULE mmdevapi = ::LoadLibraryW(L"mmdevapi.dll");
    if (!mmdevapi) return HRESULT_FROM_WIN32(ERROR_MOD_NOT_FOUND);
    using GetClassObject = HRESULT(WINAPI*)(REFCLSID, REFIID, void**);
    auto get =
        reinterpret_cast<GetClassObject>(reinterpret_cast<void*>(::GetProcAddress(mmdevapi, "DllGetClassObject")));
    if (!get) return HRESULT_FROM_WIN32(ERROR_PROC_NOT_FOUND);
    ComPtr<IClassFactory> factory;
    HRESULT hr = get(__uuidof(MMDeviceEnumerator), IID_IClassFactory, reinterpret_cast<void**>(&factory));
    if (FAILED(hr)) return hr;
    return factory->CreateInstance(nullptr, __uuidof(IMMDeviceEnumerator), reinterpret_cast<void**>(out));
}

class Factory : public Object<IClassFactory> {
public:
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** ppv) override {
        if (!ppv) return E_POINTER;
        *ppv = nullptr;
        if (outer) return CLASS_E_NOAGGREGATION;
        ComPtr<IMMDeviceEnumerator> inner;
        HRESULT hr = CreateWineEnumerator(&inner);
        if (FAILED(hr)) return hr;
        auto* wrapped = new (std::nothrow) LoopbackEnumerator(inner.Get());
        if (!wrapped) return E_OUTOFMEMORY;
        hr = wrapped->QueryInterface(riid, ppv);
        wrapped->Release();
        return hr;
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override {
        if (lock)
            ++g_locks;
        else
            --g_locks;
        return S_OK;
    }
};

}  // namespace

STDAPI DllGetClassObject(REFCLSID clsid, REFIID riid, void** ppv) {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (clsid != __uuidof(MMDeviceEnumerator)) return CLASS_E_CLASSNOTAVAILABLE;
    auto* factory = new (std::nothrow) Factory;
    if (!factory) return E_OUTOFMEMORY;
    HRESULT hr = factory->QueryInterface(riid, ppv);
    factory->Release();
    return hr;
}

STDAPI DllCanUnloadNow() { return g_objects == 0 && g_locks == 0 ? S_OK : S_FALSE; }

STDAPI DllRegisterServer() {
    wchar_t path[MAX_PATH];
    HRESULT hr = ModuleFileName(path, MAX_PATH);
    if (FAILED(hr)) return hr;
    return RegisterComServer(__uuidof(MMDeviceEnumerator), L"MMDeviceEnumerator class", path, L"Both");
}

STDAPI DllUnregisterServer() {
    wchar_t path[MAX_PATH];
    UINT n = ::GetSystemDirectoryW(path, MAX_PATH - 16);
    if (n == 0 || n >= MAX_PATH - 16) return E_FAIL;
    std::wcscat(path, L"\\mmdevapi.dll");
    return RegisterComServer(__uuidof(MMDeviceEnumerator), L"MMDeviceEnumerator class", path, L"Both");
}
