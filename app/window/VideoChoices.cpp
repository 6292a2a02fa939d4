#include "app/window/VideoChoices.h"

#include <cmath>
#include <string>

#include "framework/base/LeadingInt.h"

namespace {

template <std::size_t N>
std::optional<std::size_t> FirstStartingWith(const std::array<std::wstring_view, N>& choices, long long value) {
    const std::wstring text = std::to_wstring(value);
    for (std::size_t i = 0; i < N; ++i)
        if (choices[i].substr(0, text.size()) == text) return i;
    return std::nullopt;
}

int NumberOr(std::optional<std::wstring_view> selected, int fallback) {
    const int number = selected ? LeadingInt(selected->substr(0, 99)) : 0;
    return number != 0 ? number : fallback;
}

}  // namespace

std::optional<std::size_t> BitrateSelection(int videoBitrate) {
    return FirstStartingWith(kBitrateChoices, videoBitrate);
}

std::optional<std::size_t> FrameRateSelection(double frameRate) {
    if (!std::isfinite(frameRate) || std::fabs(frameRate) > 1e15) return std::nullopt;
    return FirstStartingWith(kFrameRateChoices, static_cast<long long>(std::trunc(frameRate)));
}

int BitrateToStore(std::optional<std::wstring_view> selected) { return NumberOr(selected, kDefaultVideoBitrate); }

int FrameRateToStore(std::optional<std::wstring_view> selected) { return NumberOr(selected, kDefaultFrameRate); }
