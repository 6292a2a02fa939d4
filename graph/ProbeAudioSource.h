#pragma once
// The audio setup's test of the device named by "Audio Source": the device
// and a "WAV Dest" file writer are added to the recording graph and the
// device's first output pin is connected to the writer. That pin's name
// becomes "Audio Output" and the settings are written. What was added stays
// in the graph until the graph is reset.

// True when the connection was made and the settings written; false after
// the failure's message.
bool ProbeAudioSource();
