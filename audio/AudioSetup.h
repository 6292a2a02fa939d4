#pragma once
// The "Audio Setup" dialog (template 427), opened modally.

#include "framework/ui/Wnd.h"

// required: the setup is marked as required (dual audio without a second
// source) before the dialog opens. recorder: the dialog's owner, minimised
// and restored with it (may be null).
void OpenAudioSetup(bool required, CWnd* recorder);

// Whether an opening marked the setup as required.
bool AudioSetupRequired();
