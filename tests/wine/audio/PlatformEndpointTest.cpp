// The checks against Wine's own endpoints over PulseAudio, with the
// loopback stand-in in place of the MMDevice enumerator. The platform's
// rates are set from Linux before each run (endpoint_platform.sh names the
// case in TELVANE_AUDIO_CASE); the shared mute state is proven across
// processes with second_source_probe.exe.

#include <gtest/gtest.h>

#include <windows.h>

#include <endpointvolume.h>
#include <mmdeviceapi.h>
#include <objbase.h>
#include <propidl.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "audio/EndpointChecks.h"
#include "audio/EndpointRates.h"
#include "audio/Win32EndpointProbe.h"
#include "framework/base/ComPtr.h"
#include "framework/win/Handles.h"
#include "tests/native/audio/FakeEndpoints.h"
#include "tests/wine/audio/CaptureVolumes.h"
#include "tests/wine/driver/Process.h"

namespace {

using audiotest::CaptureNames;
using audiotest::Volume;

constexpr int kNo = 7;

class ComApartment : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_HRESULT_SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)); }
    void TearDown() override { ::CoUninitialize(); }
};

std::wstring Different(int speakers, int mic) {
    return L"ask:Speakers sample rate and microphone sample rate are different (" + std::to_wstring(speakers) +
           L" Hz, " + std::to_wstring(mic) +
           L" Hz). They must be set the same, 48000 Hz or 44100 Hz. Would you like to do this now?";
}

struct RateCase {
    const char* name;
    std::uint32_t speakers, mic;
    int speakersResult;
    std::vector<std::wstring> speakersEvents;
    int micResult;
    std::vector<std::wstring> micEvents;
};

const std::vector<RateCase>& RateCases() {
    static const std::vector<RateCase> cases{
        {"44100-44100", 44100, 44100, 1, {}, 1, {}},
        {"96000-48000",
         96000,
         48000,
         0,
         {L"ask:UNSUPPORTED SAMPLE RATE (96000Hz).\r\nSpeakers audio sample rate error. Would you like to fix now?",
          L"ask:Speaker audio recording cannot be setup. Make sure your audio system is not surround or quadrophonic "
          L"or audio sample rates are higher than 48000 Hz. You may have to change your speakers settings to Stereo, "
          L"48000 or 44100 sample rate. (ERROR 9)\r\n\r\nWould you like to do this now?",
          L"open:.\\AudioHelp.rtf"},
         1,
         {Different(96000, 48000)}},
        {"48000-44100", 48000, 44100, 1, {}, 1, {Different(48000, 44100)}},
    };
    return cases;
}

using PlatformRates = ComApartment;

TEST_F(PlatformRates, ChecksAnswerAsTheSinksAreSet) {
    const char* name = std::getenv("TELVANE_AUDIO_CASE");
    ASSERT_NE(name, nullptr) << "endpoint_platform.sh sets the sinks and names the case";
    const RateCase* c = nullptr;
    for (const RateCase& r : RateCases())
        if (std::string(r.name) == name) c = &r;
    ASSERT_NE(c, nullptr) << name;

    Win32EndpointProbe speakersProbe;
    RecordingUser speakersUser;
    speakersUser.answers = {kNo, kNo};
    LogCapture log;
    EXPECT_EQ(CheckEndpointFormat(EndpointRole::Speakers, speakersProbe, speakersUser), c->speakersResult)
        << std::string(log.Text().begin(), log.Text().end());
    EXPECT_EQ(SpeakersSampleRate(), c->speakers);
    EXPECT_EQ(speakersUser.events, c->speakersEvents);
    if (c->speakersResult == 1) {
        EXPECT_EQ(OpenedSampleRate(), c->speakers);
        EXPECT_EQ(OpenedBytesPerSecond(), c->speakers * 4);
    }
    EXPECT_NE(log.Text().find(L"\r\n\r\nINITIALIZE  Audio Client OK hr=0x00000000\r\n\r\n"), std::wstring::npos);

    Win32EndpointProbe micProbe;
    RecordingUser micUser;
    micUser.answers = {kNo, kNo, kNo};
    EXPECT_EQ(CheckEndpointFormat(EndpointRole::Microphone, micProbe, micUser), c->micResult);
    EXPECT_EQ(MicrophoneSampleRate(), c->mic);
    EXPECT_EQ(micUser.events, c->micEvents);
}

BOOL Muted(IAudioEndpointVolume* v) {
    BOOL muted = 2;
    EXPECT_HRESULT_SUCCEEDED(v->GetMute(&muted));
    return muted;
}

