// The openings of the endpoints and the pin's media type, over scripted
// endpoints: every step, every failure and message.

#include <gmock/gmock.h>
#include <shlobj.h>
#include <uuids.h>

#include <fstream>
#include <sstream>
#include <string>

#include "tests/wine/capfilter/StreamFixture.h"

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using Messages = std::vector<std::wstring>;

namespace {

const wchar_t kOpenFailure[] = L"Error - Cannot initialize second audio (microphone).";

const WAVEFORMATEX& FormatOf(const CMediaType& mt) { return *reinterpret_cast<const WAVEFORMATEX*>(mt.pbFormat); }

std::string ReadLog() {
    wchar_t folder[MAX_PATH];
    if (FAILED(::SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, folder))) return {};
    std::wstring path = std::wstring(folder) + L"\\logAudio.txt";
    std::ifstream in(path.c_str());
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

}  // namespace

TEST_F(StreamTest, SpeakersOpenInLoopbackAsSixteenBitStereoAtTheMixRate) {
    Make();
    CMediaType mt;
    ASSERT_EQ(stream->GetMediaType(&mt), S_OK);
    EXPECT_EQ(mt.majortype, MEDIATYPE_Audio);
    EXPECT_EQ(mt.subtype, MEDIASUBTYPE_PCM);
    EXPECT_EQ(mt.formattype, FORMAT_WaveFormatEx);
    EXPECT_TRUE(mt.bFixedSizeSamples);
    EXPECT_FALSE(mt.bTemporalCompression);
    EXPECT_EQ(mt.lSampleSize, 4u);
    ASSERT_EQ(mt.cbFormat, 18u);
    const WAVEFORMATEX& f = FormatOf(mt);
    EXPECT_EQ(f.wFormatTag, WAVE_FORMAT_PCM);
    EXPECT_EQ(f.nChannels, 2);
    EXPECT_EQ(f.nSamplesPerSec, 48000u);
    EXPECT_EQ(f.nBlockAlign, 4);
    EXPECT_EQ(f.nAvgBytesPerSec, 192000u);
    EXPECT_EQ(f.wBitsPerSample, 16);
    EXPECT_EQ(f.cbSize, 0);

    EXPECT_EQ(audio->enumerator->asked.size(), 1u);
    EXPECT_EQ(audio->enumerator->asked[0].first, eRender);
    EXPECT_EQ(audio->enumerator->asked[0].second, eConsole);
    EXPECT_EQ(audio->speakers->initFlags, static_cast<DWORD>(AUDCLNT_STREAMFLAGS_LOOPBACK));
    EXPECT_EQ(audio->speakers->initDuration, 10000000);
    EXPECT_EQ(audio->speakers->initFormat.nChannels, 2);
    EXPECT_EQ(audio->speakers->initFormat.wBitsPerSample, 16);
    EXPECT_EQ(audio->mic->initializeCalls, 0);
    EXPECT_TRUE(FakeAudioSystem::Messages().empty());

    // The framework accepts exactly that type, and every query opens anew.
    EXPECT_EQ(stream->CheckMediaType(&mt), S_OK);
    EXPECT_EQ(audio->speakers->initializeCalls, 2);
    CMediaType other(mt);
    reinterpret_cast<WAVEFORMATEX*>(other.pbFormat)->nSamplesPerSec = 44100;
    EXPECT_EQ(stream->CheckMediaType(&other), E_FAIL);
    CMediaType none;
    EXPECT_EQ(stream->GetMediaType(1, &none), VFW_S_NO_MORE_ITEMS);
    EXPECT_EQ(stream->GetMediaType(-1, &none), E_INVALIDARG);
}

TEST_F(StreamTest, SpeakersAt96000HzGiveA96000HzType) {
    Make(2, 96000);
    CMediaType mt;
    ASSERT_EQ(stream->GetMediaType(&mt), S_OK);
    EXPECT_EQ(FormatOf(mt).nSamplesPerSec, 96000u);
    EXPECT_EQ(FormatOf(mt).nAvgBytesPerSec, 384000u);
    EXPECT_TRUE(FakeAudioSystem::Messages().empty());
}

