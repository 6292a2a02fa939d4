#pragma once
// The answer to the missing audio device's question, kept for one recording:
// the recording graph sets it and reads it through graph/RecordingOutput.h,
// the session clears it when a recording begins. The settings never hold it,
// so a settings write during or after the recording cannot make it last.
// GUI thread only.

// Forgets the answer given for an earlier recording.
void ClearVideoOnlyChoice();
