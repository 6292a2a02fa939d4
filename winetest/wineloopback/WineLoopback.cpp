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

#include <windows.h>

#include <audioclient.h>
#include <endpointvolume.h>
#include <mmdeviceapi.h>

#include <atomic>
#include <cwchar>
#include <map>
#include <mutex>
#include <new>
#include <string>
#include <utility>

#include "framework/base/ComPtr.h"
#include "framework/dshow/Registration.h"
#include "framework/win/Handles.h"

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

std::wstring LoopbackSourceName() {
    std::wstring name = L"Monitor of Speakers";
    win::RegKey key;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Telvane\\WineTest", 0, KEY_READ, key.Put()) == ERROR_SUCCESS) {
        wchar_t value[256];
        DWORD bytes = sizeof value - sizeof(wchar_t);
        DWORD type = 0;
        if (::RegQueryValueExW(key.Get(), L"LoopbackSource", nullptr, &type, reinterpret_cast<BYTE*>(value), &bytes) ==
                ERROR_SUCCESS &&
            type == REG_SZ) {
            value[bytes / sizeof(wchar_t)] = L'\0';
            name = value;
        }
    }
    return name;
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
        ComPtr<IPropertyStore> props;
        if (FAILED(device->OpenPropertyStore(STGM_READ, &props))) continue;
        PROPVARIANT value;
        ::PropVariantInit(&value);
        bool match =
            SUCCEEDED(props->GetValue(kFriendlyName, &value)) && value.vt == VT_LPWSTR && name == value.pwszVal;
        ::PropVariantClear(&value);
        if (match) {
            *found = device.Detach();
            return S_OK;
        }
    }
    return E_NOTFOUND;
}

// The audio client of a render endpoint: itself until a loopback
// Initialize, then the capture endpoint's client.
class LoopbackClient : public Object<IAudioClient> {
public:
    LoopbackClient(IAudioClient* render, IMMDeviceEnumerator* enumerator)
        : m_render(render), m_enumerator(enumerator) {}

    HRESULT STDMETHODCALLTYPE Initialize(AUDCLNT_SHAREMODE mode, DWORD flags, REFERENCE_TIME duration,
                                         REFERENCE_TIME periodicity, const WAVEFORMATEX* format,
                                         LPCGUID session) override {
        if (!(flags & AUDCLNT_STREAMFLAGS_LOOPBACK))
            return m_render->Initialize(mode, flags, duration, periodicity, format, session);
        if (m_capture) return AUDCLNT_E_ALREADY_INITIALIZED;
        ComPtr<IMMDevice> source;
        HRESULT hr = FindCaptureEndpoint(m_enumerator.Get(), LoopbackSourceName(), &source);
        if (FAILED(hr)) return AUDCLNT_E_DEVICE_INVALIDATED;
        ComPtr<IAudioClient> capture;
        hr = source->Activate(__uuidof(IAudioClient), CLSCTX_ALL, nullptr, reinterpret_cast<void**>(&capture));
        if (FAILED(hr)) return hr;
        hr = capture->Initialize(mode, flags & ~AUDCLNT_STREAMFLAGS_LOOPBACK, duration, periodicity, format, session);
        if (FAILED(hr)) return hr;
        m_capture = capture;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetBufferSize(UINT32* frames) override { return Active()->GetBufferSize(frames); }
    HRESULT STDMETHODCALLTYPE GetStreamLatency(REFERENCE_TIME* latency) override {
        return Active()->GetStreamLatency(latency);
    }
    HRESULT STDMETHODCALLTYPE GetCurrentPadding(UINT32* padding) override {
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
    HRESULT STDMETHODCALLTYPE Start() override { return Active()->Start(); }
    HRESULT STDMETHODCALLTYPE Stop() override { return Active()->Stop(); }
    HRESULT STDMETHODCALLTYPE Reset() override { return Active()->Reset(); }
    HRESULT STDMETHODCALLTYPE SetEventHandle(HANDLE event) override { return Active()->SetEventHandle(event); }
    HRESULT STDMETHODCALLTYPE GetService(REFIID riid, void** ppv) override { return Active()->GetService(riid, ppv); }

private:
    IAudioClient* Active() const { return m_capture ? m_capture.Get() : m_render.Get(); }

    ComPtr<IAudioClient> m_render;
    ComPtr<IMMDeviceEnumerator> m_enumerator;
    ComPtr<IAudioClient> m_capture;  // set once, by Initialize on the caller's thread
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
        if (iid != __uuidof(IAudioClient) || !m_isRender) return hr;
        auto* render = static_cast<IAudioClient*>(*ppv);
        auto* wrapped = new (std::nothrow) LoopbackClient(render, m_enumerator.Get());
        render->Release();
        *ppv = wrapped;
        return wrapped ? S_OK : E_OUTOFMEMORY;
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
    HRESULT STDMETHODCALLTYPE RegisterEndpointNotificationCallback(IMMNotificationClient* client) override {
        return m_inner->RegisterEndpointNotificationCallback(client);
    }
    HRESULT STDMETHODCALLTYPE UnregisterEndpointNotificationCallback(IMMNotificationClient* client) override {
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
