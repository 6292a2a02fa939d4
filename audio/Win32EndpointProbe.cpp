#include "audio/Win32EndpointProbe.h"

#include <cstring>

#include "framework/win/Handles.h"

namespace {

WaveFormat FromWaveFormatEx(const WAVEFORMATEX& w) {
    WaveFormat f;
    f.formatTag = w.wFormatTag;
    f.channels = w.nChannels;
    f.samplesPerSec = w.nSamplesPerSec;
    f.avgBytesPerSec = w.nAvgBytesPerSec;
    f.blockAlign = w.nBlockAlign;
    f.bitsPerSample = w.wBitsPerSample;
    f.cbSize = w.cbSize;
    return f;
}

// Zero-filled, 18 bytes: cbSize is 0, nothing follows.
WAVEFORMATEX ToWaveFormatEx(const WaveFormat& f) {
    WAVEFORMATEX w;
    std::memset(&w, 0, sizeof w);
    w.wFormatTag = f.formatTag;
    w.nChannels = f.channels;
    w.nSamplesPerSec = f.samplesPerSec;
    w.nAvgBytesPerSec = f.avgBytesPerSec;
    w.nBlockAlign = f.blockAlign;
    w.wBitsPerSample = f.bitsPerSample;
    w.cbSize = f.cbSize;
    return w;
}

}  // namespace

HRESULT CreateSystemEnumerator(IMMDeviceEnumerator** out) {
    return ::CoCreateInstance(__uuidof(MMDeviceEnumerator), nullptr, CLSCTX_ALL, __uuidof(IMMDeviceEnumerator),
                              reinterpret_cast<void**>(out));
}

AudioResult Win32EndpointProbe::CreateEnumerator() {
    HRESULT hr = m_create(&m_enumerator);
    if (SUCCEEDED(hr) && !m_enumerator) hr = E_POINTER;
    return hr;
}

AudioResult Win32EndpointProbe::OpenDefaultEndpoint(EndpointRole role) {
    if (role == EndpointRole::Speakers) return m_enumerator->GetDefaultAudioEndpoint(eRender, eConsole, &m_device);
    return m_enumerator->GetDefaultAudioEndpoint(eCapture, eMultimedia, &m_device);
}

AudioResult Win32EndpointProbe::ActivateClient() {
    return m_device->Activate(__uuidof(IAudioClient), CLSCTX_ALL, nullptr, reinterpret_cast<void**>(&m_client));
}

AudioResult Win32EndpointProbe::GetMixFormat(WaveFormat& mix) {
    win::CoTaskMemPtr<WAVEFORMATEX> format;
    HRESULT hr = m_client->GetMixFormat(format.Put());
    if (FAILED(hr)) return hr;
    if (!format.Get()) return E_POINTER;
    mix = FromWaveFormatEx(*format.Get());
    return hr;
}

AudioResult Win32EndpointProbe::IsFormatSupported(const WaveFormat& proposed, bool& hasClosest, WaveFormat& closest,
                                                  std::uint32_t& closestAddress) {
    const WAVEFORMATEX format = ToWaveFormatEx(proposed);
    win::CoTaskMemPtr<WAVEFORMATEX> match;
    const HRESULT hr = m_client->IsFormatSupported(AUDCLNT_SHAREMODE_SHARED, &format, match.Put());
    hasClosest = match.Get() != nullptr;
    closestAddress = static_cast<std::uint32_t>(reinterpret_cast<UINT_PTR>(match.Get()));
    if (hasClosest) closest = FromWaveFormatEx(*match.Get());
    return hr;
}

AudioResult Win32EndpointProbe::Initialize(bool loopback, std::int64_t bufferDuration, const WaveFormat& format) {
    const WAVEFORMATEX wfx = ToWaveFormatEx(format);
    return m_client->Initialize(AUDCLNT_SHAREMODE_SHARED, loopback ? AUDCLNT_STREAMFLAGS_LOOPBACK : 0, bufferDuration,
                                0, &wfx, nullptr);
}

AudioResult Win32EndpointProbe::GetBufferSize(std::uint32_t& frames) {
    UINT32 n = 0;
    const HRESULT hr = m_client->GetBufferSize(&n);
    frames = n;
    return hr;
}

AudioResult Win32EndpointProbe::GetCaptureService() {
    return m_client->GetService(__uuidof(IAudioCaptureClient), reinterpret_cast<void**>(&m_capture));
}

AudioResult Win32EndpointProbe::Start() { return m_client->Start(); }

void Win32EndpointProbe::ReleaseAll() {
    m_capture.Reset();
    m_client.Reset();
    m_device.Reset();
    m_enumerator.Reset();
}
