// loopback_render_helper.exe: a render stream in a process of its own for
// the loopback gate test.
//
//   loopback_render_helper <endpoint friendly name | waveOut> <event prefix>
//
// Plays a 440 Hz tone through WASAPI on the endpoint (or through winmm's
// wave mapper, as a call program does), sets the event "<prefix>Started",
// and on "<prefix>Stop" stops the stream (waveOutReset and waveOutClose),
// sets "<prefix>Stopped" and ends. Exit code 0, or 2 for bad arguments, 3
// when the stream does not start, 4 when no stop comes within a minute, 5
// when the wave device does not close.

#include <windows.h>

#include <mmsystem.h>

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "framework/win/Handles.h"
#include "tests/wine/capfilter/Tone.h"

namespace {

win::Handle Event(const std::wstring& name) { return win::Handle(::CreateEventW(nullptr, TRUE, FALSE, name.c_str())); }

// winmm's wave mapper playing 60 s of the tone, 48000 Hz stereo.
class WaveOutTone {
public:
    bool Start() {
        WAVEFORMATEX wfx{WAVE_FORMAT_PCM, 2, 48000, 192000, 4, 16, 0};
        if (::waveOutOpen(&m_out, WAVE_MAPPER, &wfx, 0, 0, CALLBACK_NULL) != MMSYSERR_NOERROR) return false;
        m_samples.resize(2 * 48000 * 60);
        for (size_t i = 0; i < m_samples.size() / 2; ++i)
            m_samples[2 * i] = m_samples[2 * i + 1] = static_cast<int16_t>(
                8000 * std::sin(2 * 3.14159265358979323846 * 440 * static_cast<double>(i) / 48000));
        m_header.lpData = reinterpret_cast<LPSTR>(m_samples.data());
        m_header.dwBufferLength = static_cast<DWORD>(m_samples.size() * sizeof(int16_t));
        return ::waveOutPrepareHeader(m_out, &m_header, sizeof m_header) == MMSYSERR_NOERROR &&
               ::waveOutWrite(m_out, &m_header, sizeof m_header) == MMSYSERR_NOERROR;
    }
    bool Stop() {
        if (!m_out) return false;
        ::waveOutReset(m_out);
        ::waveOutUnprepareHeader(m_out, &m_header, sizeof m_header);
        const bool closed = ::waveOutClose(m_out) == MMSYSERR_NOERROR;
        m_out = nullptr;
        return closed;
    }

private:
    HWAVEOUT m_out = nullptr;
    WAVEHDR m_header{};
    std::vector<int16_t> m_samples;
};

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 3) return 2;
    const std::wstring prefix = argv[2];
    win::Handle started = Event(prefix + L"Started");
    win::Handle stop = Event(prefix + L"Stop");
    win::Handle stopped = Event(prefix + L"Stopped");
    if (!started || !stop || !stopped) return 2;
    const bool waveOut = std::wstring(argv[1]) == L"waveOut";
    TonePlayer tone;
    WaveOutTone wave;
    if (waveOut ? !wave.Start() : !tone.Start(argv[1], 440, 8000)) return 3;
    ::SetEvent(started.Get());
    const bool asked = ::WaitForSingleObject(stop.Get(), 60000) == WAIT_OBJECT_0;
    bool closed = true;
    if (waveOut)
        closed = wave.Stop();
    else
        tone.Stop();
    ::SetEvent(stopped.Get());
    if (!closed) return 5;
    return asked ? 0 : 4;
}
