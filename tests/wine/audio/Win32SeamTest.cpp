// The WASAPI and MMDevice side of the checks over scripted COM endpoints:
// the cases the Wine platform cannot produce (surround speakers refused at
// Initialize, no microphone, no capture endpoint at all) and what exactly
// is asked of the endpoints.

#include <gtest/gtest.h>

// strmif.h (through FakeAudio.h) before endpointvolume.h: ksmedia.h, which
// endpointvolume.h brings, redefines strmif.h's types unless it comes second.
#include "tests/wine/capfilter/FakeAudio.h"

#include <string>
#include <vector>

#include "audio/EndpointChecks.h"
#include "audio/EndpointRates.h"
#include "audio/Win32CaptureEndpoints.h"
#include "audio/Win32EndpointProbe.h"
#include "tests/native/audio/FakeEndpoints.h"
#include "tests/wine/audio/FakeCaptureEndpoints.h"

namespace {

IMMDeviceEnumerator* g_enumerator = nullptr;

HRESULT HandOutEnumerator(IMMDeviceEnumerator** out) {
    if (!g_enumerator) return REGDB_E_CLASSNOTREG;
    g_enumerator->AddRef();
    *out = g_enumerator;
    return S_OK;
}

// Makes `e` the enumerator the seams create while it lives.
class UseEnumerator {
public:
    explicit UseEnumerator(IMMDeviceEnumerator* e) { g_enumerator = e; }
    ~UseEnumerator() { g_enumerator = nullptr; }
};

bool EndsWith(const std::wstring& text, const std::wstring& end) {
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

TEST(Win32Probe, SurroundSpeakersRefusedAtInitializeEndAtStageSix) {
    FakeAudioSystem system(6, 48000);
    system.speakers->formatSupportedResult = S_FALSE;
    system.speakers->initializeResult = AUDCLNT_E_UNSUPPORTED_FORMAT;
    UseEnumerator use(system.enumerator);
    Win32EndpointProbe probe(&HandOutEnumerator);
    RecordingUser user;
    LogCapture log;

    EXPECT_EQ(CheckEndpointFormat(EndpointRole::Speakers, probe, user), static_cast<int>(AUDCLNT_E_UNSUPPORTED_FORMAT));

    ASSERT_EQ(user.events.size(), 2u);
    EXPECT_NE(user.events[0].find(L"(ERROR 6)\r\n\r\nWould you like to do this now?"), std::wstring::npos);
    EXPECT_EQ(user.events[1], L"open:.\\AudioHelp.rtf");
    EXPECT_EQ(system.enumerator->asked, (std::vector<std::pair<EDataFlow, ERole>>{{eRender, eConsole}}));
    EXPECT_EQ(system.speakers->initFlags, static_cast<DWORD>(AUDCLNT_STREAMFLAGS_LOOPBACK));
    EXPECT_EQ(system.speakers->initDuration, 10000000);
    const WAVEFORMATEX& f = system.speakers->initFormat;
    EXPECT_EQ(f.wFormatTag, WAVE_FORMAT_PCM);
    EXPECT_EQ(f.nChannels, 2);
    EXPECT_EQ(f.nSamplesPerSec, 48000u);
    EXPECT_EQ(f.nAvgBytesPerSec, 192000u);
    EXPECT_EQ(f.nBlockAlign, 4);
    EXPECT_EQ(f.wBitsPerSample, 16);
    EXPECT_EQ(f.cbSize, 0);
    const std::wstring text = log.Text();
    // The closest match came back and was logged (and freed: the fake's
    // allocation goes through CoTaskMemAlloc).
    EXPECT_EQ(text.find(L"pWfxTemp=0\r\n"), std::wstring::npos);
    EXPECT_NE(text.find(L"\r\nFormat NOT accepted by renderer\r\nSuggested format\r\nwFormatTag=3\r\nnChannels=6\r\n"),
              std::wstring::npos);
    EXPECT_TRUE(EndsWith(text, L"\r\n\r\nEXIT ERROR 0 hr=0x88890008 AUDCLNT_E_UNSUPPORTED_FORMAT"));
    EXPECT_EQ(system.speakers->startCalls, 0);
}

TEST(Win32Probe, NoDefaultMicrophoneIsSilentAtStageTwo) {
    FakeAudioSystem system;
    system.enumerator->captureResult = E_NOTFOUND;
    UseEnumerator use(system.enumerator);
    Win32EndpointProbe probe(&HandOutEnumerator);
    RecordingUser user;

    EXPECT_EQ(CheckEndpointFormat(EndpointRole::Microphone, probe, user), 0);

    EXPECT_TRUE(user.events.empty());
    EXPECT_EQ(system.enumerator->asked, (std::vector<std::pair<EDataFlow, ERole>>{{eCapture, eMultimedia}}));
    EXPECT_EQ(system.micDevice->activateCalls, 0);
}

TEST(Win32Probe, MonoMicrophoneIsOpenedForPlainCaptureAtItsOwnChannelCount) {
    SetSpeakersSampleRate(44100);
    FakeAudioSystem system(2, 44100, 1, 44100);
    UseEnumerator use(system.enumerator);
    Win32EndpointProbe probe(&HandOutEnumerator);
    RecordingUser user;

    EXPECT_EQ(CheckEndpointFormat(EndpointRole::Microphone, probe, user), 1);

    EXPECT_TRUE(user.events.empty());
    EXPECT_EQ(system.mic->initFlags, 0u);
    EXPECT_EQ(system.mic->initFormat.nChannels, 1);
    EXPECT_EQ(system.mic->initFormat.nBlockAlign, 2);
    EXPECT_EQ(system.mic->initFormat.nAvgBytesPerSec, 88200u);
    EXPECT_EQ(system.mic->startCalls, 1);
    EXPECT_EQ(OpenedBytesPerSecond(), 88200u);
}

TEST(Win32Probe, NoEnumeratorIsSilentAtStageOne) {
    UseEnumerator use(nullptr);
    Win32EndpointProbe probe(&HandOutEnumerator);
    RecordingUser user;
    EXPECT_EQ(CheckEndpointFormat(EndpointRole::Speakers, probe, user), 0);
    EXPECT_TRUE(user.events.empty());
}

TEST(Win32CaptureList, PartOfTheNameUnmutesThatEndpointThroughAnInProcessVolume) {
    SetSecondSourceIndex(-1);
    auto* e = new FakeListEnumerator;
    e->Add(L"Microphone (Realtek High Definition Audio)");
    FakeNamedDevice* usb = e->Add(L"Microphone (USB PnP Sound Device)");
    FakeNamedDevice* line = e->Add(L"Line In (USB Audio CODEC)");
    {
        UseEnumerator use(e);
        Win32CaptureEndpoints endpoints(&HandOutEnumerator);
        RecordingUser user;

        EXPECT_EQ(SetupSecondSourceWith(L"USB", endpoints, user), 1);

        EXPECT_TRUE(user.events.empty());
    }
    EXPECT_EQ(e->askedFlow, eCapture);
    EXPECT_EQ(e->askedMask, static_cast<DWORD>(DEVICE_STATE_ACTIVE));
    EXPECT_EQ(SecondSourceIndex(), 1);
    EXPECT_EQ(usb->activateContext, static_cast<DWORD>(CLSCTX_INPROC_SERVER));
    EXPECT_EQ(usb->volume->muteCalls, (std::vector<BOOL>{FALSE}));
    EXPECT_TRUE(e->devices[0]->volume->muteCalls.empty());
    EXPECT_TRUE(line->volume->muteCalls.empty());
    EXPECT_EQ(line->idsHandedOut, 0);  // the search stopped at the match
    // The matched volume control stays for the process.
    EXPECT_EQ(SecondSourceVolume(), static_cast<IAudioEndpointVolume*>(usb->volume));
    e->Release();
}

TEST(Win32CaptureList, NoActiveCaptureEndpointGives105) {
    auto* e = new FakeListEnumerator;
    {
        UseEnumerator use(e);
        Win32CaptureEndpoints endpoints(&HandOutEnumerator);
        RecordingUser user;

        EXPECT_EQ(SetupSecondSourceWith(L"USB", endpoints, user), 0);

        EXPECT_EQ(user.events, (std::vector<std::wstring>{
                                   L"box:No audio recording devices found (microphone disabled or disconnected)",
                                   L"box:ERROR 105. Cannot setup second audio source USB"}));
    }
    e->Release();
}

TEST(Win32CaptureList, UnreadablePropertiesGiveCodesThreeAndFour) {
    struct Case {
        HRESULT store, name;
        const wchar_t* message;
    };
    for (const Case& c : {Case{E_ACCESSDENIED, S_OK, L"box:ERROR 3. Cannot setup second audio source Webcam"},
                          Case{S_OK, E_FAIL, L"box:ERROR 4. Cannot setup second audio source Webcam"}}) {
        auto* e = new FakeListEnumerator;
        FakeNamedDevice* d = e->Add(L"Microphone");
        d->storeResult = c.store;
        d->nameResult = c.name;
        {
            UseEnumerator use(e);
            Win32CaptureEndpoints endpoints(&HandOutEnumerator);
            RecordingUser user;
            EXPECT_EQ(SetupSecondSourceWith(L"Webcam", endpoints, user), 0);
            EXPECT_EQ(user.events, (std::vector<std::wstring>{c.message}));
        }
        e->Release();
    }
}

TEST(Win32CaptureList, AVolumeRefusedIsReportedWithItsCode) {
    auto* e = new FakeListEnumerator;
    e->Add(L"USB Microphone")->activateResult = E_NOINTERFACE;
    {
        UseEnumerator use(e);
        Win32CaptureEndpoints endpoints(&HandOutEnumerator);
        RecordingUser user;
        EXPECT_EQ(SetupSecondSourceWith(L"USB", endpoints, user), 1);
        EXPECT_EQ(user.events,
                  (std::vector<std::wstring>{L"box:Unable to activate volume on device USB (hr=80004002)"}));
    }
    e->Release();
}

}  // namespace
