// sonark5.ax on the Wine platform: self-registration with regsvr32, the COM
// object and its interfaces, and real capture in Wine's filter graph from
// the PulseAudio speakers monitor (through the loopback stand-in) and the
// microphone sink. The tests run in order: the first ones need the
// parameters still unset in this process.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <strmif.h>

#include <audioclient.h>
#include <evcode.h>
#include <mmdeviceapi.h>
#include <mmsystem.h>
#include <shlobj.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>

#include "capfilter/Sonark.h"
#include "framework/dshow/MediaType.h"
#include "framework/win/Handles.h"
#include "tests/wine/capfilter/GraphHelpers.h"
#include "tests/wine/capfilter/Tone.h"
#include "tests/wine/driver/PulseShell.h"

using ::testing::HasSubstr;

namespace {

const wchar_t kClassKey[] = L"CLSID\\{AB06B942-DC91-457E-97EF-D0076E8669DA}";
const wchar_t kServerKey[] = L"CLSID\\{AB06B942-DC91-457E-97EF-D0076E8669DA}\\InprocServer32";

// The product's files sit in the build's "bin", beside the tests folder.
std::wstring InProductFolder(const wchar_t* file) {
    wchar_t path[MAX_PATH];
    DWORD n = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring p(path, n);
    const std::wstring relative = p.substr(0, p.find_last_of(L"\\/") + 1) + L"..\\bin\\" + file;
    wchar_t full[MAX_PATH] = {};
    n = ::GetFullPathNameW(relative.c_str(), MAX_PATH, full, nullptr);
    return n == 0 || n >= MAX_PATH ? relative : std::wstring(full, n);
}

DWORD RunProgram(const std::wstring& commandLine) {
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    std::wstring cmd = commandLine;
    if (!::CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return 9999;
    win::Handle process(pi.hProcess), thread(pi.hThread);
    ::WaitForSingleObject(pi.hProcess, 60000);
    DWORD code = 9998;
    ::GetExitCodeProcess(pi.hProcess, &code);
    return code;
}

bool ReadString(const wchar_t* key, const wchar_t* name, std::wstring& value) {
    wchar_t data[1024];
    DWORD bytes = sizeof data;
    if (::RegGetValueW(HKEY_CLASSES_ROOT, key, name, RRF_RT_REG_SZ, nullptr, data, &bytes) != ERROR_SUCCESS)
        return false;
    value = data;
    return true;
}

bool KeyExists(const wchar_t* key) {
    win::RegKey k;
    return ::RegOpenKeyExW(HKEY_CLASSES_ROOT, key, 0, KEY_READ, k.Put()) == ERROR_SUCCESS;
}

ComPtr<IBaseFilter> CreateSonark() {
    ComPtr<IBaseFilter> filter;
    ::CoCreateInstance(CLSID_Sonark5, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER, IID_IBaseFilter,
                       reinterpret_cast<void**>(&filter));
    return filter;
}

std::vector<int16_t> Pcm(const std::vector<ReceivedSample>& samples, DWORD fromTick) {
    std::vector<int16_t> out;
    for (auto& s : samples) {
        if (s.tick < fromTick) continue;
        size_t n = s.bytes.size() / 2;
        const auto* p = reinterpret_cast<const int16_t*>(s.bytes.data());
        out.insert(out.end(), p, p + n);
    }
    return out;
}

class Sonark5OnWine : public ::testing::Test {
protected:
    win::ScopedComApartment com{COINIT_MULTITHREADED};
};

}  // namespace

TEST_F(Sonark5OnWine, Regsvr32WritesTheClassAndUnregisterRemovesIt) {
    const std::wstring dll = InProductFolder(L"sonark5.ax");
    ASSERT_EQ(RunProgram(L"regsvr32.exe /s \"" + dll + L"\""), 0u);
    std::wstring value;
    ASSERT_TRUE(ReadString(kClassKey, nullptr, value));
    EXPECT_EQ(value, L"Sonark5 Test");
    ASSERT_TRUE(ReadString(kServerKey, nullptr, value));
    EXPECT_EQ(::CompareStringOrdinal(value.c_str(), -1, dll.c_str(), -1, TRUE), CSTR_EQUAL)
        << std::string(value.begin(), value.end());
    ASSERT_TRUE(ReadString(kServerKey, L"ThreadingModel", value));
    EXPECT_EQ(value, L"Both");

    ASSERT_EQ(RunProgram(L"regsvr32.exe /s /u \"" + dll + L"\""), 0u);
    EXPECT_FALSE(KeyExists(kServerKey));
    EXPECT_FALSE(KeyExists(kClassKey));
    EXPECT_FALSE(CreateSonark());

    ASSERT_EQ(RunProgram(L"regsvr32.exe /s \"" + dll + L"\""), 0u);
}

TEST_F(Sonark5OnWine, WithoutCaptureParamsTheStreamEndsWithErrorAbort) {
    ComPtr<IBaseFilter> filter = CreateSonark();
    ASSERT_TRUE(filter);
    TestGraph g;
    ASSERT_EQ(g.Build(filter.Get()), S_OK);
    ASSERT_EQ(g.control->Run(), S_OK);
    LONG_PTR result = 0;
    EXPECT_TRUE(g.WaitForEvent(EC_ERRORABORT, &result, 5000));
    EXPECT_EQ(static_cast<HRESULT>(result), E_FAIL);
    EXPECT_EQ(g.sink->EndOfStreams(), 1);
    EXPECT_EQ(g.control->Stop(), S_OK);
}

TEST_F(Sonark5OnWine, FilterAnswersISonarkAndItsPinDoesNot) {
    ComPtr<IBaseFilter> filter = CreateSonark();
    ASSERT_TRUE(filter);
    ComPtr<ISonark> sonark;
    ASSERT_EQ(filter->QueryInterface(IID_ISonark, reinterpret_cast<void**>(&sonark)), S_OK);
    ComPtr<IBaseFilter> back;
    ASSERT_EQ(sonark->QueryInterface(IID_IBaseFilter, reinterpret_cast<void**>(&back)), S_OK);
    EXPECT_EQ(back.Get(), filter.Get());
    ComPtr<IUnknown> u1, u2;
    filter->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&u1));
    sonark->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&u2));
    EXPECT_EQ(u1.Get(), u2.Get());
    CLSID clsid{};
    EXPECT_EQ(filter->GetClassID(&clsid), S_OK);
    EXPECT_EQ(clsid, CLSID_Sonark5);

    ComPtr<IEnumPins> pins;
    ASSERT_EQ(filter->EnumPins(&pins), S_OK);
    ComPtr<IPin> pin;
    ULONG got = 0;
    ASSERT_EQ(pins->Next(1, &pin, &got), S_OK);
    ComPtr<IPin> none;
    EXPECT_EQ(pins->Next(1, &none, &got), S_FALSE);
    EXPECT_EQ(got, 0u);
    PIN_INFO info{};
    ASSERT_EQ(pin->QueryPinInfo(&info), S_OK);
    EXPECT_STREQ(info.achName, L"Out");
    EXPECT_EQ(info.dir, PINDIR_OUTPUT);
    EXPECT_EQ(info.pFilter, filter.Get());
    info.pFilter->Release();
    ComPtr<ISonark> fromPin;
    EXPECT_EQ(pin->QueryInterface(IID_ISonark, reinterpret_cast<void**>(&fromPin)), E_NOINTERFACE);
    EXPECT_FALSE(fromPin);

    win::Module dll(::LoadLibraryW(InProductFolder(L"sonark5.ax").c_str()));
    ASSERT_TRUE(dll);
    auto check =
        reinterpret_cast<void(WINAPI*)(int)>(reinterpret_cast<void*>(::GetProcAddress(dll.Get(), "CheckAudio")));
    ASSERT_NE(check, nullptr);
    check(12345);
}