std::wstring ReadWide(const std::wstring& path) {
    std::wstring text;
    FILE* in = _wfopen(path.c_str(), L"rb");
    if (!in) return L"<no result file>";
    wchar_t buffer[512];
    size_t n;
    while ((n = std::fread(buffer, sizeof(wchar_t), 512, in)) > 0) text.append(buffer, n);
    std::fclose(in);
    return text;
}

using SharedMute = ComApartment;

TEST_F(SharedMute, SecondSourceUnmutesTheMicrophoneForEveryProcess) {
    ComPtr<IMMDeviceEnumerator> e;
    ASSERT_HRESULT_SUCCEEDED(CreateSystemEnumerator(&e));
    const std::vector<std::wstring> names = CaptureNames(e.Get());
    // A part of the microphone sink's monitor, "Monitor of Microphone".
    const std::wstring part = L"of Microph";
    int mic = -1, other = -1;
    for (size_t i = 0; i < names.size(); ++i) {
        if (mic < 0 && names[i].find(part) != std::wstring::npos)
            mic = static_cast<int>(i);
        else if (other < 0)
            other = static_cast<int>(i);
    }
    ASSERT_GE(mic, 0) << "no capture endpoint named with \"of Microph\"";
    ASSERT_GE(other, 0) << "the speakers' monitor is missing";

    ComPtr<IAudioEndpointVolume> micVolume = Volume(e.Get(), static_cast<UINT>(mic));
    ComPtr<IAudioEndpointVolume> otherVolume = Volume(e.Get(), static_cast<UINT>(other));
    ASSERT_TRUE(micVolume && otherVolume);
    ASSERT_HRESULT_SUCCEEDED(micVolume->SetMute(TRUE, nullptr));
    ASSERT_HRESULT_SUCCEEDED(otherVolume->SetMute(TRUE, nullptr));
    EXPECT_EQ(Muted(Volume(e.Get(), static_cast<UINT>(mic)).Get()), TRUE);

    wchar_t temp[MAX_PATH];
    ASSERT_GT(::GetTempPathW(MAX_PATH, temp), 0u);
    const std::wstring resultFile = std::wstring(temp) + L"second_source_probe.txt";
    ::DeleteFileW(resultFile.c_str());
    driver::Program child = driver::Program::Start(driver::ProgramFolder() + L"second_source_probe.exe",
                                                   L"\"" + part + L"\" \"" + resultFile + L"\"");
    ASSERT_TRUE(child) << std::string(child.Error().begin(), child.Error().end());
    DWORD code = 99;
    ASSERT_TRUE(child.WaitForExit(60000, &code));
    EXPECT_EQ(code, 0u);
    EXPECT_EQ(ReadWide(resultFile), L"result=1\nindex=" + std::to_wstring(mic) + L"\n");
    ::DeleteFileW(resultFile.c_str());

    // Read back here, on the volume objects this process made before.
    EXPECT_EQ(Muted(micVolume.Get()), FALSE);
    EXPECT_EQ(Muted(otherVolume.Get()), TRUE);
    EXPECT_HRESULT_SUCCEEDED(otherVolume->SetMute(FALSE, nullptr));
}

TEST_F(SharedMute, NoMatchLeavesEveryEndpointAsItWas) {
    ComPtr<IMMDeviceEnumerator> e;
    ASSERT_HRESULT_SUCCEEDED(CreateSystemEnumerator(&e));
    ASSERT_FALSE(CaptureNames(e.Get()).empty());
    ComPtr<IAudioEndpointVolume> first = Volume(e.Get(), 0);
    ASSERT_TRUE(first);
    ASSERT_HRESULT_SUCCEEDED(first->SetMute(TRUE, nullptr));

    wchar_t temp[MAX_PATH];
    ASSERT_GT(::GetTempPathW(MAX_PATH, temp), 0u);
    const std::wstring resultFile = std::wstring(temp) + L"second_source_probe.txt";
    driver::Program child = driver::Program::Start(driver::ProgramFolder() + L"second_source_probe.exe",
                                                   L"\"microphone\" \"" + resultFile + L"\"");
    ASSERT_TRUE(child);
    DWORD code = 99;
    ASSERT_TRUE(child.WaitForExit(60000, &code));
    EXPECT_EQ(code, 0u);
    // Matching is case-sensitive: nothing matched, nothing went wrong.
    EXPECT_EQ(ReadWide(resultFile), L"result=1\nindex=-1\n");
    ::DeleteFileW(resultFile.c_str());
    EXPECT_EQ(Muted(first.Get()), TRUE);
    EXPECT_HRESULT_SUCCEEDED(first->SetMute(FALSE, nullptr));
}

}  // namespace
