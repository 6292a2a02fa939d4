#pragma once
// Checks of the speakers' and the microphone's formats before recording,
// with the fixes offered to the user, and the second source of a dual-audio
// recording; over the system's endpoints and the recorder's message box.
// The decisions are in EndpointChecks.h; the rates found in EndpointRates.h.

// 1 when the speakers passed every step at a supported rate; otherwise the
// last result code (callers rely on the messages shown).
int CheckSpeakersFormat();

// The same for the microphone; runs after CheckSpeakersFormat.
int CheckMicrophoneFormat();

// Prepares the second source of a dual-audio recording by name ("Audio
// Source1"): finds the capture endpoint whose name contains it, keeps its
// position and unmutes it. 1 on success, 0 after an error message.
int SetupSecondSource(const wchar_t* name);
