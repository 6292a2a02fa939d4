// The keyword choice of an audio device's input line and what the
// selection stores and shows for it.

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "audio/KeywordSelection.h"

namespace {

using Names = std::vector<std::wstring>;

TEST(MarkedInputPin, EachKeywordMarksInAnyCase) {
    const wchar_t* const marking[] = {
        L"Stereo Mix",    L"STEREOMIX",     L"Wave Out Mix", L"WaveOut",       L"What You Hear",     L"What U Hear",
        L"Master Volume", L"Rec. Playback", L"Wave",         L"SB Wave Input", L"my stereo mix (2)",
    };
    for (const wchar_t* name : marking)
        EXPECT_EQ(MarkedInputPin({L"Microphone", name}), std::optional<size_t>(1)) << name;

    const wchar_t* const plain[] = {L"Microphone", L"Line In", L"Stereo",  L"Mix",    L"Rec Playback",
                                    L"CD Audio",   L"Wav",     L"What Yo", L"Master", L""};
    for (const wchar_t* name : plain) EXPECT_EQ(MarkedInputPin({L"Microphone", name}), std::nullopt) << name;
}

TEST(MarkedInputPin, TheLastMarkedPinWins) {
    EXPECT_EQ(MarkedInputPin({L"Microphone", L"Line In", L"Stereo Mix"}), std::optional<size_t>(2));
    // A tier-2 name after a tier-1 name still replaces it.
    EXPECT_EQ(MarkedInputPin({L"Wave Out Mix", L"Rec. Playback"}), std::optional<size_t>(1));
    EXPECT_EQ(MarkedInputPin({L"Stereo Mix", L"Microphone", L"Wave"}), std::optional<size_t>(2));
    EXPECT_EQ(MarkedInputPin({L"Stereo Mix", L"Microphone"}), std::optional<size_t>(0));
    EXPECT_EQ(MarkedInputPin({}), std::nullopt);
}

TEST(ChooseAudioInput, StoresTheMarkedPinOrTheFirst) {
    const struct {
        Names pins;
        std::wstring current;
        std::wstring stored;
        bool confirm;
    } cases[] = {
        {{L"Microphone", L"Line In", L"Stereo Mix"}, L"", L"Stereo Mix", false},
        {{L"Wave Out Mix", L"Rec. Playback"}, L"", L"Rec. Playback", false},
        // Nothing matches: the first pin, with the plain notice.
        {{L"Microphone", L"Line In", L"CD Audio"}, L"", L"Microphone", false},
        // The only match is the first pin: chosen, and the user is asked.
        {{L"Stereo Mix", L"Microphone", L"Line In"}, L"", L"Stereo Mix", true},
        {{L"Stereo Mix"}, L"", L"Stereo Mix", true},
        // An "Audio Input" already set gives way to the first pin.
        {{L"Microphone", L"Line In", L"Stereo Mix"}, L"Line In", L"Microphone", false},
        {{L"Microphone", L"Line In"}, L"Line In", L"Microphone", false},
        {{L"Stereo Mix", L"Microphone"}, L"Microphone", L"Stereo Mix", true},
    };
    for (const auto& c : cases) {
        const AudioInputChoice choice = ChooseAudioInput(c.pins, c.current);
        EXPECT_EQ(choice.audioInput, c.stored) << c.pins.front() << " / " << c.current;
        EXPECT_EQ(choice.confirm, c.confirm) << c.pins.front() << " / " << c.current;
    }
    EXPECT_EQ(ChooseAudioInput({}, L"").audioInput, L"");
}

TEST(AudioSelectedNotice, PlainNoticeAndQuestion) {
    EXPECT_EQ(AudioSelectedNotice(L"Realtek Audio", L"Stereo Mix", false),
              L"Audio source selected: Realtek Audio/Stereo Mix");
    EXPECT_EQ(AudioSelectedNotice(L"Realtek Audio", L"Stereo Mix", true),
              L"Audio source selected: Realtek Audio/Stereo Mix\n\nClick YES to continue recording, NO to return.");
}

}  // namespace
