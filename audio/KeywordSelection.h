#pragma once
// The automatic choice of an audio capture device's input line: the line
// whose name shows that it carries what the speakers play ("Stereo Mix" and
// its relatives). Portable: the DirectShow side hands in the pin names.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The pin that the keywords mark, by position. A name containing any of
// "stereo mix", "stereomix", "wave out", "waveout", "what you", "what u",
// "master volume" is marked; failing those, one containing "rec. playback"
// or "wave". Names are compared in lower case (ASCII letters; the keywords
// are ASCII). A later mark replaces an earlier one, so the last marked pin
// wins, whichever list matched it. None when no name matches.
std::optional<std::size_t> MarkedInputPin(const std::vector<std::wstring>& pinNames);

// What the selection stores in "Audio Input" and whether it asks before
// going on.
struct AudioInputChoice {
    std::wstring audioInput;
    // The marked pin is the first one: the user confirms the choice.
    bool confirm = false;
};

// The marked pin's name when one is marked and "Audio Input" is empty;
// otherwise the first pin's name (also when "Audio Input" held a name).
// Asks when the marked pin is the first. pinNames holds at least one name.
AudioInputChoice ChooseAudioInput(const std::vector<std::wstring>& pinNames, std::wstring_view currentAudioInput);

// "Audio source selected: %s/%s", the notice, and the same with "\n\nClick
// YES to continue recording, NO to return." for the question.
std::wstring AudioSelectedNotice(std::wstring_view source, std::wstring_view input, bool question);
