#pragma once
// WasapiCapture: the default capture endpoint (eCapture, eConsole) in
// shared mode with an event, read as 16-bit PCM in the pin's format. The
// endpoint is asked for that format first; if it will not take it, it runs
// in its mix format and PcmConverter turns that into ours.
//
// Used by one thread only (the capture pin's worker), inside its COM
// apartment.

#include <windows.h>

#include <audioclient.h>
#include <mmdeviceapi.h>

#include <cstdint>
#include <vector>

#include "framework/base/ComPtr.h"
#include "framework/win/Handles.h"
#include "winetest/dshowfilters/PcmConverter.h"

class WasapiCapture {
public:
    HRESULT Open(const WAVEFORMATEX& format);
    HRESULT Start();
    void Close();
    // Waits up to `timeoutMs` for the endpoint's event; true when signalled.
    bool Wait(DWORD timeoutMs);
    // Appends everything captured so far, in the pin's format, to `out`.
    HRESULT Read(std::vector<uint8_t>& out);
    bool Converting() const { return m_converting; }

private:
    HRESULT InitializeClient(const WAVEFORMATEX& format);

    ComPtr<IAudioClient> m_client;
    ComPtr<IAudioCaptureClient> m_capture;
    win::Handle m_event;
    WAVEFORMATEX m_target{};
    bool m_converting = false;
    unsigned m_sourceFrameBytes = 0;
    PcmConverter m_converter;
    std::vector<int16_t> m_converted;
};
