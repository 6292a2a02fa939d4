#include "audio/AudioSetup.h"

// Not built yet: the dialog does not open.
void OpenAudioSetup(bool) {}
