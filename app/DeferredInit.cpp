#include "app/DeferredInit.h"

#include <objbase.h>

#include "app/Startup.h"
#include "app/services/Environment.h"
#include "app/services/EnvironmentProbes.h"
#include "app/services/ShowMessage.h"
#include "app/session/Hotkeys.h"
#include "app/session/RecorderSession.h"
#include "app/tracking/Tracking.h"
#include "app/window/ThemeSwitch.h"
#include "app/window/WinDlg.h"
#include "audio/AudioSetup.h"
#include "audio/EndpointFormats.h"
#include "graph/ClonePreview.h"
#include "graph/ClonePreviewState.h"
#include "graph/RecordingGraph.h"
#include "resources/resource.h"
#include "settings/SettingsFile.h"
#include "settings/SettingsText.h"

namespace {

bool g_comInitialized = false;

// Steps whose failures end the initialisation proper early; the rest of
// start-up goes on after any of them.
void InitialiseComAndSettings(WinDlg& recorder) {
    RefreshDisplays();
    HICON icon = ::LoadIconW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_TELVANE));
    recorder.SendMessage(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));

    if (FAILED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {
        ShowMessage(L"Cannot initialize COM. Make sure you have DirectX 9 or higher installed. Cannot continue.");
        return;
    }
    g_comInitialized = true;
    if (FAILED(CreateAllGraphs())) {
        ShowMessage(L"Cannot Initialize DirectX");
        return;
    }
    if (!ReadSettings()) {
        ShowMessage(std::wstring(L"Cannot open file ") + SettingsPath);
        return;
    }
    if (Env().VistaOrLater) {
        if (Settings.VistaAudio == 2) {
            CopyText(Settings.AudioSource, L"Sonark5");
            CopyText(Settings.AudioOutput, L"Out");
            Settings.VideoOnly = 0;
            Settings.AudioOnly = 0;
            WriteSettings();
        }
        if (Settings.VistaAudio != 0 && Settings.AudioSource[0] && Settings.AudioSource1[0]) {
            CheckSpeakersFormat();
            CheckMicrophoneFormat();
        }
    } else {
        Settings.VistaAudio = 0;
    }
}

}  // namespace

void DeferredInit(WinDlg& recorder) {
    StartupState& startup = Startup();
    recorder.StopRecorderTimer();
    startup.DeferredInitDone = true;

    InitialiseComAndSettings(recorder);
    ::RedrawWindow(recorder.m_hWnd, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE);

    if (Settings.DualAudio) {
        SetupSecondSource(Settings.AudioSource1);
        if (!Settings.AudioSource1[0]) OpenAudioSetup(false, &recorder);
    }

    RegisterRecordHotkey();

    Settings.SetTopWindow = 1;
    StartTracking();

    const Environment& env = Env();
    if (Settings.Basic && env.VistaOrLater) {
        StartBasicThemeHelper();
    } else if (env.VistaOrLater && !env.NotWindows7 && !Settings.Basic && !Settings.Install) {
        ShowMessage(
            L"In order to improve the quality of recorded video Telvane will now use the Windows Basic theme. Your "
            L"screen may flicker for a moment. You can disable this from Settings.\n\nClick OK to continue");
        StartBasicThemeHelper();
        Settings.Install = 1;
        Settings.Basic = 1;
        WriteSettings();
    }

    WaitPumping(500);
    BuildClonePreview();

    if (Settings.DualAudio) {
        if (Settings.AudioSource1[0])
            SetupSecondSource(Settings.AudioSource1);
        else
            OpenAudioSetup(true, &recorder);
    }

    recorder.StartRecorderTimer();
}

void CloseProgram() {
    StartupState& startup = Startup();
    if (startup.Closing) return;
    const bool recording = TheSession().State().Recording;
    if (recording && ShowMessage(L"Recording is active. Would you like to close program now?", MB_YESNO) == IDNO)
        return;

    if (WinDlg* recorder = RecorderWindow()) recorder->StopRecorderTimer();
    startup.Closing = true;
    UnregisterRecordHotkey();
    StopTracking();
    if (ClonePreview().mediaControl2) StopClonePreview();
    if (RecordingGraphExists() && recording) {
        StopRecordingGraph();
        DestroyRecordingGraph();
    }
    if (g_comInitialized) ::CoUninitialize();
    ::ExitProcess(0);
}

void CloseProgramWithoutAsking() {
    TheSession().State().Recording = false;
    CloseProgram();
}
