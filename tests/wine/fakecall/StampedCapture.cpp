#include "tests/wine/fakecall/StampedCapture.h"

#include "tests/wine/capfilter/Tone.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {

constexpr uint32_t kRate = 48000;

HRESULT Enumerator(IMMDeviceEnumerator** enumerator) {
    return ::CoCreateInstance(__uuidof(MMDeviceEnumerator), nullptr, CLSCTX_ALL, __uuidof(IMMDeviceEnumerator),
                              reinterpret_cast<void**>(enumerator));
}

}  // namespace

double Now100ns() {
    LARGE_INTEGER c, f;
    ::QueryPerformanceCounter(&c);
    ::QueryPerformanceFrequency(&f);
    return static_cast<double>(c.QuadPart) * 1e7 / static_cast<double>(f.QuadPart);
}

HRESULT FindCaptureEndpoint(const std::wstring& name, IMMDevice** found) {
    ComPtr<IMMDeviceEnumerator> enumerator;
    HRESULT hr = Enumerator(&enumerator);
    if (FAILED(hr)) return hr;
    if (name.empty()) return enumerator->GetDefaultAudioEndpoint(eCapture, eConsole, found);
    return FindEndpointByName(enumerator.Get(), eCapture, name, found);
}

HRESULT DefaultRenderEndpoint(IMMDevice** device) {
    ComPtr<IMMDeviceEnumerator> enumerator;
    HRESULT hr = Enumerator(&enumerator);
    return FAILED(hr) ? hr : enumerator->GetDefaultAudioEndpoint(eRender, eConsole, device);
}

HRESULT StampedCapture::Open(IMMDevice* device, DWORD flags) {
    HRESULT hr = device->Activate(__uuidof(IAudioClient), CLSCTX_ALL, nullptr, reinterpret_cast<void**>(&m_client));
    if (FAILED(hr)) return hr;
    WAVEFORMATEX wfx{WAVE_FORMAT_PCM, 2, kRate, kRate * 4, 4, 16, 0};
    if (FAILED(hr = m_client->Initialize(AUDCLNT_SHAREMODE_SHARED, flags, 10000000, 0, &wfx, nullptr))) return hr;
    return m_client->GetService(__uuidof(IAudioCaptureClient), reinterpret_cast<void**>(&m_capture));
}

HRESULT StampedCapture::Start() {
    startedAt = Now100ns();
    return m_client->Start();
}

HRESULT StampedCapture::Read() {
    UINT32 next = 0;
    HRESULT hr;
    while (SUCCEEDED(hr = m_capture->GetNextPacketSize(&next)) && next) {
        BYTE* data = nullptr;
        UINT32 frames = 0;
        DWORD flags = 0;
        UINT64 qpc = 0;
        if ((hr = m_capture->GetBuffer(&data, &frames, &flags, nullptr, &qpc)) != S_OK) break;
        packets.push_back({static_cast<double>(qpc), Now100ns(), mono.size(), frames, flags});
        const auto* s = reinterpret_cast<const int16_t*>(data);
        for (UINT32 i = 0; i < frames; ++i) mono.push_back((flags & AUDCLNT_BUFFERFLAGS_SILENT) ? 0 : s[2 * i]);
        if (FAILED(hr = m_capture->ReleaseBuffer(frames))) break;
    }
    return FAILED(hr) ? hr : S_OK;
}

double StampedCapture::TimeOf(size_t frame) const {
    // Packets are kept in the order read, their first frames ascending.
    auto after =
        std::upper_bound(packets.begin(), packets.end(), frame, [](size_t f, const Packet& p) { return f < p.first; });
    if (after == packets.begin()) return -1;
    const Packet& p = *(after - 1);
    if (frame >= p.first + p.frames) return -1;
    return p.qpc + static_cast<double>(frame - p.first) * 1e7 / kRate;
}

std::vector<size_t> StampedCapture::Onsets(double hz, double threshold) const {
    constexpr size_t kWindow = kRate / 200;
    std::vector<size_t> onsets;
    bool loud = false;
    for (size_t w = 0; w + kWindow <= mono.size(); w += kWindow) {
        const bool now = ToneLevel(mono, w, kWindow, hz) > threshold;
        if (now && !loud) onsets.push_back(w);
        loud = now;
    }
    return onsets;
}

size_t StampedCapture::FirstAbove(size_t from, size_t to, int amplitude) const {
    for (size_t i = from; i < to && i < mono.size(); ++i)
        if (std::abs(static_cast<int>(mono[i])) > amplitude) return i;
    return to;
}

double ToneLevel(const std::vector<int16_t>& mono, size_t from, size_t n, double hz) {
    const double coeff = 2 * std::cos(2 * 3.14159265358979323846 * hz / kRate);
    double s1 = 0, s2 = 0;
    for (size_t i = from; i < from + n && i < mono.size(); ++i) {
        const double s0 = mono[i] + coeff * s1 - s2;
        s2 = s1;
        s1 = s0;
    }
    const double power = s1 * s1 + s2 * s2 - coeff * s1 * s2;
    return 2 * std::sqrt(power > 0 ? power : 0) / static_cast<double>(n);
}
