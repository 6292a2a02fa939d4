// The loopback stand-in's gate under Wine: a loopback client on the
// default speakers gets packets only while a render stream to the speakers'
// sink is started, in this process, in another one, or through winmm, as on
// Windows; the speakers' monitor, read directly, never stops.

#include <gtest/gtest.h>

#include <windows.h>

#include <audioclient.h>
#include <mmdeviceapi.h>

#include <cmath>
#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

#include "framework/base/ComPtr.h"
#include "framework/win/Handles.h"
#include "tests/wine/capfilter/Tone.h"

namespace {

// The longest a stop may take to reach the loopback client, and the
// longest from a start to its first packet.
constexpr double kGateMs = 200;
// A program started under Wine takes up to a few hundred ms before its
// stream runs; the other-process cases time from its start.
constexpr double kProcessStartMs = 400;

double NowMs() {
    LARGE_INTEGER counter{}, frequency{};
    ::QueryPerformanceCounter(&counter);
    ::QueryPerformanceFrequency(&frequency);
    return static_cast<double>(counter.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

struct Packet {
    double arrivedMs;
    double capturedMs;  // qpcPosition
    std::vector<int16_t> pcm;
};

struct Reading {
    std::vector<Packet> packets;
    int emptyGets = 0;  // GetBuffer calls answered AUDCLNT_S_BUFFER_EMPTY
    HRESULT failure = S_OK;

    double FirstMs() const { return packets.empty() ? 0 : packets.front().arrivedMs; }
    double LastMs() const { return packets.empty() ? 0 : packets.back().arrivedMs; }
    std::vector<int16_t> Pcm(size_t fromPacket) const {
        std::vector<int16_t> all;
        for (size_t i = fromPacket; i < packets.size(); ++i)
            all.insert(all.end(), packets[i].pcm.begin(), packets[i].pcm.end());
        return all;
    }
};

// A started shared-mode capture of 48000 Hz stereo 16-bit: the recorder's
// loopback client on the default speakers, or the monitor read directly.
class Capture {
public:
    HRESULT OpenLoopback() { return Open(eRender, L"", AUDCLNT_STREAMFLAGS_LOOPBACK); }
    // Told of each period by an event instead of polled.
    HRESULT OpenLoopbackWithEvents() {
        m_event.Reset(::CreateEventW(nullptr, FALSE, FALSE, nullptr));
        if (!m_event) return HRESULT_FROM_WIN32(::GetLastError());
        return Open(eRender, L"", AUDCLNT_STREAMFLAGS_LOOPBACK | AUDCLNT_STREAMFLAGS_EVENTCALLBACK);
    }
    int Wakeups() const { return m_wakeups; }
    HRESULT OpenMonitor() { return Open(eCapture, L"Monitor of Speakers", 0); }
    HRESULT OpenMicrophone() { return Open(eCapture, L"Monitor of Microphone", 0); }
    HRESULT Stop() { return m_client->Stop(); }
    HRESULT Start() { return m_client->Start(); }

    // Polls every 5 ms for `ms`.
    Reading Read(double ms) {
        Reading r;
        const double end = NowMs() + ms;
        while (NowMs() < end && r.failure == S_OK) {
            UINT32 next = 0;
            if (FAILED(r.failure = m_capture->GetNextPacketSize(&next))) break;
            while (next) {
                BYTE* data = nullptr;
                UINT32 frames = 0;
                DWORD flags = 0;
                UINT64 qpc = 0;
                HRESULT hr = m_capture->GetBuffer(&data, &frames, &flags, nullptr, &qpc);
                if (FAILED(hr)) {
                    r.failure = hr;
                    return r;
                }
                if (hr == AUDCLNT_S_BUFFER_EMPTY) {
                    ++r.emptyGets;
                    break;
                }
                const auto* samples = reinterpret_cast<const int16_t*>(data);
                r.packets.push_back(
                    {NowMs(), static_cast<double>(qpc) / 10000.0, std::vector<int16_t>(samples, samples + 2 * frames)});
                if (FAILED(r.failure = m_capture->ReleaseBuffer(frames))) return r;
                if (FAILED(r.failure = m_capture->GetNextPacketSize(&next))) return r;
            }
            // Asked even when no packet was announced: it must not hand one out either.
            if (!next) {
                BYTE* data = nullptr;
                UINT32 frames = 0;
                DWORD flags = 0;
                HRESULT hr = m_capture->GetBuffer(&data, &frames, &flags, nullptr, nullptr);
                if (hr == AUDCLNT_S_BUFFER_EMPTY && frames == 0) {
                    ++r.emptyGets;
                } else if (hr == S_OK) {
                    const auto* samples = reinterpret_cast<const int16_t*>(data);
                    r.packets.push_back({NowMs(), 0, std::vector<int16_t>(samples, samples + 2 * frames)});
                    m_capture->ReleaseBuffer(frames);
                } else {
                    r.failure = FAILED(hr) ? hr : E_UNEXPECTED;
                }
            }
            if (!m_event)
                ::Sleep(5);
            else if (::WaitForSingleObject(m_event.Get(), 100) == WAIT_OBJECT_0)
                ++m_wakeups;
        }
        return r;
    }

private:
    HRESULT Open(EDataFlow flow, const std::wstring& name, DWORD flags) {
        ComPtr<IMMDeviceEnumerator> enumerator;
        HRESULT hr = ::CoCreateInstance(__uuidof(MMDeviceEnumerator), nullptr, CLSCTX_ALL,
                                        __uuidof(IMMDeviceEnumerator), reinterpret_cast<void**>(&enumerator));
        if (FAILED(hr)) return hr;
        ComPtr<IMMDevice> device;
        hr = name.empty() ? enumerator->GetDefaultAudioEndpoint(flow, eConsole, &device)
                          : FindEndpointByName(enumerator.Get(), flow, name, &device);
        if (FAILED(hr)) return hr;
        if (FAILED(hr = device->Activate(__uuidof(IAudioClient), CLSCTX_ALL, nullptr,
                                         reinterpret_cast<void**>(&m_client))))
            return hr;
        WAVEFORMATEX wfx{WAVE_FORMAT_PCM, 2, 48000, 192000, 4, 16, 0};
        if (FAILED(hr = m_client->Initialize(AUDCLNT_SHAREMODE_SHARED, flags, 10000000, 0, &wfx, nullptr))) return hr;
        if (m_event && FAILED(hr = m_client->SetEventHandle(m_event.Get()))) return hr;
        if (FAILED(hr = m_client->GetService(__uuidof(IAudioCaptureClient), reinterpret_cast<void**>(&m_capture))))
            return hr;
        return m_client->Start();
    }

    win::Handle m_event;
    int m_wakeups = 0;
    ComPtr<IAudioClient> m_client;
    ComPtr<IAudioCaptureClient> m_capture;
};

std::wstring BesideThisProgram(const wchar_t* file) {
    wchar_t path[MAX_PATH];
    DWORD n = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring p(path, n);
    return p.substr(0, p.find_last_of(L"\\/") + 1) + file;
}

// loopback_render_helper.exe playing the tone to an endpoint from its own process.
class OtherProcessTone {
public:
    bool Start(const std::wstring& endpoint) {
        m_prefix = L"TelvaneLoopbackGate" + std::to_wstring(::GetCurrentProcessId()) + L"_" + std::to_wstring(++m_runs);
        m_started.Reset(::CreateEventW(nullptr, TRUE, FALSE, (m_prefix + L"Started").c_str()));
        m_stop.Reset(::CreateEventW(nullptr, TRUE, FALSE, (m_prefix + L"Stop").c_str()));
        m_stopped.Reset(::CreateEventW(nullptr, TRUE, FALSE, (m_prefix + L"Stopped").c_str()));
        STARTUPINFOW si{};
        si.cb = sizeof si;
        PROCESS_INFORMATION pi{};
        std::wstring cmd =
            L"\"" + BesideThisProgram(L"loopback_render_helper.exe") + L"\" \"" + endpoint + L"\" " + m_prefix;
        if (!::CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
            return false;
        ::CloseHandle(pi.hThread);
        m_process.Reset(pi.hProcess);
        HANDLE waits[] = {m_started.Get(), m_process.Get()};
        return ::WaitForMultipleObjects(2, waits, FALSE, 20000) == WAIT_OBJECT_0;
    }
    // Its stream stopped, and it ended with exit code 0.
    bool Stop() {
        ::SetEvent(m_stop.Get());
        if (::WaitForSingleObject(m_stopped.Get(), 10000) != WAIT_OBJECT_0) return false;
        DWORD code = 1;
        return ::WaitForSingleObject(m_process.Get(), 10000) == WAIT_OBJECT_0 &&
               ::GetExitCodeProcess(m_process.Get(), &code) && code == 0;
    }
    ~OtherProcessTone() {
        if (m_process && ::WaitForSingleObject(m_process.Get(), 0) == WAIT_TIMEOUT) Kill();
    }
    // Ended with its stream started, as a crash or a kill would leave it.
    bool Kill() {
        return ::TerminateProcess(m_process.Get(), 7) && ::WaitForSingleObject(m_process.Get(), 10000) == WAIT_OBJECT_0;
    }

private:
    std::wstring m_prefix;
    int m_runs = 0;
    win::Handle m_started, m_stop, m_stopped, m_process;
};

class LoopbackGate : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_NO_FATAL_FAILURE(OpenAndWaitUntilRunning(false)); }

    // Wine's capture stream on a monitor of an idle sink has delivered its
    // first packets only 0.9 to 2 s after its Start (measured): the cases
    // begin once it runs, which a short tone shows.
    void OpenAndWaitUntilRunning(bool events) {
        loopback = Capture();
        ASSERT_EQ(events ? loopback.OpenLoopbackWithEvents() : loopback.OpenLoopback(), S_OK);
        TonePlayer tone;
        ASSERT_TRUE(tone.Start(L"Speakers", 440, 8000));
        const double end = NowMs() + 5000;
        while (loopback.Read(20).packets.empty()) ASSERT_LT(NowMs(), end) << "the loopback stream never ran";
        tone.Stop();
        loopback.Read(kGateMs);
    }

    // Nothing passes for `ms`, although GetBuffer was asked.
    void ExpectSilentFor(double ms) {
        Reading r = loopback.Read(ms);
        EXPECT_EQ(r.failure, S_OK);
        EXPECT_EQ(r.packets.size(), 0u);
        EXPECT_GT(r.emptyGets, static_cast<int>(ms / 20));
    }
    // Packets with the tone in them pass from the start on, for a second.
    void ExpectToneAfter(double startMs, const char* what, double limitMs = kGateMs) {
        Reading r = loopback.Read(1000);
        ASSERT_EQ(r.failure, S_OK);
        const double first = r.FirstMs() - startMs;
        const double captured = r.packets.empty() ? 0 : r.packets.front().capturedMs - startMs;
        std::printf("%s: first loopback packet %.1f ms after the start (captured at +%.1f ms), %zu packets in 1 s\n",
                    what, first, captured, r.packets.size());
        ASSERT_GT(r.packets.size(), 80u);
        EXPECT_LT(first, limitMs);
        EXPECT_GE(captured, 0);
        EXPECT_GT(ToneAmplitude(r.Pcm(r.packets.size() / 2), 0, 440, 48000), 4000);
    }
    // After the stop, packets end within kGateMs, and nothing follows.
    void ExpectEndAfter(double stopMs, const char* what) {
        Reading r = loopback.Read(1000);
        ASSERT_EQ(r.failure, S_OK);
        const double last = r.packets.empty() ? 0 : r.LastMs() - stopMs;
        std::printf("%s: %zu loopback packets after the stop, the last %.1f ms after it\n", what, r.packets.size(),
                    last);
        EXPECT_LT(last, kGateMs);
        ExpectSilentFor(500);
    }

    win::ScopedComApartment com{COINIT_MULTITHREADED};
    Capture loopback;
};

}  // namespace

TEST_F(LoopbackGate, NothingRenderingGivesNoPacketsWhileTheMonitorRuns) {
    ExpectSilentFor(1000);
    // The monitor itself delivered all along: the gate held its packets back.
    Capture monitor;
    ASSERT_EQ(monitor.OpenMonitor(), S_OK);
    Reading direct = monitor.Read(300);
    EXPECT_EQ(direct.failure, S_OK);
    EXPECT_GT(direct.packets.size(), 15u);
    ExpectSilentFor(300);
}

// Render streams in this process, by endpoint: Wine's default endpoint
// ("PulseAudio") and "Speakers" play into the speakers' sink, the
// microphone's sink is not the one looped back.
TEST_F(LoopbackGate, ARenderStreamInThisProcessOpensTheGateForItsSink) {
    const struct {
        const wchar_t* endpoint;
        bool passes;
    } cases[] = {
        {L"Speakers", true},
        {L"PulseAudio", true},
        {L"Microphone", false},
    };
    for (const auto& c : cases) {
        const std::string name(c.endpoint, c.endpoint + std::wcslen(c.endpoint));
        SCOPED_TRACE(name);
        ExpectSilentFor(300);
        TonePlayer tone;
        const double start = NowMs();
        ASSERT_TRUE(tone.Start(c.endpoint, 440, 8000));
        if (c.passes) {
            ExpectToneAfter(start, name.c_str());
        } else {
            ExpectSilentFor(1000);
        }
        tone.Stop();
        ExpectEndAfter(NowMs(), name.c_str());
    }
}

TEST_F(LoopbackGate, ARenderStreamInAnotherProcessOpensTheGateUntilItStopsOrEnds) {
    for (const wchar_t* endpoint : {L"Speakers", L"PulseAudio"}) {
        const std::string name = "other process, " + std::string(endpoint, endpoint + std::wcslen(endpoint));
        SCOPED_TRACE(name);
        ExpectSilentFor(300);
        OtherProcessTone other;
        const double start = NowMs();
        ASSERT_TRUE(other.Start(endpoint));
        ExpectToneAfter(start, name.c_str(), kGateMs + kProcessStartMs);
        ASSERT_TRUE(other.Stop());
        ExpectEndAfter(NowMs(), name.c_str());
    }
    // Killed with its stream started: the stream no longer counts.
    OtherProcessTone killed;
    const double start = NowMs();
    ASSERT_TRUE(killed.Start(L"Speakers"));
    ExpectToneAfter(start, "killed process", kGateMs + kProcessStartMs);
    ASSERT_TRUE(killed.Kill());
    ExpectEndAfter(NowMs(), "killed process");
}

// An event-driven loopback client is woken every period with nothing to
// read, and is not starved once something renders.
TEST_F(LoopbackGate, AnEventDrivenClientIsWokenWithoutPacketsUntilSomethingRenders) {
    ASSERT_NO_FATAL_FAILURE(OpenAndWaitUntilRunning(true));
    const int before = loopback.Wakeups();
    ExpectSilentFor(500);
    EXPECT_GT(loopback.Wakeups() - before, 30);
    TonePlayer tone;
    const double start = NowMs();
    ASSERT_TRUE(tone.Start(L"Speakers", 440, 8000));
    ExpectToneAfter(start, "event-driven");
    tone.Stop();
    ExpectEndAfter(NowMs(), "event-driven");
}

// winmm builds its streams on the enumerator too: a wave device of another
// program (as the call program plays) counts while it plays, and no longer
// once it is reset and closed.
TEST_F(LoopbackGate, AWaveOutDeviceCountsWhilePlayingUntilResetAndClosed) {
    OtherProcessTone wave;
    const double start = NowMs();
    ASSERT_TRUE(wave.Start(L"waveOut"));
    ExpectToneAfter(start, "waveOut", kGateMs + kProcessStartMs);
    ASSERT_TRUE(wave.Stop());
    ExpectEndAfter(NowMs(), "waveOut");
}

// Windows captures nothing into a stopped stream; Wine records on and would
// hand out the backlog after the next Start: a second of old sound after a
// recorder's pause. What comes after the restart is what was captured
// before the stop and after the restart, one second's worth in one second.
TEST_F(LoopbackGate, AStoppedStreamHandsOutNothingCapturedWhileStopped) {
    TonePlayer tone;
    ASSERT_TRUE(tone.Start(L"Speakers", 440, 8000));
    Capture microphone;
    ASSERT_EQ(microphone.OpenMicrophone(), S_OK);
    for (Capture* c : {&loopback, &microphone}) {
        SCOPED_TRACE(c == &loopback ? "loopback" : "microphone");
        EXPECT_GT(c->Read(500).packets.size(), 20u);
        const double stop = NowMs();
        ASSERT_EQ(c->Stop(), S_OK);
        EXPECT_EQ(c->Stop(), S_FALSE);
        ::Sleep(1500);
        const double restart = NowMs();
        ASSERT_EQ(c->Start(), S_OK);
        EXPECT_EQ(c->Start(), AUDCLNT_E_NOT_STOPPED);
        Reading r = c->Read(1000);
        ASSERT_EQ(r.failure, S_OK);
        size_t frames = 0;
        for (const Packet& p : r.packets) {
            frames += p.pcm.size() / 2;
            // What was captured before the stop and not yet read stays, as on Windows.
            EXPECT_TRUE(p.capturedMs <= stop + 5 || p.capturedMs >= restart - 15)
                << "captured while stopped, " << restart - p.capturedMs << " ms before the restart";
        }
        std::printf("%zu frames in the second after the restart\n", frames);
        EXPECT_GT(frames, 43000u);
        EXPECT_LT(frames, 53000u);
    }
}
