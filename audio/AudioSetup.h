#pragma once
// The "Audio Setup" dialog (template 427), opened modally.

#include "framework/ui/Wnd.h"

// required: the setup is marked as required (dual audio without a second
// source) before the dialog opens. recorder: the recorder window, minimised
// and restored with the dialog (may be null). owner: the window the dialog
// is modal over, the recorder when null (the setup dialog that opens it).
void OpenAudioSetup(bool required, CWnd* recorder, CWnd* owner = nullptr);

// Whether an opening marked the setup as required.
bool AudioSetupRequired();
