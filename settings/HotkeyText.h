#pragma once
// The "Hotkey" setting's text: a modifier prefix and a decimal virtual-key
// code with no blanks, "ALT+%d", "SHIFT+%d" or "CTRL+%d" ("SHIFT+90" is
// Shift+Z, the default). Portable; the registration lives in Hotkeys.h.

#include <cstddef>
#include <string>
#include <string_view>

// Modifier values as RegisterHotKey takes them (MOD_ALT, MOD_CONTROL,
// MOD_SHIFT).
constexpr unsigned kHotkeyAlt = 0x0001;
constexpr unsigned kHotkeyControl = 0x0002;
constexpr unsigned kHotkeyShift = 0x0004;

// The setting holds at most this many characters.
constexpr std::size_t kHotkeyTextLimit = 99;

// The text written when the setting cannot be parsed.
inline constexpr wchar_t kDefaultHotkeyText[] = L"SHIFT+90";
constexpr unsigned kDefaultHotkeyModifier = kHotkeyShift;
constexpr int kDefaultHotkeyCode = 90;

struct ParsedHotkey {
    unsigned modifier = 0;  // one of kHotkeyAlt, kHotkeyShift, kHotkeyControl
    int code = 0;           // virtual-key code
    bool found = false;
};

// Tests, in this order and case-sensitively, whether the text (its first 99
// characters) contains "ALT+", "SHIFT+" or "CTRL+" anywhere; the first found
// gives the modifier, and the code is the decimal number that starts at the
// fifth, seventh or sixth character of the text (the length of that prefix),
// 0 when there is none. None of them: not found.
ParsedHotkey ParseHotkey(std::wstring_view text);

// The text shown to the user: the setting (first 99 characters) up to and
// including its first "+", followed by the character whose code is the
// number behind the "+" ("SHIFT+90" -> "SHIFT+Z"). False, and `display`
// untouched, when the text has no "+". A number that is no character (0,
// negative, beyond 0xFFFF) adds nothing.
bool HotkeyDisplayText(std::wstring_view text, std::wstring& display);
