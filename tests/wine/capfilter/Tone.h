#pragma once
// Tones for the platform tests: a sine rendered through WASAPI (shared
// mode) to the render endpoint with a given friendly name (a PulseAudio
// null sink), and a Goertzel measure of how strongly a frequency is present
// in 16-bit PCM.

#include <windows.h>

#include <mmdeviceapi.h>

#include <atomic>
#include <cstdint>
#include <string>
#include <thread>
#include <vector>

class TonePlayer {
public:
    // Starts rendering a stereo sine at `hz`, `amplitude` peak, 48000 Hz,
    // 16-bit; false if the endpoint cannot be found or opened.
    bool Start(const std::wstring& endpointName, double hz, int amplitude);
    void Stop();
    ~TonePlayer() { Stop(); }

private:
    void Render(std::wstring name, double hz, int amplitude);

    std::thread m_thread;
    std::atomic<bool> m_stop{false};
    std::atomic<int> m_started{0};  // 0 waiting, 1 running, -1 failed
};

// Amplitude of `hz` in one channel (0 left, 1 right) of interleaved stereo
// 16-bit samples, in sample units (a sine of peak A gives about A).
double ToneAmplitude(const std::vector<int16_t>& stereo, int channel, double hz, double rate);

// The active endpoint of this flow whose friendly name is `name`.
HRESULT FindEndpointByName(IMMDeviceEnumerator* enumerator, EDataFlow flow, const std::wstring& name,
                           IMMDevice** found);
