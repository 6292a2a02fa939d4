// The format checks' decisions over scripted endpoints: the steps taken,
// the log blocks, the questions in order, the fixes and the results.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "audio/EndpointChecks.h"
#include "audio/EndpointRates.h"
#include "tests/native/audio/FakeEndpoints.h"

namespace {

constexpr AudioResult kUnsupportedFormat = static_cast<AudioResult>(0x88890008u);
constexpr AudioResult kNotFound = static_cast<AudioResult>(0x80070490u);
constexpr AudioResult kFail = static_cast<AudioResult>(0x80004005u);
constexpr int kYes = 6;
constexpr int kNo = 7;

const std::wstring kHelp = L"open:.\\AudioHelp.rtf";

std::wstring SpeakersUnsupported(int rate) {
    return L"ask:UNSUPPORTED SAMPLE RATE (" + std::to_wstring(rate) +
           L"Hz).\r\nSpeakers audio sample rate error. Would you like to fix now?";
}
std::wstring MicUnsupported(int rate) {
    return L"ask:UNSUPPORTED SAMPLE RATE (" + std::to_wstring(rate) +
           L" Hz).\r\nMicrophone sample rate error. Would you like to fix now?";
}
std::wstring SpeakersCannot(int stage) {
    return L"ask:Speaker audio recording cannot be setup. Make sure your audio system is not surround or "
           L"quadrophonic or audio sample rates are higher than 48000 Hz. You may have to change your speakers "
           L"settings to Stereo, 48000 or 44100 sample rate. (ERROR " +
           std::to_wstring(stage) + L")\r\n\r\nWould you like to do this now?";
}
std::wstring MicCannot(int stage) {
    return L"box:Microphone recording cannot be setup. Make sure your audio system is not setup on surround, "
           L"quadrophonic sound or audio sample rates higher than 48000 Hz. You may have to change your speakers "
           L"settings to Stereo, 48000 or 44000 sample rate. (ERROR " +
           std::to_wstring(stage) + L")";
}
std::wstring Different(int speakers, int mic) {
    return L"ask:Speakers sample rate and microphone sample rate are different (" + std::to_wstring(speakers) +
           L" Hz, " + std::to_wstring(mic) +
           L" Hz). They must be set the same, 48000 Hz or 44100 Hz. Would you like to do this now?";
}
std::vector<std::wstring> Fix(const wchar_t* instructions) {
    return {L"wait:1000", L"thread-open:.\\sound.bat", L"wait:1000", std::wstring(L"thread-box:") + instructions,
            L"close"};
}
std::vector<std::wstring> Join(std::vector<std::wstring> a, const std::vector<std::wstring>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

TEST(SpeakersCheck, StereoAt44100PassesSilentlyAndLogsEveryBlock) {
    ScriptedProbe probe;
    probe.mix = FloatMix(2, 44100);
    probe.giveClosest = false;
    RecordingUser user;
    LogCapture log;

    EXPECT_EQ(CheckEndpointFormat(EndpointRole::Speakers, probe, user), 1);

    EXPECT_TRUE(user.events.empty());
    EXPECT_EQ(SpeakersSampleRate(), 44100u);
    EXPECT_EQ(OpenedSampleRate(), 44100u);
    EXPECT_EQ(OpenedBytesPerSecond(), 176400u);
    EXPECT_EQ(probe.role, EndpointRole::Speakers);
    EXPECT_TRUE(probe.loopback);
    EXPECT_EQ(probe.duration, 10000000);
    EXPECT_EQ(probe.calls, (std::vector<std::string>{"CreateEnumerator", "OpenDefaultEndpoint", "ActivateClient",
                                                     "GetMixFormat", "IsFormatSupported", "Initialize", "GetBufferSize",
                                                     "GetCaptureService", "Start", "ReleaseAll"}));
    const WaveFormat& p = probe.initialized;
    EXPECT_EQ(p.formatTag, 1);
    EXPECT_EQ(p.channels, 2);
    EXPECT_EQ(p.samplesPerSec, 44100u);
    EXPECT_EQ(p.avgBytesPerSec, 176400u);
    EXPECT_EQ(p.blockAlign, 4);
    EXPECT_EQ(p.bitsPerSample, 16);
    EXPECT_EQ(p.cbSize, 0);
    EXPECT_EQ(probe.supportedAsked.avgBytesPerSec, 176400u);
    EXPECT_EQ(log.Text(),
              L"\r\n\r\n---Default Renderer Format---\r\nwFormatTag=65534\r\nnChannels=2\r\nnSamplesPerSec=44100\r\n"
              L"nAvgBytesPerSec=352800\r\nnBlockAlign=8\r\nwBitsPerSample=32\r\ncbSize=22"
              L"\r\n\r\n---Proposed Format---\r\nwFormatTag=1\r\nnChannels=2\r\nnSamplesPerSec=44100\r\n"
              L"nAvgBytesPerSec=176400\r\nnBlockAlign=4\r\nwBitsPerSample=16\r\ncbSize=0"
              L"\r\n\r\nhr=0x00000000 pWfxTemp=0\r\nFormat accepted by renderer\r\nNO Suggested format\r\n"
              L"\r\n\r\nINITIALIZE  Audio Client OK hr=0x00000000\r\n\r\n");
}

TEST(SpeakersCheck, At96000EveryStepPassesButBothQuestionsAndTheHelpFollow) {
    ScriptedProbe probe;
    probe.mix = FloatMix(2, 96000);
    RecordingUser user;
    user.answers = {kNo, kNo};
    LogCapture log;

    EXPECT_EQ(CheckEndpointFormat(EndpointRole::Speakers, probe, user), 0);  // the last result, S_OK

    EXPECT_EQ(user.events, (std::vector<std::wstring>{SpeakersUnsupported(96000), SpeakersCannot(9), kHelp}));
    EXPECT_EQ(SpeakersSampleRate(), 96000u);
    EXPECT_EQ(log.Text().find(L"EXIT ERROR"), std::wstring::npos);
}

TEST(SpeakersCheck, SurroundRefusedAtInitializeEndsAtStageSixNamingTheCode) {
    ScriptedProbe probe;
    probe.mix = FloatMix(6, 48000);
    probe.supportedResult = 1;  // S_FALSE with a closest match
    probe.giveClosest = true;
    probe.closest = FloatMix(6, 48000);
    probe.closestAddress = 1234567;
    probe.initializeResult = kUnsupportedFormat;
    RecordingUser user;
    LogCapture log;

    EXPECT_EQ(CheckEndpointFormat(EndpointRole::Speakers, probe, user), kUnsupportedFormat);

    EXPECT_EQ(user.events, (std::vector<std::wstring>{SpeakersCannot(6), kHelp}));
    EXPECT_EQ(probe.initialized.channels, 2);  // stereo is proposed whatever the speakers have
    EXPECT_EQ(probe.calls.back(), "ReleaseAll");
    const std::wstring text = log.Text();
    EXPECT_NE(text.find(L"\r\n\r\nhr=0x00000001 pWfxTemp=1234567\r\nFormat NOT accepted by renderer"
                        L"\r\nSuggested format\r\nwFormatTag=65534\r\nnChannels=6\r\nnSamplesPerSec=48000\r\n"
                        L"nAvgBytesPerSec=1152000\r\nnBlockAlign=24\r\nwBitsPerSample=32\r\ncbSize=22\r\n"
                        L"\r\n\r\nCannot initialize Audio Client hr=0x88890008"),
              std::wstring::npos)
        << std::string(text.begin(), text.end());
    const std::wstring tail = L"\r\n\r\nEXIT ERROR 0 hr=0x88890008 AUDCLNT_E_UNSUPPORTED_FORMAT";
    ASSERT_GE(text.size(), tail.size());
    EXPECT_EQ(text.substr(text.size() - tail.size()), tail);
}

// A failure at each step: how far the check went, the stage in the
// message, the exit line and the result.
struct StepFailure {
    const char* name;
    AudioResult ScriptedProbe::*result;
    int stage;           // 0: no message
    const wchar_t* log;  // the step's own failure line, or null
    int exitNumber;
    size_t callsBeforeRelease;
};

class SpeakersStepFailure : public ::testing::TestWithParam<StepFailure> {};

TEST_P(SpeakersStepFailure, ReportsTheStage) {
    const StepFailure& c = GetParam();
    ScriptedProbe probe;
    probe.mix = FloatMix(2, 48000);
    probe.*c.result = kFail;
    RecordingUser user;
    LogCapture log;

    const int result = CheckEndpointFormat(EndpointRole::Speakers, probe, user);

    EXPECT_EQ(probe.calls.size(), c.callsBeforeRelease + 1);
    EXPECT_EQ(probe.calls.back(), "ReleaseAll");
    const std::wstring text = log.Text();
    const std::wstring exitLine = L"\r\n\r\nEXIT ERROR " + std::to_wstring(c.exitNumber) + L" hr=0x80004005 ";
    ASSERT_GE(text.size(), exitLine.size());
    EXPECT_EQ(text.substr(text.size() - exitLine.size()), exitLine);
    if (c.log) {
        EXPECT_NE(text.find(c.log), std::wstring::npos);
    }
    if (c.stage == 0) {
        EXPECT_EQ(result, 0);
        EXPECT_TRUE(user.events.empty());
    } else {
        EXPECT_EQ(result, kFail);
        EXPECT_EQ(user.events, (std::vector<std::wstring>{SpeakersCannot(c.stage), kHelp}));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Steps, SpeakersStepFailure,
    ::testing::Values(
        StepFailure{"Enumerator", &ScriptedProbe::createResult, 0, nullptr, 0, 1},
        StepFailure{"Endpoint", &ScriptedProbe::endpointResult, 0, nullptr, 0, 2},
        StepFailure{"Client", &ScriptedProbe::activateResult, 0, nullptr, 0, 3},
        StepFailure{"MixFormat", &ScriptedProbe::mixResult, 0, nullptr, 0, 4},
        StepFailure{"Initialize", &ScriptedProbe::initializeResult, 6,
                    L"\r\n\r\nCannot initialize Audio Client hr=0x80004005", 0, 6},
        StepFailure{"BufferSize", &ScriptedProbe::bufferResult, 7, L"\r\n\r\nGetBufferSize failed hr=0x80004005", 2, 7},
        StepFailure{"Service", &ScriptedProbe::serviceResult, 8, L"\r\n\r\nGetService failed hr=0x80004005", 2, 8},
        StepFailure{"Start", &ScriptedProbe::startResult, 9, L"\r\n\r\nStart failed hr=0x80004005", 2, 9}),
    [](const ::testing::TestParamInfo<StepFailure>& info) { return std::string(info.param.name); });

TEST(SpeakersCheck, YesToBothQuestionsRunsTheSpeakersFixTwice) {
    ScriptedProbe probe;
    probe.mix = FloatMix(2, 192000);
    RecordingUser user;
    user.answers = {kYes, kYes};

    CheckEndpointFormat(EndpointRole::Speakers, probe, user);

    // The exit procedure returns here (as it does while closing); the check goes on.
    std::vector<std::wstring> expected{SpeakersUnsupported(192000)};
    expected = Join(expected, Fix(kSpeakersInstructions));
    expected.push_back(SpeakersCannot(9));
    expected = Join(expected, Fix(kSpeakersInstructions));
    expected.push_back(kHelp);
    EXPECT_EQ(user.events, expected);
}

TEST(MicrophoneCheck, MonoAt44100BesideSpeakersAt44100PassesSilently) {
    SetSpeakersSampleRate(44100);
    ScriptedProbe probe;
    probe.mix = FloatMix(1, 44100);
    RecordingUser user;
    LogCapture log;

    EXPECT_EQ(CheckEndpointFormat(EndpointRole::Microphone, probe, user), 1);

    EXPECT_TRUE(user.events.empty());
    EXPECT_EQ(probe.role, EndpointRole::Microphone);
    EXPECT_FALSE(probe.loopback);
    EXPECT_EQ(MicrophoneSampleRate(), 44100u);
    EXPECT_EQ(probe.initialized.channels, 1);
    EXPECT_EQ(probe.initialized.blockAlign, 2);
    EXPECT_EQ(probe.initialized.avgBytesPerSec, 88200u);
    EXPECT_EQ(OpenedBytesPerSecond(), 88200u);
    EXPECT_EQ(log.Text().rfind(L"\r\n\r\n---Default Microphone Format---\r\nwFormatTag=65534\r\nnChannels=1\r\n", 0),
              0u);
}

TEST(MicrophoneCheck, RateDifferentFromTheSpeakersAsksButStillPasses) {
    SetSpeakersSampleRate(48000);
    ScriptedProbe probe;
    probe.mix = FloatMix(2, 44100);
    RecordingUser no;
    EXPECT_EQ(CheckEndpointFormat(EndpointRole::Microphone, probe, no), 1);
    EXPECT_EQ(no.events, (std::vector<std::wstring>{Different(48000, 44100)}));

    ScriptedProbe again;
    again.mix = FloatMix(2, 44100);
    RecordingUser yes;
    yes.answers = {kYes};
    EXPECT_EQ(CheckEndpointFormat(EndpointRole::Microphone, again, yes), 1);
    EXPECT_EQ(yes.events, Join({Different(48000, 44100)}, Fix(kMicrophoneInstructions)));
}

TEST(MicrophoneCheck, UnsupportedRateAsksBothQuestionsThenAnOkBoxAndTheHelp) {
    SetSpeakersSampleRate(48000);
    ScriptedProbe probe;
    probe.mix = FloatMix(2, 96000);
    RecordingUser user;
    user.answers = {kNo, kYes};

    EXPECT_EQ(CheckEndpointFormat(EndpointRole::Microphone, probe, user), 0);

    std::vector<std::wstring> expected{Different(48000, 96000), MicUnsupported(96000)};
    expected = Join(expected, Fix(kMicrophoneInstructions));
    expected.push_back(MicCannot(9));
    expected.push_back(kHelp);
    EXPECT_EQ(user.events, expected);
}

TEST(MicrophoneCheck, NoDefaultMicrophoneEndsAtStageTwoWithoutAMessage) {
    SetSpeakersSampleRate(48000);
    ScriptedProbe probe;
    probe.endpointResult = kNotFound;
    RecordingUser user;
    LogCapture log;

    EXPECT_EQ(CheckEndpointFormat(EndpointRole::Microphone, probe, user), 0);

    EXPECT_TRUE(user.events.empty());
    EXPECT_EQ(probe.calls, (std::vector<std::string>{"CreateEnumerator", "OpenDefaultEndpoint", "ReleaseAll"}));
    EXPECT_EQ(log.Text(), L"\r\n\r\nEXIT ERROR 0 hr=0x80070490 ");
}

TEST(MicrophoneCheck, StartFailureShowsTheOkBoxWithStageNine) {
    SetSpeakersSampleRate(48000);
    ScriptedProbe probe;
    probe.mix = FloatMix(2, 48000);
    probe.startResult = kFail;
    RecordingUser user;

    EXPECT_EQ(CheckEndpointFormat(EndpointRole::Microphone, probe, user), kFail);
    // No "different" question: that needs a capture that started.
    EXPECT_EQ(user.events, (std::vector<std::wstring>{MicCannot(9), kHelp}));
}

}  // namespace
