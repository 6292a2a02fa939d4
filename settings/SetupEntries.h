#pragma once
// What the setup dialog makes of the two boxes the user types into: the
// recording duration ("hh:mm:ss", empty for no limit) and the start/stop
// hotkey ("ALT+Z", "SHIFT+Z", "CTRL+Z"). Portable; SetupDlg shows the
// questions and stores the results.

#include <string>
#include <string_view>

// The duration box read.
struct DurationEntry {
    // The text is neither empty, 8 characters long nor has a ":": the
    // dialog says "Incorrect time format. Use hh:mm:ss or leave the box
    // blank." and stays.
    bool malformed = false;
    // Seconds: hours x 3600 + minutes x 60 + seconds from the numbers before
    // and between the two colons; 0 for an empty box; -1 when the text has
    // another number of colons than two.
    int seconds = 0;
    // Above 24 hours or -1: the dialog asks before storing the value.
    bool ask = false;
};
DurationEntry ReadDurationEntry(std::wstring_view text);

// The hotkey box read.
struct HotkeyEntry {
    // The "Hotkey" setting to store: "ALT+%d", "SHIFT+%d" or "CTRL+%d".
    std::wstring hotkey;
    // No modifier or a key outside A to Z: the dialog asks first; Yes stores
    // hotkey (the entered combination when it names a key, else the default
    // SHIFT+90), No stays in the dialog.
    bool ask = false;
};
HotkeyEntry ReadHotkeyEntry(std::wstring_view text);
