#pragma once
// The program's one recording session, wired to the real recording graph,
// the recorder window, Win32 and the other parts of the recorder.

#include <windows.h>

#include "app/session/RecordingSession.h"

// What the recording graph posts to the recorder window when events wait.
constexpr UINT kGraphNoticeMessage = WM_APP + 0x51;

RecordingSession& TheSession();
