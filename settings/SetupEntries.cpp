#include "settings/SetupEntries.h"

#include <algorithm>
#include <array>

#include "framework/base/LeadingInt.h"

namespace {

constexpr int kMaxSeconds = 86400;
// The box's text is looked at up to this many characters.
constexpr std::size_t kHotkeyLookedAt = 50;

constexpr std::array<std::wstring_view, 3> kModifiers = {L"ALT+", L"SHIFT+", L"CTRL+"};

}  // namespace

DurationEntry ReadDurationEntry(std::wstring_view text) {
    DurationEntry entry;
    if (text.empty()) return entry;
    if (text.size() != 8 && text.find(L':') == std::wstring_view::npos) {
        entry.malformed = true;
        return entry;
    }
    const std::size_t first = text.find(L':');
    const std::size_t second = first == std::wstring_view::npos ? first : text.find(L':', first + 1);
    const bool two = second != std::wstring_view::npos && text.find(L':', second + 1) == std::wstring_view::npos;
    if (!two) {
        entry.seconds = -1;
    } else {
        const long long total = 3600LL * LeadingInt(text.substr(0, first)) + 60LL * LeadingInt(text.substr(first + 1)) +
                                LeadingInt(text.substr(second + 1));
        entry.seconds = static_cast<int>(std::clamp<long long>(total, -1, 0x7FFFFFFF));
    }
    entry.ask = entry.seconds == -1 || entry.seconds > kMaxSeconds;
    return entry;
}

HotkeyEntry ReadHotkeyEntry(std::wstring_view text) {
    std::wstring upper(text.substr(0, std::min(text.size(), kHotkeyLookedAt)));
    for (wchar_t& c : upper)
        if (c >= L'a' && c <= L'z') c = static_cast<wchar_t>(c - L'a' + L'A');

    HotkeyEntry entry;
    for (std::wstring_view modifier : kModifiers) {
        const std::size_t at = upper.find(modifier);
        if (at == std::wstring::npos) continue;
        const std::size_t keyAt = at + modifier.size();
        const wchar_t key = keyAt < upper.size() ? upper[keyAt] : L'\0';
        entry.ask = key < L'A' || key > L'Z';
        // Without a key there is nothing to keep: the default is stored.
        entry.hotkey = key ? std::wstring(modifier) + std::to_wstring(static_cast<int>(key)) : L"SHIFT+90";
        return entry;
    }
    entry.ask = true;
    entry.hotkey = L"SHIFT+90";
    return entry;
}
