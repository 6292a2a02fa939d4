// Lost devices on the Wine platform. What Wine 8's own endpoints do when the
// PulseAudio sink behind the microphone is unloaded, and what the stand-in
// makes of it: the client answers AUDCLNT_E_DEVICE_INVALIDATED and the
// registered notification clients hear of the removal, the addition and
// the default changes, as on Windows.

#include <gtest/gtest.h>

#include <audioclient.h>
#include <mmdeviceapi.h>

#include <cstdio>
#include <mutex>
#include <string>
#include <vector>

#include "framework/base/ComPtr.h"
#include "framework/win/Handles.h"
#include "tests/wine/driver/PulseShell.h"

namespace {

// What a notification client heard, in order.
class Heard : public IMMNotificationClient {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
        if (riid != IID_IUnknown && riid != __uuidof(IMMNotificationClient)) return E_NOINTERFACE;
        *ppv = static_cast<IMMNotificationClient*>(this);
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }  // lives on the test's stack
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE OnDefaultDeviceChanged(EDataFlow flow, ERole role, LPCWSTR) override {
        if (role == eMultimedia) Add(flow == eRender ? "default render" : "default capture");
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE OnDeviceStateChanged(LPCWSTR, DWORD) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnDeviceAdded(LPCWSTR) override {
        Add("added");
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE OnDeviceRemoved(LPCWSTR) override {
        Add("removed");
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE OnPropertyValueChanged(LPCWSTR, const PROPERTYKEY) override { return S_OK; }

    std::vector<std::string> Events() {
        std::lock_guard<std::mutex> lock(m_lock);
        return m_events;
    }
    bool Has(const std::string& event) {
        for (auto& e : Events())
            if (e == event) return true;
        return false;
    }

private:
    void Add(const char* event) {
        std::lock_guard<std::mutex> lock(m_lock);
        m_events.push_back(event);
    }
    std::mutex m_lock;
    std::vector<std::string> m_events;
};

HRESULT WineOwnEnumerator(IMMDeviceEnumerator** out) {
    static HMODULE mmdevapi = ::LoadLibraryW(L"mmdevapi.dll");
    using GetClassObject = HRESULT(WINAPI*)(REFCLSID, REFIID, void**);
    auto get =
        reinterpret_cast<GetClassObject>(reinterpret_cast<void*>(::GetProcAddress(mmdevapi, "DllGetClassObject")));
    if (!get) return E_FAIL;
    ComPtr<IClassFactory> factory;
    HRESULT hr = get(__uuidof(MMDeviceEnumerator), IID_IClassFactory, reinterpret_cast<void**>(&factory));
    if (FAILED(hr)) return hr;
    return factory->CreateInstance(nullptr, __uuidof(IMMDeviceEnumerator), reinterpret_cast<void**>(out));
}

HRESULT StandInEnumerator(IMMDeviceEnumerator** out) {
    return ::CoCreateInstance(__uuidof(MMDeviceEnumerator), nullptr, CLSCTX_ALL, __uuidof(IMMDeviceEnumerator),
                              reinterpret_cast<void**>(out));
}

// The default microphone, capturing.
struct MicClient {
    ComPtr<IAudioClient> client;
    ComPtr<IAudioCaptureClient> capture;

    HRESULT Open(IMMDeviceEnumerator* enumerator) {
        ComPtr<IMMDevice> device;
        HRESULT hr = enumerator->GetDefaultAudioEndpoint(eCapture, eMultimedia, &device);
        if (FAILED(hr)) return hr;
        if (FAILED(
                hr = device->Activate(__uuidof(IAudioClient), CLSCTX_ALL, nullptr, reinterpret_cast<void**>(&client))))
            return hr;
        WAVEFORMATEX wfx{WAVE_FORMAT_PCM, 2, 48000, 192000, 4, 16, 0};
        if (FAILED(hr = client->Initialize(AUDCLNT_SHAREMODE_SHARED, 0, 10000000, 0, &wfx, nullptr))) return hr;
        if (FAILED(hr = client->GetService(__uuidof(IAudioCaptureClient), reinterpret_cast<void**>(&capture))))
            return hr;
        return client->Start();
    }

    struct Reading {
        HRESULT failure = S_OK;  // the first failed call, if any
        DWORD failedAfterMs = 0;
        UINT32 packets = 0;
    };
    // Reads packets for `ms`, or until a call fails.
    Reading Read(DWORD ms) {
        Reading r;
        const DWORD from = ::GetTickCount();
        while (::GetTickCount() - from < ms) {
            UINT32 next = 0;
            HRESULT hr = capture->GetNextPacketSize(&next);
            if (SUCCEEDED(hr) && next) {
                BYTE* data = nullptr;
                UINT32 frames = 0;
                DWORD flags = 0;
                hr = capture->GetBuffer(&data, &frames, &flags, nullptr, nullptr);
                if (hr == S_OK) {
                    ++r.packets;
                    hr = capture->ReleaseBuffer(frames);
                }
            }
            if (FAILED(hr)) {
                r.failure = hr;
                r.failedAfterMs = ::GetTickCount() - from;
                return r;
            }
            ::Sleep(5);
        }
        return r;
    }
};

class DeviceFaults : public ::testing::Test {
protected:
    win::ScopedComApartment com{COINIT_MULTITHREADED};
};

}  // namespace

// Wine 8 keeps capturing: PulseAudio moves the record stream to another
// source, every call succeeds and no notification client hears anything.
TEST_F(DeviceFaults, WinesOwnMicrophoneClientCarriesOnWhenItsSinkIsUnloaded) {
    ComPtr<IMMDeviceEnumerator> wine;
    ASSERT_EQ(WineOwnEnumerator(&wine), S_OK);
    Heard heard;
    ASSERT_EQ(wine->RegisterEndpointNotificationCallback(&heard), S_OK);
    MicClient mic;
    ASSERT_EQ(mic.Open(wine.Get()), S_OK);
    auto before = mic.Read(500);
    UnloadSink("micsink");
    auto after = mic.Read(1500);
    UINT count = 0;
    ComPtr<IMMDeviceCollection> active;
    ASSERT_EQ(wine->EnumAudioEndpoints(eCapture, DEVICE_STATE_ACTIVE, &active), S_OK);
    active->GetCount(&count);
    LoadSink("micsink", "Microphone");
    std::printf(
        "Wine's own microphone: %u packets before, after the unload %u packets, result 0x%08lX, %zu "
        "notifications, %u active capture endpoints\n",
        before.packets, after.packets, static_cast<unsigned long>(after.failure), heard.Events().size(), count);
    EXPECT_GT(before.packets, 20u);
    EXPECT_EQ(after.failure, S_OK);
    EXPECT_GT(after.packets, 50u);
    EXPECT_TRUE(heard.Events().empty());
    wine->UnregisterEndpointNotificationCallback(&heard);
}

// Through the stand-in the client is invalidated within a poll or two, and
// the notifications follow what PulseAudio did.
TEST_F(DeviceFaults, TheStandInInvalidatesTheMicrophoneAndTellsOfTheChanges) {
    ComPtr<IMMDeviceEnumerator> enumerator;
    ASSERT_EQ(StandInEnumerator(&enumerator), S_OK);
    Heard heard;
    ASSERT_EQ(enumerator->RegisterEndpointNotificationCallback(&heard), S_OK);
    MicClient mic;
    ASSERT_EQ(mic.Open(enumerator.Get()), S_OK);
    EXPECT_EQ(mic.Read(500).failure, S_OK);
    UnloadSink("micsink");
    auto after = mic.Read(2000);
    std::printf("stand-in microphone: 0x%08lX after %lu ms\n", static_cast<unsigned long>(after.failure),
                after.failedAfterMs);
    EXPECT_EQ(after.failure, AUDCLNT_E_DEVICE_INVALIDATED);
    EXPECT_LT(after.failedAfterMs, 1000u);
    UINT32 padding = 0;
    EXPECT_EQ(mic.client->GetCurrentPadding(&padding), AUDCLNT_E_DEVICE_INVALIDATED);
    EXPECT_EQ(mic.client->Stop(), AUDCLNT_E_DEVICE_INVALIDATED);
    ::Sleep(500);
    // PulseAudio's default source is now the speakers' monitor, and the
    // default microphone opens on it.
    MicClient fallback;
    EXPECT_EQ(fallback.Open(enumerator.Get()), S_OK);
    EXPECT_TRUE(heard.Has("removed"));
    EXPECT_TRUE(heard.Has("default capture"));
    EXPECT_FALSE(heard.Has("default render"));

    const size_t seen = heard.Events().size();
    LoadSink("micsink", "Microphone");
    ::Sleep(800);
    auto events = heard.Events();
    std::string text;
    for (auto& e : events) text += e + "; ";
    std::printf("notifications: %s\n", text.c_str());
    ASSERT_GT(events.size(), seen);
    EXPECT_TRUE(heard.Has("added"));
    EXPECT_EQ(events.back(), "default capture");
    MicClient again;
    ASSERT_EQ(again.Open(enumerator.Get()), S_OK);
    EXPECT_EQ(again.Read(500).failure, S_OK);
    enumerator->UnregisterEndpointNotificationCallback(&heard);
}
