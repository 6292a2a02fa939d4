#pragma once
// The global start/stop hotkey (the "Hotkey" setting, e.g. "SHIFT+90"),
// registered as id 0 on the recorder window.

// Parses the setting (the default, written back, when it cannot be parsed)
// and registers it; "Cannot register hotkey %s" when the system refuses,
// unless reportFailure is false (the setup dialog's OK).
void RegisterRecordHotkey(bool reportFailure = true);

// Unregisters it (id 0) when the program closes.
void UnregisterRecordHotkey();