TEST_F(StreamTest, FiveOneSpeakersThatOfferAClosestMatchWarnAndGoOn) {
    Make(6, 48000);
    audio->speakers->formatSupportedResult = S_FALSE;
    CMediaType mt;
    ASSERT_EQ(stream->GetMediaType(&mt), S_OK);
    EXPECT_EQ(FormatOf(mt).nChannels, 2);
    EXPECT_THAT(FakeAudioSystem::Messages(), ElementsAre(L"\r\nAudio format NOT accepted by renderer"));
    // Connecting asks again: no second warning for the same connection.
    ASSERT_EQ(stream->GetMediaType(&mt), S_OK);
    EXPECT_EQ(FakeAudioSystem::Messages().size(), 1u);
}

TEST_F(StreamTest, SpeakersThatRefuseTheFormatFailEveryAttempt) {
    Make(6, 48000);
    audio->speakers->formatSupportedResult = AUDCLNT_E_UNSUPPORTED_FORMAT;
    CMediaType mt;
    EXPECT_EQ(stream->GetMediaType(&mt), E_FAIL);
    const std::wstring refused = L"\r\nAudio format NOT accepted by renderer";
    // Told once for the connection, not at each of the three attempts.
    EXPECT_THAT(FakeAudioSystem::Messages(), ElementsAre(refused, kOpenFailure));
    EXPECT_EQ(audio->speakers->initializeCalls, 0);
}

// Each step of the speakers' opening failing: three attempts 100 ms apart,
// then one message per process.
TEST_F(StreamTest, AFailureAtEachSpeakersStepFailsAfterThreeAttempts) {
    const char* steps[] = {"create", "endpoint", "activate", "mix", "initialize", "buffer", "service"};
    for (const char* step : steps) {
        SCOPED_TRACE(step);
        Make();
        std::string s = step;
        if (s == "create") audio->createResult = REGDB_E_CLASSNOTREG;
        if (s == "endpoint") audio->enumerator->renderResult = E_NOTFOUND;
        if (s == "activate") audio->speakersDevice->activateResult = E_NOINTERFACE;
        if (s == "mix") audio->speakers->mixFormatResult = AUDCLNT_E_DEVICE_INVALIDATED;
        if (s == "initialize") audio->speakers->initializeResult = AUDCLNT_E_WRONG_ENDPOINT_TYPE;
        if (s == "buffer") audio->speakers->bufferSizeResult = AUDCLNT_E_NOT_INITIALIZED;
        if (s == "service") audio->speakers->serviceResult = AUDCLNT_E_WRONG_ENDPOINT_TYPE;
        CMediaType mt;
        DWORD before = ::GetTickCount();
        EXPECT_EQ(stream->GetMediaType(&mt), E_FAIL);
        DWORD took = ::GetTickCount() - before;
        // Two 100 ms pauses, less the tick counter's granularity (up to 16 ms).
        EXPECT_GE(took, 180u);
        EXPECT_EQ(audio->enumeratorsCreated, 3);
        EXPECT_THAT(FakeAudioSystem::Messages(), ElementsAre(kOpenFailure));
        // Once per process: a second request fails silently.
        EXPECT_EQ(stream->GetMediaType(&mt), E_FAIL);
        EXPECT_THAT(FakeAudioSystem::Messages(), ElementsAre(kOpenFailure));
        filter = nullptr;
        audio.reset();
    }
}