TEST_F(Sonark5OnWine, LoopbackStandInCapturesFromTheSpeakersMonitor) {
    ComPtr<IMMDeviceEnumerator> enumerator;
    ASSERT_EQ(::CoCreateInstance(__uuidof(MMDeviceEnumerator), nullptr, CLSCTX_ALL, __uuidof(IMMDeviceEnumerator),
                                 reinterpret_cast<void**>(&enumerator)),
              S_OK);
    ComPtr<IMMDevice> speakers;
    ASSERT_EQ(enumerator->GetDefaultAudioEndpoint(eRender, eConsole, &speakers), S_OK);
    ComPtr<IAudioClient> client;
    ASSERT_EQ(speakers->Activate(__uuidof(IAudioClient), CLSCTX_ALL, nullptr, reinterpret_cast<void**>(&client)), S_OK);
    WAVEFORMATEX wfx{WAVE_FORMAT_PCM, 2, 48000, 192000, 4, 16, 0};
    ASSERT_EQ(client->Initialize(AUDCLNT_SHAREMODE_SHARED, AUDCLNT_STREAMFLAGS_LOOPBACK, 10000000, 0, &wfx, nullptr),
              S_OK);
    ComPtr<IAudioCaptureClient> capture;
    ASSERT_EQ(client->GetService(__uuidof(IAudioCaptureClient), reinterpret_cast<void**>(&capture)), S_OK);
}

