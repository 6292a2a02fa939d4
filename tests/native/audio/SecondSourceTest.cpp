// The second source chosen by a part of its name: which endpoint is taken,
// what is unmuted, and the error codes and messages.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "audio/EndpointChecks.h"
#include "audio/EndpointRates.h"
#include "tests/native/audio/FakeEndpoints.h"

namespace {

constexpr AudioResult kFail = static_cast<AudioResult>(0x80004005u);
constexpr AudioResult kDenied = static_cast<AudioResult>(0x80070005u);

ScriptedCaptureList ThreeMicrophones() {
    ScriptedCaptureList list;
    list.endpoints = {{L"Microphone (Realtek High Definition Audio)"},
                      {L"Line In (Realtek High Definition Audio)"},
                      {L"Microphone (USB PnP Sound Device)"}};
    return list;
}

std::wstring CannotSetup(int code, const std::wstring& name) {
    return L"box:ERROR " + std::to_wstring(code) + L". Cannot setup second audio source " + name;
}

TEST(SecondSource, PartOfTheNameTakesThatEndpointAndUnmutesIt) {
    SetSecondSourceIndex(-1);
    ScriptedCaptureList list = ThreeMicrophones();
    RecordingUser user;

    EXPECT_EQ(SetupSecondSourceWith(L"USB", list, user), 1);

    EXPECT_TRUE(user.events.empty());
    EXPECT_EQ(SecondSourceIndex(), 2);
    EXPECT_EQ(list.activated, (std::vector<std::uint32_t>{2}));
    EXPECT_EQ(list.unmuted, (std::vector<std::uint32_t>{2}));
    EXPECT_EQ(list.calls.back(), "ReleaseAll");
}

TEST(SecondSource, TheFirstMatchInCollectionOrderWinsAndTheSearchStops) {
    SetSecondSourceIndex(-1);
    ScriptedCaptureList list = ThreeMicrophones();
    RecordingUser user;

    EXPECT_EQ(SetupSecondSourceWith(L"Microphone", list, user), 1);

    EXPECT_EQ(SecondSourceIndex(), 0);
    EXPECT_EQ(list.unmuted, (std::vector<std::uint32_t>{0}));
    EXPECT_EQ(std::count(list.calls.begin(), list.calls.end(), "FriendlyName"), 1);
}

TEST(SecondSource, MatchingIsCaseSensitiveAndNoMatchStillSucceeds) {
    SetSecondSourceIndex(-1);
    ScriptedCaptureList list = ThreeMicrophones();
    RecordingUser user;

    EXPECT_EQ(SetupSecondSourceWith(L"usb", list, user), 1);

    EXPECT_TRUE(user.events.empty());
    EXPECT_EQ(SecondSourceIndex(), -1);
    EXPECT_TRUE(list.activated.empty());
    EXPECT_TRUE(list.unmuted.empty());
}

TEST(SecondSource, NoActiveCaptureEndpointShowsBothMessagesWith105) {
    for (bool opened : {true, false}) {
        ScriptedCaptureList list;
        list.openResult = opened;
        RecordingUser user;

        EXPECT_EQ(SetupSecondSourceWith(L"USB Mic", list, user), 0);

        EXPECT_EQ(user.events, (std::vector<std::wstring>{
                                   L"box:No audio recording devices found (microphone disabled or disconnected)",
                                   CannotSetup(105, L"USB Mic")}));
    }
}

// A step failing on the last endpoint examined (no match): its code.
struct ReadFailure {
    const char* name;
    AudioResult ScriptedCaptureEndpoint::*result;
    int code;
};

class SecondSourceReadFailure : public ::testing::TestWithParam<ReadFailure> {};

TEST_P(SecondSourceReadFailure, OnTheLastEndpointGivesItsCode) {
    ScriptedCaptureList list = ThreeMicrophones();
    list.endpoints[2].*GetParam().result = kFail;
    RecordingUser user;

    EXPECT_EQ(SetupSecondSourceWith(L"Webcam", list, user), 0);

    EXPECT_EQ(user.events, (std::vector<std::wstring>{CannotSetup(GetParam().code, L"Webcam")}));
}

TEST_P(SecondSourceReadFailure, OnAnEarlierEndpointIsForgottenWhenALaterOneMatches) {
    SetSecondSourceIndex(-1);
    ScriptedCaptureList list = ThreeMicrophones();
    list.endpoints[0].*GetParam().result = kFail;
    RecordingUser user;

    EXPECT_EQ(SetupSecondSourceWith(L"USB", list, user), 1);

    EXPECT_TRUE(user.events.empty());
    EXPECT_EQ(SecondSourceIndex(), 2);
}

INSTANTIATE_TEST_SUITE_P(Steps, SecondSourceReadFailure,
                         ::testing::Values(ReadFailure{"Item", &ScriptedCaptureEndpoint::itemResult, 1},
                                           ReadFailure{"PropertyStore", &ScriptedCaptureEndpoint::storeResult, 3},
                                           ReadFailure{"FriendlyName", &ScriptedCaptureEndpoint::nameResult, 4}),
                         [](const ::testing::TestParamInfo<ReadFailure>& info) {
                             return std::string(info.param.name);
                         });

TEST(SecondSource, AVolumeThatCannotBeActivatedIsReportedButTheSourceStands) {
    SetSecondSourceIndex(-1);
    ScriptedCaptureList list = ThreeMicrophones();
    list.endpoints[2].volumeResult = kDenied;
    RecordingUser user;

    EXPECT_EQ(SetupSecondSourceWith(L"USB", list, user), 1);

    EXPECT_EQ(user.events, (std::vector<std::wstring>{L"box:Unable to activate volume on device USB (hr=80070005)"}));
    EXPECT_EQ(SecondSourceIndex(), 2);
    EXPECT_TRUE(list.unmuted.empty());
}

}  // namespace
