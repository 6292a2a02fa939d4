#pragma once
// One WASAPI capture stream read with the time stamps of its packets: each
// packet's performance-counter position (100 ns) says when its first frame
// was captured, so a sound is placed in time by its own packet and gaps in
// delivery (no packets while nothing plays) do not shift it.

#include <windows.h>

#include <audioclient.h>
#include <mmdeviceapi.h>

#include <cstdint>
#include <string>
#include <vector>

#include "framework/base/ComPtr.h"

// The performance counter now, in 100 ns units (the unit of QPC positions).
double Now100ns();

// The capture endpoint of this friendly name ("Monitor of Speakers"), the
// default capture endpoint for an empty name.
HRESULT FindCaptureEndpoint(const std::wstring& name, IMMDevice** device);
// The default render endpoint (for loopback).
HRESULT DefaultRenderEndpoint(IMMDevice** device);

class StampedCapture {
public:
    struct Packet {
        double qpc;      // the capture time of its first frame, as the endpoint reports it
        double arrived;  // when it was read
        size_t first;    // its first frame's index in mono
        uint32_t frames;
        DWORD flags;
    };

    // Shared mode, 48000 Hz stereo 16-bit, a one-second buffer; flags as
    // for IAudioClient::Initialize (0 or AUDCLNT_STREAMFLAGS_LOOPBACK).
    HRESULT Open(IMMDevice* device, DWORD flags);
    // Starts the stream; startedAt is the time just before the call.
    HRESULT Start();
    // Reads every packet that has arrived; the left channel goes to mono.
    HRESULT Read();

    // The time of frame i by its packet's stamp; negative when no packet holds it.
    double TimeOf(size_t frame) const;
    // The onsets of loud stretches: the first frames of the 5 ms windows
    // whose level at the given frequency rises above threshold.
    std::vector<size_t> Onsets(double hz, double threshold) const;
    // The first frame in [from, to) farther than amplitude from silence; to when none is.
    size_t FirstAbove(size_t from, size_t to, int amplitude) const;

    std::vector<int16_t> mono;
    std::vector<Packet> packets;
    double startedAt = 0;

private:
    ComPtr<IAudioClient> m_client;
    ComPtr<IAudioCaptureClient> m_capture;
};

// The level of one frequency over mono[from, from + n) (Goertzel), in sample units.
double ToneLevel(const std::vector<int16_t>& mono, size_t from, size_t n, double hz);
