#include "audio/KeywordSelection.h"

#include <array>

namespace {

constexpr std::array<std::wstring_view, 7> kTier1 = {L"stereo mix", L"stereomix", L"wave out",     L"waveout",
                                                     L"what you",   L"what u",    L"master volume"};
constexpr std::array<std::wstring_view, 2> kTier2 = {L"rec. playback", L"wave"};

std::wstring LowerAscii(std::wstring_view text) {
    std::wstring lower(text);
    for (wchar_t& c : lower)
        if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c - L'A' + L'a');
    return lower;
}

template <std::size_t N>
bool ContainsAny(const std::wstring& name, const std::array<std::wstring_view, N>& keywords) {
    for (std::wstring_view keyword : keywords)
        if (name.find(keyword) != std::wstring::npos) return true;
    return false;
}

}  // namespace

std::optional<std::size_t> MarkedInputPin(const std::vector<std::wstring>& pinNames) {
    std::optional<std::size_t> marked;
    for (std::size_t i = 0; i < pinNames.size(); ++i) {
        const std::wstring lower = LowerAscii(pinNames[i]);
        if (ContainsAny(lower, kTier1) || ContainsAny(lower, kTier2)) marked = i;
    }
    return marked;
}

AudioInputChoice ChooseAudioInput(const std::vector<std::wstring>& pinNames, std::wstring_view currentAudioInput) {
    AudioInputChoice choice;
    if (pinNames.empty()) return choice;
    const std::optional<std::size_t> marked = MarkedInputPin(pinNames);
    choice.audioInput = marked && currentAudioInput.empty() ? pinNames[*marked] : pinNames.front();
    choice.confirm = marked && *marked == 0;
    return choice;
}

std::wstring AudioSelectedNotice(std::wstring_view source, std::wstring_view input, bool question) {
    std::wstring text = L"Audio source selected: ";
    text += source;
    text += L'/';
    text += input;
    if (question) text += L"\n\nClick YES to continue recording, NO to return.";
    return text;
}