// Wine's own clients of the enumerator keep working through the stand-in:
// winmm finds the default output among the endpoints by pointer.
TEST_F(Sonark5OnWine, WinmmStillListsTheOutputsThroughTheStandIn) {
    UINT n = ::waveOutGetNumDevs();
    ASSERT_GE(n, 2u);
    bool speakers = false, microphone = false;
    for (UINT i = 0; i < n; ++i) {
        WAVEOUTCAPSW caps{};
        ASSERT_EQ(::waveOutGetDevCapsW(i, &caps, sizeof caps), static_cast<MMRESULT>(MMSYSERR_NOERROR));
        speakers |= std::wstring(caps.szPname) == L"Speakers";
        microphone |= std::wstring(caps.szPname) == L"Microphone";
    }
    EXPECT_TRUE(speakers);
    EXPECT_TRUE(microphone);
}

// The recorder's way: one instance configured, another in the graph.
TEST_F(Sonark5OnWine, TonesOnBothSinksArriveMixedWithTimesFromTheByteCount) {
    ComPtr<IBaseFilter> configured = CreateSonark();
    ASSERT_TRUE(configured);
    ComPtr<ISonark> sonark;
    ASSERT_EQ(configured->QueryInterface(IID_ISonark, reinterpret_cast<void**>(&sonark)), S_OK);
    ASSERT_EQ(sonark->SetCaptureParams(1, 4, 1, L"Microphone"), S_OK);

    ComPtr<IBaseFilter> filter = CreateSonark();
    ASSERT_TRUE(filter);
    TestGraph g;
    ASSERT_EQ(g.Build(filter.Get()), S_OK);
    AM_MEDIA_TYPE mt{};
    ASSERT_EQ(g.sink->InputPin()->ConnectionMediaType(&mt), S_OK);
    const WAVEFORMATEX format = *reinterpret_cast<WAVEFORMATEX*>(mt.pbFormat);
    FreeMediaType(mt);
    EXPECT_EQ(format.wFormatTag, WAVE_FORMAT_PCM);
    EXPECT_EQ(format.nChannels, 2);
    EXPECT_EQ(format.wBitsPerSample, 16);
    EXPECT_EQ(format.nSamplesPerSec, 48000u);

    TonePlayer speakersTone, micTone;
    ASSERT_TRUE(speakersTone.Start(L"Speakers", 440, 8000));
    ASSERT_TRUE(micTone.Start(L"Microphone", 1000, 6000));
    ASSERT_EQ(g.control->Run(), S_OK);
    DWORD started = ::GetTickCount();
    ::Sleep(5000);

    // Paused: nothing arrives, and nothing untimed ever.
    ASSERT_EQ(g.control->Pause(), S_OK);
    ::Sleep(200);
    DWORD pausedFrom = ::GetTickCount();
    ::Sleep(500);
    size_t whilePaused = 0;
    for (auto& s : g.sink->Samples()) whilePaused += s.tick >= pausedFrom ? 1 : 0;
    EXPECT_EQ(whilePaused, 0u);

    DWORD before = ::GetTickCount();
    EXPECT_EQ(g.control->Stop(), S_OK);
    DWORD stopTook = ::GetTickCount() - before;
    std::printf("stop took %lu ms\n", stopTook);
    EXPECT_LT(stopTook, 2000u);

    auto samples = g.sink->Samples();
    // Times advance by the data's duration (timing mode 4 from the other instance).
    REFERENCE_TIME expected = 0;
    size_t timed = 0, withData = 0;
    DWORD firstData = 0;
    for (auto& s : samples) {
        EXPECT_TRUE(s.timed);
        if (!s.timed) continue;
        ++timed;
        EXPECT_EQ(s.start, expected);
        EXPECT_EQ(s.stop - s.start, static_cast<REFERENCE_TIME>(s.bytes.size()) * 10000000 / 192000);
        expected = s.stop;
        bool nonZero = false;
        for (uint8_t b : s.bytes) nonZero |= b != 0;
        if (nonZero) {
            ++withData;
            if (!firstData) firstData = s.tick;
        }
    }
    std::printf("timed samples %zu, with sound %zu, first sound after %lu ms, audio %.2f s\n", timed, withData,
                firstData ? firstData - started : 0, static_cast<double>(expected) / 1e7);
    EXPECT_GT(timed, 100u);
    ASSERT_GT(withData, 50u);

    auto pcm = Pcm(samples, pausedFrom - 2500);
    ASSERT_GT(pcm.size(), 48000u);
    double a440 = ToneAmplitude(pcm, 0, 440, 48000);
    double a1000 = ToneAmplitude(pcm, 0, 1000, 48000);
    double a700 = ToneAmplitude(pcm, 0, 700, 48000);
    double r440 = ToneAmplitude(pcm, 1, 440, 48000);
    std::printf("tone levels: 440 Hz %.0f (right %.0f), 1000 Hz %.0f, 700 Hz %.0f\n", a440, r440, a1000, a700);
    EXPECT_GT(a440, 4000);
    EXPECT_GT(r440, 4000);
    EXPECT_GT(a1000, 3000);
    EXPECT_LT(a700, 500);

    // Dual audio wrote the diagnostic report.
    wchar_t folder[MAX_PATH];
    ASSERT_EQ(::SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, folder), S_OK);
    std::ifstream log((std::wstring(folder) + L"\\logAudio.txt").c_str());
    std::stringstream text;
    text << log.rdbuf();
    EXPECT_EQ(text.str().rfind("Audio Error Report - ", 0), 0u);
    EXPECT_THAT(text.str(), HasSubstr("CoCreateInstance OK\n"));
    EXPECT_THAT(text.str(), HasSubstr("ACCEPTED FORMAT\nwFormatTag=1\nnChannels=2\nnSamplesPerSec=48000\n"));
}

