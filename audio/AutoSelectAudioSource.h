#pragma once
// The automatic choice of a DirectShow audio source when the settings name
// none: the first audio capture device, its first output pin, and the input
// line that carries what the speakers play (KeywordSelection.h). The choice
// goes into "Audio Source", "Audio Output" and "Audio Input" and is written
// to the settings file. GUI thread only; messages through ShowMessage.

// 1 when a source was chosen and written (and, where the user was asked,
// confirmed); 0 otherwise. The fields set before a failing step stay set in
// Settings but are not written.
int AutoSelectAudioSource();