TEST_F(StreamTest, DualAudioOpensTheMicrophoneFirstAndLogsIt) {
    Make(2, 48000, 1, 48000);
    sonark::SetCaptureParams(1, 1, 1, L"Microphone");
    CMediaType mt;
    ASSERT_EQ(stream->GetMediaType(&mt), S_OK);
    ASSERT_EQ(audio->enumerator->asked.size(), 2u);
    EXPECT_EQ(audio->enumerator->asked[0].first, eCapture);
    EXPECT_EQ(audio->enumerator->asked[0].second, eMultimedia);
    EXPECT_EQ(audio->enumerator->asked[1].first, eRender);
    EXPECT_TRUE(stream->MonoMicrophone());
    EXPECT_EQ(audio->mic->initFlags, 0u);
    EXPECT_EQ(audio->mic->initDuration, 10000000);
    EXPECT_EQ(audio->mic->initFormat.nChannels, 1);
    EXPECT_EQ(audio->mic->initFormat.nBlockAlign, 2);
    EXPECT_EQ(audio->mic->initFormat.nAvgBytesPerSec, 96000u);
    // The output stays the speakers' stereo format.
    EXPECT_EQ(FormatOf(mt).nChannels, 2);
    EXPECT_EQ(FormatOf(mt).nAvgBytesPerSec, 192000u);

    char expected[1024];
    std::snprintf(expected, sizeof expected,
                  "CoCreateInstance OK\nm_pEnumerator=%d\nm_pDevice=%d\nActivate OK\nm_pwfx OK\n"
                  "CURRENT FORMAT\nwFormatTag=3\nnChannels=1\nnSamplesPerSec=48000\nnBlockAlign=4\n"
                  "nAvgBytesPerSec=192000\nwBitsPerSample=32\ncbSize=0\n"
                  "ACCEPTED FORMAT\nwFormatTag=1\nnChannels=1\nnSamplesPerSec=48000\nnBlockAlign=2\n"
                  "nAvgBytesPerSec=96000\nwBitsPerSample=16\ncbSize=0\n\n",
                  static_cast<int>(reinterpret_cast<intptr_t>(static_cast<IMMDeviceEnumerator*>(audio->enumerator))),
                  static_cast<int>(reinterpret_cast<intptr_t>(static_cast<IMMDevice*>(audio->micDevice))));
    std::string log = ReadLog();
    EXPECT_EQ(log.rfind("Audio Error Report - ", 0), 0u) << log;
    EXPECT_THAT(log, HasSubstr(expected));
}

TEST_F(StreamTest, AFailureAtEachMicrophoneStepLeavesTheSpeakersAlone) {
    const char* steps[] = {"create", "endpoint", "store", "name", "activate", "mix", "initialize", "buffer", "service"};
    for (const char* step : steps) {
        SCOPED_TRACE(step);
        Make();
        sonark::SetCaptureParams(1, 1, 1, L"");
        std::string s = step;
        if (s == "create") audio->createResult = E_OUTOFMEMORY;
        if (s == "endpoint") audio->enumerator->captureResult = E_NOTFOUND;
        if (s == "store") audio->micDevice->propertyStoreResult = E_ACCESSDENIED;
        if (s == "name") audio->micDevice->store->getValueResult = E_FAIL;
        if (s == "activate") audio->micDevice->activateResult = E_NOINTERFACE;
        if (s == "mix") audio->mic->mixFormatResult = AUDCLNT_E_DEVICE_INVALIDATED;
        if (s == "initialize") audio->mic->initializeResult = AUDCLNT_E_UNSUPPORTED_FORMAT;
        if (s == "buffer") audio->mic->bufferSizeResult = AUDCLNT_E_NOT_INITIALIZED;
        if (s == "service") audio->mic->serviceResult = E_NOINTERFACE;
        CMediaType mt;
        EXPECT_EQ(stream->GetMediaType(&mt), E_FAIL);
        EXPECT_EQ(audio->speakersDevice->activateCalls, 0);
        for (auto& asked : audio->enumerator->asked) EXPECT_EQ(asked.first, eCapture);
        EXPECT_THAT(FakeAudioSystem::Messages(), ElementsAre(kOpenFailure));
        filter = nullptr;
        audio.reset();
    }
    std::string log = ReadLog();
    EXPECT_THAT(log, HasSubstr("m_pwfx FAILED\n"));
    EXPECT_THAT(log, HasSubstr("FAILED m_pAudioClient1->Initialize\n"));
    EXPECT_THAT(log, HasSubstr("FAILED m_pAudioClient1->GetBufferSize\n"));
}