namespace {

bool Silent(const ReceivedSample& s) {
    for (uint8_t b : s.bytes)
        if (b != 0) return false;
    return true;
}

// The level of `hz` in the samples received between two ticks.
double LevelBetween(const std::vector<ReceivedSample>& samples, DWORD from, DWORD to, double hz) {
    std::vector<ReceivedSample> part;
    for (auto& s : samples)
        if (s.tick >= from && s.tick < to) part.push_back(s);
    auto pcm = Pcm(part, 0);
    return pcm.size() < 9600 ? 0 : ToneAmplitude(pcm, 0, hz, 48000);
}

// The samples' times follow one another without a hole from 0 to the end,
// and the track is as long as the graph ran (less the capture latency).
void ExpectContinuousTimeLine(const std::vector<ReceivedSample>& samples, DWORD ranMs) {
    REFERENCE_TIME expected = 0;
    size_t holes = 0;
    for (auto& s : samples) {
        EXPECT_TRUE(s.timed);
        if (s.start != expected) ++holes;
        expected = s.stop;
    }
    EXPECT_EQ(holes, 0u);
    const double audio = static_cast<double>(expected) / 1e7, ran = ranMs / 1000.0;
    std::printf("audio time line %.3f s for %.3f s of running\n", audio, ran);
    EXPECT_GT(audio, ran - 0.4);
    EXPECT_LT(audio, ran + 0.05);
}

}  // namespace

