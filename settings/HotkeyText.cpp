#include "settings/HotkeyText.h"

#include "framework/base/LeadingInt.h"
#include "settings/SettingsText.h"

namespace {

// The number that starts at `position`, the way the runtime's _wtoi reads it.
int NumberAt(std::wstring_view text, std::size_t position) {
    if (position >= text.size()) return 0;
    return LeadingInt(text.substr(position));
}

}  // namespace

ParsedHotkey ParseHotkey(std::wstring_view text) {
    text = text.substr(0, kHotkeyTextLimit);
    struct Prefix {
        const wchar_t* text;
        std::size_t length;
        unsigned modifier;
    };
    static const Prefix kPrefixes[] = {
        {L"ALT+", 4, kHotkeyAlt}, {L"SHIFT+", 6, kHotkeyShift}, {L"CTRL+", 5, kHotkeyControl}};
    ParsedHotkey parsed;
    for (const Prefix& prefix : kPrefixes) {
        if (text.find(prefix.text) == std::wstring_view::npos) continue;
        parsed.modifier = prefix.modifier;
        parsed.code = NumberAt(text, prefix.length);
        parsed.found = true;
        break;
    }
    return parsed;
}

bool HotkeyDisplayText(std::wstring_view text, std::wstring& display) {
    text = text.substr(0, kHotkeyTextLimit);
    const std::size_t plus = text.find(L'+');
    if (plus == std::wstring_view::npos) return false;
    const int code = NumberAt(text, plus + 1);
    display.assign(text.substr(0, plus + 1));
    if (code > 0 && code <= 0xFFFF) display += static_cast<wchar_t>(code);
    return true;
}
