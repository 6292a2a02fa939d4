// The recorder window's commands: buttons, menus and the registered
// messages other components post to it.

#include <windows.h>

#include <shellapi.h>

#include <cwchar>

#include "app/DeferredInit.h"
#include "app/MainWindow.h"
#include "app/services/CaptureRegionSetting.h"
#include "app/services/Environment.h"
#include "app/services/EnvironmentProbes.h"
#include "app/services/ShowMessage.h"
#include "app/session/OutputNaming.h"
#include "app/session/RecorderSession.h"
#include "app/tracking/Tracking.h"
#include "app/window/RecorderDialogs.h"
#include "app/window/WinDlg.h"
#include "browser/ViewDlg.h"
#include "graph/ClonePreview.h"
#include "region/MarkWindow.h"
#include "region/MotionSearch.h"
#include "resources/resource.h"
#include "settings/SettingsFile.h"
#include "settings/SettingsText.h"
#include "settings/SetupDlg.h"

namespace {

// The addresses behind "Web &Help" and "&Web Site".
constexpr wchar_t kWebHelp[] = L"https://www.telvane.com/guide";
constexpr wchar_t kWebSite[] = L"https://www.telvane.com";

bool Recording() { return TheSession().State().Recording; }

void Open(const std::wstring& what) {
    ::ShellExecuteW(nullptr, L"open", what.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

void CloseSetupDialog() {
    if (HWND setup = SetupDialogWindow()) ::SendMessageW(setup, WM_CLOSE, 0, 0);
}

void RestoreFrame() {
    if (MainWindow* frame = TheMainWindow()) frame->ShowWindow(SW_RESTORE);
}

}  // namespace

void WinDlg::StorePosition(int x, int y) {
    wchar_t position[32];
    std::swprintf(position, 32, L"%d,%d", x, y);
    CopyText(Settings.Position, position);
    WriteSettings();
}

void WinDlg::SwitchLayout() {
    if (ShowMessage(L"Telvane will close after this.\n\nContinue?", MB_YESNO) != IDYES) return;
    Settings.MiniClone = Settings.MiniClone ? 0 : 1;
    WriteSettings();
    CloseProgram();
}

void WinDlg::OnRecord() { TheSession().ToggleRecording(); }

void WinDlg::OnPause() { TheSession().TogglePause(); }

void WinDlg::OnSettings() {
    if (Recording() || SearchState() != kSearchIdle) return;
    OpenSetupDialog(SetupOfRecorder());
}

void WinDlg::OnPlay() {
    CloseSetupDialog();
    if (Recording()) return;
    if (!LastRecording[0]) {
        OpenRecordingsBrowser(BrowserOfRecorder());
        return;
    }
    const std::wstring quoted = L"\"" + std::wstring(TextOf(LastRecording)) + L"\"";
    Open(quoted);
}

void WinDlg::OnViewRecordings() {
    if (SearchState() != kSearchIdle) return;
    OpenRecordingsBrowser(BrowserOfRecorder());
}

void WinDlg::OnMark() {
    if (!Recording()) MarkAction();
}

void WinDlg::MarkAction() {
    CloseSetupDialog();
    if (!Settings.ShowVideo) ShowInfoText(L"");
    if (MotionSearchRunning()) {
        TheSession().ShowStatus(L" Search in progress...");
        ShowInfoText(L"\r\nTelvane is currently searching for a motion video. Click GetVideo to stop the search");
    } else if (SearchState() == kSearchMarked && MarkingWindowExists()) {
        CloseMarkingWindow();
        SetSearchState(kSearchIdle);
    } else {
        SetSearchState(kSearchBusy);
        OpenOrToggleMarking();
    }
}

void WinDlg::OnGetVideo() {
    if (Recording()) return;
    if (MotionSearchRunning()) {
        RequestSearchCancel();
        return;
    }
    if (SearchState() == kSearchMarked && MarkingWindowExists()) {
        CloseMarkingWindow();
        SetSearchState(kSearchIdle);
        return;
    }
    for (const wchar_t* title : {L"Zorv Recorder", L"Zorv Capture"})
        if (HWND other = ::FindWindowW(nullptr, title)) ::ShowWindow(other, SW_MINIMIZE);
    if (!TrackedTitleText().empty()) DropTrackedWindowLayering();
    SetSearchState(kSearchBusy);
    StopTracking();
    StopClonePreview();
    ShowInfoText(
        L"Begin playing your video. Telvane uses motion detection to find videos on your screen. Static "
        L"images are not detected.");
    TheSession().ShowStatus(L" Searching...Start your video now. Click Search to cancel.");
    ClearLastSearchResult();
    Settings.FullScreen = 0;
    FitTrackedWindowOnDisplay();
    StartMotionSearch();
}

void WinDlg::OnExit() { CloseProgram(); }

void WinDlg::OnMinimise() { MinimiseToFrame(); }

void WinDlg::OnShowClonedVideo() {
    ShowMessage(L"showVideo=" + std::to_wstring(Settings.ShowVideo));
    if (Settings.ShowVideo) {
        // The stop acts only while the setting is on: stop first.
        StopClonePreview();
        Settings.ShowVideo = 0;
    } else {
        Settings.ShowVideo = 1;
        BuildClonePreview();
    }
    WriteSettings();
    UpdateMenuChecks();
}

void WinDlg::OnFullScreen() {
    if (Settings.FullScreen) {
        Settings.FullScreen = 0;
        SetCaptureRegion({100, 100, 800, 600});
    } else {
        const Environment& env = Env();
        Settings.FullScreen = 1;
        Settings.AutoMark = 0;
        ScreenRect r = env.DesktopRect;
        if (env.DisplayCount > 1) {
            if (Settings.Monitor == 1) {
                r = env.Display1Rect;
            } else {
                r = env.Display2Rect;
                Settings.FullScreen = 2;
            }
        }
        // The capture filter does not take an edge at exactly 0.
        if (r.left == 0) {
            if (r.right > 0) {
                r.left = -1;
                r.right -= 1;
            } else {
                r.left = 1;
                r.right += 1;
            }
        }
        if (r.top == 0) {
            r.top = -1;
            r.bottom -= 1;
        }
        SetCaptureRegion(r);
        WriteSettings();
        MarkAction();
        WaitPumping(2000);
        CloseMarkingWindow();
    }
    WriteSettings();
    UpdateMenuChecks();
}

void WinDlg::OnResetMarkers() {
    Settings.FullScreen = 0;
    SetCaptureRegion({200, 200, 800, 600});
    WriteSettings();
    if (!Recording()) MarkAction();
}

void WinDlg::OnRestoreDefaults() {
    if (RestoreDefaultsBlocked()) return;
    if (RestoreDefaults()) CloseProgram();
}

void WinDlg::OnOpenZorvBrowser() { Open(std::wstring(TextOf(AppDataFolder)) + L"\\ZorvBrowser\\zorvbrowser.exe"); }

void WinDlg::OnOpenBrowser() {
    if (Settings.SetTopWindow && TrackedTitleText().empty()) AdoptLastClickedWindow();
    wchar_t browser[MAX_PATH] = {};
    const HINSTANCE found = ::FindExecutableW(L".\\test.htm", nullptr, browser);
    if (reinterpret_cast<INT_PTR>(found) > 32 && browser[0])
        ::ShellExecuteW(nullptr, L"open", browser, nullptr, nullptr, SW_SHOWNORMAL);
}

void WinDlg::OnShowMainWindow() { BringTrackedWindowToTop(); }

void WinDlg::OnFrontWindow() {
    const std::wstring title = LastClickedTitleText();
    TheSession().ShowStatus(title.empty() ? L"No window is currently selected (clicked)..." : title);
}

void WinDlg::OnMarkedWindow() {
    const std::wstring title = TrackedTitleText();
    TheSession().ShowStatus(title.empty() ? L"No window is currently marked..." : title);
}

void WinDlg::OnLocalHelp() {
    if (SearchState() == kSearchIdle) Open(L".\\kq_user_guide.html");
}

void WinDlg::OnWebHelp() { Open(kWebHelp); }

void WinDlg::OnWebSite() { Open(kWebSite); }

LRESULT WinDlg::OnQuorraMessage(WPARAM code, LPARAM) {
    if (code == 700) return 1;
    StartTracking();
    if (code == 707) {
        if (!m_small && !ClonePreviewRunning()) Invalidate(false);
    } else if (code == 777) {
        RestoreFrame();
        TheSession().ShowStatus(L"Motion video detected. Click Accept in the video window...");
        if (!Settings.ShowVideo) ShowInfoText(L"Motion video detected. Click the marked window to exit search.");
        SetCaptureRegion(DetectedRegion());
        WriteSettings();
        OfferDetectedRegion();
    } else if (code == 1111) {
        RestoreFrame();
        const SearchEnd end = LastSearchEnd();
        TheSession().ShowStatus(end == SearchEnd::Cancelled ? L"Search canceled..."
                                : end == SearchEnd::Error   ? L"Error detecting video"
                                                            : L"Search stopped. No motion video detected.");
        SetSearchState(kSearchIdle);
        ::MessageBeep(MB_OK);
        ShowInfoText(
            L"No motion video was detected. Play your video then click Get Video again.\r\nOr click Mark "
            L"Video to manually mark the video window.");
    }
    return 0;
}

LRESULT WinDlg::OnPushMessage(WPARAM, LPARAM) { return 0; }

LRESULT WinDlg::OnRecordStopMessage(WPARAM, LPARAM) { return 1; }
