#pragma once
// Resource ids of the "Audio Setup" dialog (resources/audiosetup.rc
// includes this file).

#define IDD_AUDIO_SETUP 427
#define IDC_AUDIO_INSTRUCTION 1244
#define IDC_AUDIO_WINDOWS_SOUND 3
#define IDC_AUDIO_SPEAKERS 1108
#define IDC_AUDIO_MICROPHONE 1107
#define IDC_AUDIO_SOURCES 9
#define IDC_AUDIO_INPUTS 1031
#define IDC_AUDIO_REFRESH 4
#define IDC_AUDIO_SOURCES_LABEL 1245
#define IDC_AUDIO_INPUTS_LABEL 1246
