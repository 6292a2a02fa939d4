#pragma once
// The "Audio Setup" dialog (template 427), opened modally.

// required: the setup is marked as required (dual audio without a second
// source) before the dialog opens.
void OpenAudioSetup(bool required);
