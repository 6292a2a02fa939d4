#include "app/window/RecorderDialogs.h"

#include "app/DeferredInit.h"
#include "app/MainWindow.h"
#include "app/Startup.h"
#include "app/services/Environment.h"
#include "app/services/EnvironmentProbes.h"
#include "app/session/Hotkeys.h"
#include "app/session/RecorderSession.h"
#include "app/window/VideoDlg.h"
#include "app/window/WinDlg.h"
#include "audio/AudioSetup.h"
#include "graph/ClonePreview.h"
#include "region/MarkWindow.h"
#include "region/MotionSearch.h"
#include "settings/MonitorDlg.h"

namespace {

// The help commands open the guide beside the program until the product
// has pages of its own on the web.
constexpr wchar_t kLocalGuide[] = L".\\kq_user_guide.html";

bool Recording() { return TheSession().State().Recording; }

RECT RectOf(const ScreenRect& r) { return RECT{r.left, r.top, r.right, r.bottom}; }

MonitorDisplays ScannedDisplays() {
    RefreshDisplays();
    const Environment& env = Env();
    const StartupState& startup = Startup();
    MonitorDisplays displays;
    displays.count = env.DisplayCount;
    displays.desktop = env.DesktopRect;
    displays.display2 = env.Display2Rect;
    displays.display2Work = env.Display2WorkRect;
    displays.physicalWidth1 = startup.Launcher.x1;
    displays.physicalHeight1 = startup.Launcher.y1;
    displays.physicalWidth2 = startup.Launcher.w2;
    displays.scale1 = startup.DisplayScale1;
    displays.scale2 = startup.DisplayScale2;
    displays.notWindows7 = env.NotWindows7;
    return displays;
}

// The recorder window shows the new region and checks.
void RefreshRecorder() {
    WinDlg* recorder = RecorderWindow();
    if (!recorder || !recorder->m_hWnd) return;
    recorder->UpdateMenuChecks();
    recorder->Invalidate(false);
    if (Settings.ShowVideo) BuildClonePreview();
}

void RestartPreview() {
    StopClonePreview();
    BuildClonePreview();
}

}  // namespace

BrowserContext BrowserOfRecorder() {
    BrowserContext context;
    context.recordingPath = [] { return Recording() ? TheSession().State().OutputPath : std::wstring(); };
    context.stopPreview = StopClonePreview;
    return context;
}

bool RestoreDefaultsBlocked() { return MotionSearchRunning() || MarkingWindowExists() || Recording(); }

SetupHooks SetupOfRecorder() {
    SetupHooks hooks;
    hooks.reRegisterHotkey = [] { RegisterRecordHotkey(false); };
    hooks.rescaleInterface = [](int scale) {
        WaitPumping(250);
        if (MainWindow* frame = TheMainWindow()) frame->RescaleInterface(scale);
    };
    hooks.openVideoSettings = [](CWnd* owner) {
        VideoDlg dialog(owner);
        dialog.DoModal();
    };
    hooks.openAudioSetup = [](CWnd* owner) { OpenAudioSetup(false, RecorderWindow(), owner); };
    hooks.refreshMainWindow = RefreshRecorder;
    hooks.startPreview = [] { BuildClonePreview(); };
    hooks.stopPreview = StopClonePreview;
    hooks.refreshDisplays = [](RECT& display1, RECT& display2) {
        const MonitorDisplays displays = ScannedDisplays();
        display1 = RectOf(Env().Display1Rect);
        display2 = RectOf(displays.display2);
    };
    hooks.selectMonitor = [] {
        MonitorHooks monitor;
        monitor.refreshDisplays = ScannedDisplays;
        monitor.restartPreview = [] {
            if (Settings.ShowVideo) RestartPreview();
        };
        monitor.refreshMainWindow = RefreshRecorder;
        SelectMonitor(ScannedDisplays(), monitor, RecorderWindow());
    };
    hooks.openBrowser = [] { OpenRecordingsBrowser(BrowserOfRecorder()); };
    hooks.searching = [] { return MotionSearchRunning() || SearchState() != kSearchIdle || MarkingWindowExists(); };
    hooks.restoreBlocked = RestoreDefaultsBlocked;
    hooks.closeProgram = CloseProgram;
    hooks.windowsVersion = Env().VersionText;
    hooks.guide = hooks.support = hooks.website = kLocalGuide;
    return hooks;
}