TEST_F(StreamTest, MicrophoneAt22050HzShowsTheRateHelpUpToTheEndOfTheProcess) {
    Make(2, 48000, 2, 22050);
    sonark::SetCaptureParams(1, 1, 1, L"");
    CMediaType mt;
    DWORD before = ::GetTickCount();
    stream->GetMediaType(&mt);
    DWORD took = ::GetTickCount() - before;
    EXPECT_GE(took, 2900u);
    EXPECT_THAT(FakeAudioSystem::ProcessEnds(), ElementsAre(0u));
    EXPECT_THAT(FakeAudioSystem::ShellOpens(), ElementsAre(L".\\sound.bat"));
    Messages messages = FakeAudioSystem::Messages();
    ASSERT_GE(messages.size(), 2u);
    EXPECT_EQ(messages[0],
              L"The microphone requires audio sample rates of 48000 or 44100 (currently your audio is set to "
              L"22050)\n\nClick OK to open the setup instructions");
    EXPECT_EQ(messages[1],
              L"\r\nWINDOWS 7 / VISTA SAMPLE RATE SETUP\r\n\r\nIn the 'Sound' window click Recording.\r\nClick "
              L"your microphone, click Properties, click Advanced and set the audio format to 16 bit, 48000 Hz or "
              L"44100 Hz. Make sure the Speaker sample rates is set the same.\r\n\r\nClose and restart Telvane.");
    // The help is shown once: the later attempts open at 22050 Hz.
    EXPECT_EQ(audio->mic->initFormat.nSamplesPerSec, 22050u);
}

TEST_F(StreamTest, DecideBufferSizeAsksForOneEndpointSizedBuffer) {
    Make();
    audio->speakers->bufferFrames = 48000;
    CMediaType mt;
    ASSERT_EQ(stream->GetMediaType(&mt), S_OK);
    ComPtr<FakeAllocator> alloc;
    alloc.Attach(new FakeAllocator);
    ALLOCATOR_PROPERTIES request{};
    EXPECT_EQ(stream->DecideBufferSize(alloc.Get(), &request), S_OK);
    EXPECT_EQ(alloc->asked.cBuffers, 1);
    EXPECT_EQ(alloc->asked.cbBuffer, 48000);
    EXPECT_TRUE(FakeAudioSystem::Messages().empty());

    alloc->grantedShortBy = 1;
    EXPECT_EQ(stream->DecideBufferSize(alloc.Get(), &request), E_FAIL);
    alloc->grantedShortBy = 0;
    alloc->setPropertiesResult = E_OUTOFMEMORY;
    EXPECT_EQ(stream->DecideBufferSize(alloc.Get(), &request), E_OUTOFMEMORY);
    EXPECT_THAT(FakeAudioSystem::Messages(),
                ElementsAre(L"Error - Audio buffer too large", L"Error - Cannot allocate memory for audio buffer"));
}

TEST_F(StreamTest, ParametersAreSharedByEveryInstance) {
    Make();
    ComPtr<ISonark> first;
    ASSERT_EQ(filter->QueryInterface(IID_ISonark, reinterpret_cast<void**>(&first)), S_OK);
    ASSERT_EQ(first->SetCaptureParams(1, 4, 1, L"Line In"), S_OK);

    HRESULT hr = E_FAIL;
    CUnknown* obj = CSonarkFilter::CreateInstance(nullptr, &hr);
    ComPtr<IBaseFilter> second;
    ASSERT_EQ(obj->NonDelegatingQueryInterface(IID_IBaseFilter, reinterpret_cast<void**>(&second)), S_OK);
    auto* secondStream =
        static_cast<CSonarkStream*>(static_cast<CBaseOutputPin*>(static_cast<CSonarkFilter*>(second.Get())->GetPin(0)));
    CMediaType mt;
    ASSERT_EQ(secondStream->GetMediaType(&mt), S_OK);
    // Dual audio: the second instance opened the microphone too.
    EXPECT_EQ(audio->mic->initializeCalls, 1);
    EXPECT_EQ(sonark::GetCaptureParams().timingMode, 4);
    EXPECT_EQ(sonark::GetSourceName(), L"Line In");
}
