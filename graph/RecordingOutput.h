#pragma once
// What the recording graph reads of the recording it builds (app/session
// answers): the file it goes to, and whether it goes without sound.

// The path output naming chose for this recording, handed to the ASF writer.
const wchar_t* RecordingOutputPath();

// True when this recording leaves the sound out: "Video Only" is set, or the
// user chose video only for this recording when its audio device was missing.
bool RecordingVideoOnly();

// The user's Yes to recording video only when the audio device is missing.
// It holds for the recording being built and never reaches the settings, so
// the next recording asks again.
void ChooseVideoOnlyForThisRecording();
