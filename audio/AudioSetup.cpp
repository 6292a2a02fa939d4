#include "audio/AudioSetup.h"

#include "audio/AudioTestDlg.h"
#include "audio/Win32AudioSetupSystem.h"
#include "settings/SetupDlg.h"

namespace {
bool g_required = false;
}  // namespace

void OpenAudioSetup(bool required, CWnd* recorder, CWnd* owner) {
    if (required) g_required = true;
    Win32AudioSetupSystem system(CheckSetupRecordAudio);
    AudioTestDlg dialog(system, recorder ? recorder->m_hWnd : nullptr, owner ? owner : recorder);
    dialog.DoModal();
}

bool AudioSetupRequired() { return g_required; }
