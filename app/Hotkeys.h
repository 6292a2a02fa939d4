#pragma once
// The global start/stop hotkey (the "Hotkey" setting, e.g. "SHIFT+90").

// Parses the setting (the default when it cannot be parsed) and registers it
// on the recorder window.
void RegisterRecordHotkey();

// Unregisters it (id 0) when the program closes.
void UnregisterRecordHotkey();
