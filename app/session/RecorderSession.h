#pragma once
// The program's one recording session, wired to the real recording graph,
// the recorder window, Win32 and the other parts of the recorder.

#include "app/session/RecordingSession.h"

RecordingSession& TheSession();
