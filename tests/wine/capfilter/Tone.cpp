#include "tests/wine/capfilter/Tone.h"

#include <audioclient.h>
#include <mmdeviceapi.h>

#include <cmath>

#include "framework/base/ComPtr.h"
#include "framework/win/Handles.h"

namespace {

const PROPERTYKEY kFriendlyName = {{0xa45c254e, 0xdf1c, 0x4efd, {0x80, 0x20, 0x67, 0xd1, 0x46, 0xa8, 0x50, 0xe0}}, 14};

HRESULT FindRenderEndpoint(const std::wstring& name, IMMDevice** found) {
    ComPtr<IMMDeviceEnumerator> enumerator;
    HRESULT hr = ::CoCreateInstance(__uuidof(MMDeviceEnumerator), nullptr, CLSCTX_ALL, __uuidof(IMMDeviceEnumerator),
                                    reinterpret_cast<void**>(&enumerator));
    if (FAILED(hr)) return hr;
    return FindEndpointByName(enumerator.Get(), eRender, name, found);
}

}  // namespace

HRESULT FindEndpointByName(IMMDeviceEnumerator* enumerator, EDataFlow flow, const std::wstring& name,
                           IMMDevice** found) {
    ComPtr<IMMDeviceCollection> devices;
    HRESULT hr = enumerator->EnumAudioEndpoints(flow, DEVICE_STATE_ACTIVE, &devices);
    if (FAILED(hr)) return hr;
    UINT count = 0;
    devices->GetCount(&count);
    for (UINT i = 0; i < count; ++i) {
        ComPtr<IMMDevice> device;
        ComPtr<IPropertyStore> props;
        if (FAILED(devices->Item(i, &device)) || FAILED(device->OpenPropertyStore(STGM_READ, &props))) continue;
        PROPVARIANT value;
        ::PropVariantInit(&value);
        const bool match =
            SUCCEEDED(props->GetValue(kFriendlyName, &value)) && value.vt == VT_LPWSTR && name == value.pwszVal;
        ::PropVariantClear(&value);
        if (match) {
            *found = device.Detach();
            return S_OK;
        }
    }
    return E_NOTFOUND;
}

bool TonePlayer::Start(const std::wstring& endpointName, double hz, int amplitude) {
    m_stop = false;
    m_started = 0;
    m_thread = std::thread(&TonePlayer::Render, this, endpointName, hz, amplitude);
    while (m_started == 0) ::Sleep(5);
    return m_started == 1;
}

void TonePlayer::Stop() {
    m_stop = true;
    if (m_thread.joinable()) m_thread.join();
}

void TonePlayer::Render(std::wstring name, double hz, int amplitude) {
    win::ScopedComApartment com(COINIT_MULTITHREADED);
    ComPtr<IMMDevice> device;
    ComPtr<IAudioClient> client;
    ComPtr<IAudioRenderClient> render;
    WAVEFORMATEX wfx{WAVE_FORMAT_PCM, 2, 48000, 192000, 4, 16, 0};
    UINT32 frames = 0;
    if (FAILED(FindRenderEndpoint(name, &device)) ||
        FAILED(device->Activate(__uuidof(IAudioClient), CLSCTX_ALL, nullptr, reinterpret_cast<void**>(&client))) ||
        FAILED(client->Initialize(AUDCLNT_SHAREMODE_SHARED, 0, 2000000, 0, &wfx, nullptr)) ||
        FAILED(client->GetBufferSize(&frames)) ||
        FAILED(client->GetService(__uuidof(IAudioRenderClient), reinterpret_cast<void**>(&render))) ||
        FAILED(client->Start())) {
        m_started = -1;
        return;
    }
    m_started = 1;
    const double step = 2 * 3.14159265358979323846 * hz / 48000.0;
    double phase = 0;
    while (!m_stop) {
        UINT32 padding = 0;
        if (FAILED(client->GetCurrentPadding(&padding))) break;
        UINT32 room = frames - padding;
        BYTE* data = nullptr;
        if (room && SUCCEEDED(render->GetBuffer(room, &data))) {
            auto* out = reinterpret_cast<int16_t*>(data);
            for (UINT32 i = 0; i < room; ++i) {
                auto v = static_cast<int16_t>(amplitude * std::sin(phase));
                out[2 * i] = v;
                out[2 * i + 1] = v;
                phase += step;
            }
            phase = std::fmod(phase, 2 * 3.14159265358979323846);
            render->ReleaseBuffer(room, 0);
        }
        ::Sleep(10);
    }
    client->Stop();
}

double ToneAmplitude(const std::vector<int16_t>& stereo, int channel, double hz, double rate) {
    const size_t n = stereo.size() / 2;
    if (n == 0) return 0;
    const double pi = 3.14159265358979323846;
    const double coeff = 2 * std::cos(2 * pi * hz / rate);
    double s1 = 0, s2 = 0;
    for (size_t i = 0; i < n; ++i) {
        double s0 = stereo[2 * i + static_cast<size_t>(channel)] + coeff * s1 - s2;
        s2 = s1;
        s1 = s0;
    }
    double power = s1 * s1 + s2 * s2 - coeff * s1 * s2;
    return 2 * std::sqrt(power > 0 ? power : 0) / static_cast<double>(n);
}
