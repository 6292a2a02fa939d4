// A real recording through the stand-in capture device: a 440 Hz tone is
// played through Wine to the "Microphone" output (PulseAudio's microphone
// null sink, whose monitor is the default capture endpoint), the device's
// "Capture" pin feeds "WAV Dest", and the file is read back from disk.
// TELVANE_CAPTURE_WAV names the file to keep (the shell step reads it with
// ffprobe and ffmpeg); otherwise a temporary file is used and removed.

#include <gtest/gtest.h>

#include <windows.h>

#include <strmif.h>

#include <uuids.h>

#include <algorithm>
#include <cstring>

#include "tests/wine/capfilter/Tone.h"
#include "tests/wine/winetest/dshowfilters/ComFixture.h"
#include "tests/wine/winetest/dshowfilters/GraphTools.h"
#include "tests/wine/winetest/dshowfilters/WavFile.h"

namespace {

constexpr double kToneHz = 440;
constexpr int kToneAmplitude = 8000;
constexpr DWORD kRecordMs = 2000;

std::wstring OutputPath(bool& keep) {
    wchar_t value[MAX_PATH] = {};
    DWORD n = ::GetEnvironmentVariableW(L"TELVANE_CAPTURE_WAV", value, MAX_PATH);
    keep = n > 0 && n < MAX_PATH;
    if (keep) return value;
    wchar_t dir[MAX_PATH];
    ::GetTempPathW(MAX_PATH, dir);
    return std::wstring(dir) + L"realcapture_" + std::to_wstring(::GetCurrentProcessId()) + L".wav";
}

class RealCaptureTest : public TestDevicesTest {};

TEST_F(RealCaptureTest, ToneIntoTheMicrophoneIsInTheWavFile) {
    bool keep = false;
    const std::wstring path = OutputPath(keep);
    ::DeleteFileW(path.c_str());

    ASSERT_EQ(S_OK, winetest::AddTestAudioDevice(L"Real Microphone", {L"Microphone"}));
    auto device = FindDevice(CLSID_AudioInputDeviceCategory, L"Real Microphone");
    auto dest = FindDevice(CLSID_LegacyAmFilterCategory, L"WAV Dest");
    ASSERT_TRUE(device && dest);
    ComPtr<IFileSinkFilter> sink;
    ASSERT_EQ(S_OK, dest.As(sink));
    ASSERT_EQ(S_OK, sink->SetFileName(path.c_str(), nullptr));
    auto graph = CreateGraph();
    ASSERT_TRUE(graph);
    ASSERT_EQ(S_OK, graph->AddFilter(device.Get(), L"Real Microphone"));
    ASSERT_EQ(S_OK, graph->AddFilter(dest.Get(), L"WAV Dest"));
    ASSERT_EQ(S_OK,
              graph->ConnectDirect(FindPin(device.Get(), L"Capture").Get(), FindPin(dest.Get(), L"In").Get(), nullptr));
    ComPtr<IMediaControl> control;
    ASSERT_EQ(S_OK, graph.As(control));

    TonePlayer tone;
    ASSERT_TRUE(tone.Start(L"Microphone", kToneHz, kToneAmplitude));
    // Wine's PulseAudio stream starts playing about 1.5 s after it is
    // started, and the monitor of the microphone sink is silent (delivers
    // nothing) until then: the recording starts once the tone flows.
    ::Sleep(2500);
    ASSERT_TRUE(SUCCEEDED(control->Run()));
    ::Sleep(kRecordMs);
    ASSERT_EQ(S_OK, control->Stop());
    tone.Stop();

    WavFile wav = ReadWavFile(path);
    if (!keep) ::DeleteFileW(path.c_str());
    ASSERT_TRUE(wav.ok) << wav.error;
    EXPECT_EQ(WAVE_FORMAT_PCM, wav.formatTag);
    EXPECT_EQ(2, wav.channels);
    EXPECT_EQ(44100u, wav.sampleRate);
    EXPECT_EQ(16, wav.bitsPerSample);
    // Two seconds, give or take the last buffer and the start-up.
    EXPECT_GT(wav.dataSize, 176400u * 3 / 2);
    EXPECT_LT(wav.dataSize, 176400u * 3);
    ASSERT_EQ(0u, wav.dataSize % 4);

    std::vector<int16_t> pcm(wav.data.size() / 2);
    std::memcpy(pcm.data(), wav.data.data(), pcm.size() * 2);
    // Skip the first 100 ms: the endpoint may start with silence.
    std::vector<int16_t> steady(pcm.begin() + std::min<size_t>(pcm.size(), 8820), pcm.end());
    double at440 = ToneAmplitude(steady, 0, kToneHz, 44100);
    double at1000 = ToneAmplitude(steady, 0, 1000, 44100);
    double right440 = ToneAmplitude(steady, 1, kToneHz, 44100);
    EXPECT_GT(at440, kToneAmplitude * 0.5) << "the tone is not in the recording";
    EXPECT_GT(right440, kToneAmplitude * 0.5);
    EXPECT_LT(at1000, at440 * 0.05);
}

}  // namespace
