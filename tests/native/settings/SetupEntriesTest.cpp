// The setup dialog's duration and hotkey boxes as typed: the values stored
// and when the dialog says the text is wrong or asks first.

#include <gtest/gtest.h>

#include <string>

#include "settings/SetupEntries.h"

namespace {

TEST(DurationEntry, SecondsAndWhenToAsk) {
    const struct {
        const wchar_t* text;
        bool malformed;
        int seconds;
        bool ask;
    } cases[] = {
        {L"", false, 0, false},
        {L"01:30:00", false, 5400, false},
        {L"00:00:05", false, 5, false},
        {L"24:00:00", false, 86400, false},
        {L"24:00:01", false, 86401, true},
        {L"25:00:00", false, 90000, true},
        {L"1:30", false, -1, true},
        {L"12345678", false, -1, true},
        {L"1:2:3:4", false, -1, true},
        {L"90", true, 0, false},
        {L"abc", true, 0, false},
        {L"1:x:5", false, 3605, false},
        {L"99999999:00:00", false, 0x7FFFFFFF, true},
    };
    for (const auto& c : cases) {
        const DurationEntry entry = ReadDurationEntry(c.text);
        EXPECT_EQ(entry.malformed, c.malformed) << c.text;
        EXPECT_EQ(entry.seconds, c.seconds) << c.text;
        EXPECT_EQ(entry.ask, c.ask) << c.text;
    }
}

TEST(HotkeyEntry, StoredTextAndWhenToAsk) {
    const struct {
        const wchar_t* text;
        const wchar_t* hotkey;
        bool ask;
    } cases[] = {
        {L"alt+q", L"ALT+81", false},  {L"CTRL+K", L"CTRL+75", false},    {L"Shift+z", L"SHIFT+90", false},
        {L"WIN+K", L"SHIFT+90", true}, {L"ALT+1", L"ALT+49", true},       {L"ALT+", L"SHIFT+90", true},
        {L"", L"SHIFT+90", true},      {L"CTRL+ALT+X", L"ALT+88", false},
    };
    for (const auto& c : cases) {
        const HotkeyEntry entry = ReadHotkeyEntry(c.text);
        EXPECT_EQ(entry.hotkey, c.hotkey) << c.text;
        EXPECT_EQ(entry.ask, c.ask) << c.text;
    }
    // Only the first 50 characters are looked at.
    EXPECT_EQ(ReadHotkeyEntry(std::wstring(50, L' ') + L"ALT+Q").hotkey, L"SHIFT+90");
    EXPECT_EQ(ReadHotkeyEntry(std::wstring(45, L' ') + L"ALT+Q").hotkey, L"ALT+81");
}

}  // namespace
