#pragma once
// Checks of the speakers' and the microphone's formats before recording,
// with the fixes offered to the user.

// 1 when the speakers passed every step at a supported rate; otherwise the
// last result code (callers rely on the messages shown).
int CheckSpeakersFormat();

// The same for the microphone; runs after CheckSpeakersFormat.
int CheckMicrophoneFormat();

// Prepares the second source of a dual-audio recording by name ("Audio
// Source1"); 1 on success, 0 after an error message.
int SetupSecondSource(const wchar_t* name);
