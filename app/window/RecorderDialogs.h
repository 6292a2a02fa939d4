#pragma once
// What the recorder hands the dialogs that live outside the application
// shell: the recordings browser and the setup dialog get the session's
// state, the recorder window and the preview through these.

#include "browser/ViewDlg.h"
#include "settings/SetupDlg.h"

BrowserContext BrowserOfRecorder();
SetupHooks SetupOfRecorder();
// Nothing is reset while a search, a manual marking or a recording is under
// way: the setup dialog's reset and the recorder's own ask this.
bool RestoreDefaultsBlocked();
