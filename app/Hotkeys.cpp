#include "app/Hotkeys.h"

// Not built yet: no hotkey is registered.

void RegisterRecordHotkey() {}

void UnregisterRecordHotkey() {}