// The speakers' sink unloaded and loaded again (a headset unplugged and
// plugged in): the filter reopens the default speakers, the gap is silence
// as long as the speakers were gone, and the times go on without a hole.
TEST_F(Sonark5OnWine, LostSpeakersComeBackAndTheGapKeepsTheTimeLine) {
    ComPtr<IBaseFilter> filter = CreateSonark();
    ASSERT_TRUE(filter);
    ComPtr<ISonark> sonark;
    ASSERT_EQ(filter->QueryInterface(IID_ISonark, reinterpret_cast<void**>(&sonark)), S_OK);
    ASSERT_EQ(sonark->SetCaptureParams(1, 4, 0, L""), S_OK);
    TestGraph g;
    ASSERT_EQ(g.Build(filter.Get()), S_OK);
    TonePlayer tone;
    ASSERT_TRUE(tone.Start(L"Speakers", 440, 8000));
    ASSERT_EQ(g.control->Run(), S_OK);
    const DWORD started = ::GetTickCount();
    ::Sleep(2500);
    const DWORD unloaded = ::GetTickCount();
    UnloadSink("speakers");
    ::Sleep(1500);
    const DWORD reloaded = ::GetTickCount();
    LoadSink("speakers", "Speakers");
    tone.Stop();
    ASSERT_TRUE(tone.Start(L"Speakers", 440, 8000));
    ::Sleep(4000);
    const DWORD stopping = ::GetTickCount();
    EXPECT_EQ(g.control->Stop(), S_OK);
    tone.Stop();

    LONG_PTR code = 0;
    const bool aborted = g.WaitForEvent(EC_ERRORABORT, &code, 300);
    EXPECT_FALSE(aborted) << std::hex << code;
    EXPECT_EQ(g.sink->EndOfStreams(), 0);
    auto samples = g.sink->Samples();
    ExpectContinuousTimeLine(samples, stopping - started);
    // The silence: from the last tone before the loss to the first after.
    REFERENCE_TIME gapFrom = -1, gapTo = -1;
    DWORD back = 0;
    for (auto& s : samples) {
        if (s.tick < unloaded) {
            if (!Silent(s)) gapFrom = s.stop;
        } else if (!back && s.tick > reloaded && !Silent(s)) {
            back = s.tick;
            gapTo = s.start;
        }
    }
    ASSERT_GT(gapFrom, 0);
    ASSERT_GT(back, 0u);
    std::printf("speakers: unloaded for %lu ms; silence in the track %.3f s; sound again %lu ms after the reload\n",
                reloaded - unloaded, static_cast<double>(gapTo - gapFrom) / 1e7, back - reloaded);
    // Back, the tone is heard in at least half the quarter seconds: about a
    // second after a null sink is loaded again, the platform's reader of its
    // monitor is restarted and the stream falters for a few hundred ms.
    size_t windows = 0, heard = 0;
    for (DWORD t = back + 250; t + 250 < stopping; t += 250) {
        ++windows;
        heard += LevelBetween(samples, t, t + 250, 440) > 4000 ? 1 : 0;
    }
    std::printf("speakers: the tone heard in %zu of %zu quarter seconds after\n", heard, windows);
    EXPECT_GE(heard * 2, windows);
    EXPECT_GE(gapTo - gapFrom, static_cast<REFERENCE_TIME>(reloaded - unloaded) * 10000 - 2000000);
    EXPECT_LT(back - reloaded, 3000u);
}

