#pragma once
// The two lists of the video settings dialog and how they meet the
// settings: which entry a stored value selects, and what OK stores for a
// selection. Portable; the dialog fills its drop-down lists from these.

#include <array>
#include <optional>
#include <string_view>

inline constexpr std::array<std::wstring_view, 5> kBitrateChoices = {L"300", L"700", L"1200", L"3000", L"6000"};
inline constexpr std::array<std::wstring_view, 5> kFrameRateChoices = {L"10", L"15", L"20", L"25", L"30"};

// What OK stores when nothing (or a 0) is selected.
constexpr int kDefaultVideoBitrate = 3000;
constexpr int kDefaultFrameRate = 15;

// The first entry that begins with the stored "Video Bitrate" written as a
// number; none when no entry does.
std::optional<std::size_t> BitrateSelection(int videoBitrate);
// The same for "Frame Rate", its fraction dropped (12.5 looks for "12").
std::optional<std::size_t> FrameRateSelection(double frameRate);

// The number at the start of the selected entry; the default without a
// selection or for 0.
int BitrateToStore(std::optional<std::wstring_view> selected);
int FrameRateToStore(std::optional<std::wstring_view> selected);