// The microphone's sink unloaded: the remote party's sound goes on alone,
// and the microphone is mixed in again once it is back.
TEST_F(Sonark5OnWine, ALostMicrophoneNeverStopsTheSpeakers) {
    ComPtr<IBaseFilter> filter = CreateSonark();
    ASSERT_TRUE(filter);
    ComPtr<ISonark> sonark;
    ASSERT_EQ(filter->QueryInterface(IID_ISonark, reinterpret_cast<void**>(&sonark)), S_OK);
    ASSERT_EQ(sonark->SetCaptureParams(1, 4, 1, L"Microphone"), S_OK);
    TestGraph g;
    ASSERT_EQ(g.Build(filter.Get()), S_OK);
    TonePlayer speakersTone, micTone;
    ASSERT_TRUE(speakersTone.Start(L"Speakers", 440, 8000));
    ASSERT_TRUE(micTone.Start(L"Microphone", 1000, 6000));
    ASSERT_EQ(g.control->Run(), S_OK);
    const DWORD started = ::GetTickCount();
    ::Sleep(2500);
    // PulseAudio moves the stream of an unloaded sink's monitor to its
    // default source, which would be the speakers' monitor: mixed with the
    // speakers' own stream a moment apart, the two copies of the tone could
    // cancel out. A quiet sink's monitor takes it instead.
    LoadSink("quiet", "Quiet");
    RunShell("pactl set-default-source quiet.monitor");
    const DWORD unloaded = ::GetTickCount();
    UnloadSink("micsink");
    ::Sleep(2000);
    const DWORD reloaded = ::GetTickCount();
    LoadSink("micsink", "Microphone");
    UnloadSink("quiet");
    micTone.Stop();
    ASSERT_TRUE(micTone.Start(L"Microphone", 1000, 6000));
    ::Sleep(4000);
    const DWORD stopping = ::GetTickCount();
    EXPECT_EQ(g.control->Stop(), S_OK);
    speakersTone.Stop();
    micTone.Stop();

    auto samples = g.sink->Samples();
    ExpectContinuousTimeLine(samples, stopping - started);
    const double before = LevelBetween(samples, started + 1000, unloaded, 1000);
    const double without = LevelBetween(samples, unloaded + 500, reloaded, 1000);
    // The speakers go on meanwhile: heard in at least half the quarter
    // seconds (the platform's reader of the unloaded sink moves to another
    // source and the speakers' stream may falter a moment).
    size_t speakerWindows = 0, speakersHeard = 0;
    for (DWORD t = unloaded + 500; t + 250 < reloaded; t += 250) {
        ++speakerWindows;
        speakersHeard += LevelBetween(samples, t, t + 250, 440) > 4000 ? 1 : 0;
    }
    const double speakersWithout = LevelBetween(samples, unloaded + 500, reloaded, 440);
    DWORD back = 0;
    for (DWORD t = reloaded; t + 100 < stopping && !back; t += 50)
        if (LevelBetween(samples, t, t + 200, 1000) > 2000) back = t;
    // Once back, the microphone is heard in at least half the quarter
    // seconds (the platform's reader of a reloaded sink falters, see above).
    size_t windows = 0, heard = 0;
    for (DWORD t = back + 250; back && t + 250 < stopping; t += 250) {
        ++windows;
        heard += LevelBetween(samples, t, t + 250, 1000) > 3000 ? 1 : 0;
    }
    std::printf(
        "microphone: 1000 Hz %.0f before, %.0f without (440 Hz %.0f); back %lu ms after the reload, heard "
        "in %zu of %zu quarter seconds after\n",
        before, without, speakersWithout, back ? back - reloaded : 0, heard, windows);
    EXPECT_GT(before, 3000);
    EXPECT_LT(without, 500);
    EXPECT_GE(speakersHeard * 2, speakerWindows);
    EXPECT_NEAR(speakersWithout, 8000, 1500);  // the speakers alone, not doubled
    EXPECT_GT(speakerWindows, 4u);
    ASSERT_GT(back, 0u);
    EXPECT_LT(back - reloaded, 3000u);
    EXPECT_GE(heard * 2, windows);
    LONG_PTR code = 0;
    EXPECT_FALSE(g.WaitForEvent(EC_ERRORABORT, &code, 0));
}
