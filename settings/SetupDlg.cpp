#include "settings/SetupDlg.h"

// shellapi.h and shlobj.h need windows.h before them.
#include <shellapi.h>
#include <shlobj.h>

#include <cwchar>
#include <utility>

#include "framework/base/LeadingInt.h"
#include "framework/ui/Controls.h"
#include "settings/HotkeyText.h"
#include "settings/MonitorPlacement.h"
#include "settings/SettingsFile.h"
#include "settings/SettingsSystem.h"
#include "settings/SettingsText.h"
#include "settings/SetupDlgIds.h"
#include "settings/SetupEntries.h"
#include "settings/SetupOptions.h"

namespace {

SetupDlg* g_setup = nullptr;

// The two text boxes take at most this many characters.
constexpr UINT kBoxLimit = 100;
constexpr int kMinScale = 100;
constexpr int kMaxScale = 250;
constexpr wchar_t kVersion[] = L"2.4 - 02.27.17";

void Call(const std::function<void()>& hook) {
    if (hook) hook();
}

int Ask(const std::wstring& text) { return CurrentSettingsSystem().ShowMessage(text, MessageButtons::YesNo); }
void Tell(const std::wstring& text) { CurrentSettingsSystem().ShowMessage(text, MessageButtons::Ok); }

ScreenRect ScreenRectOf(const RECT& r) { return {r.left, r.top, r.right, r.bottom}; }

// The folder picker opens at the current folder.
int CALLBACK StartAtFolder(HWND picker, UINT message, LPARAM, LPARAM folder) {
    if (message == BFFM_INITIALIZED) ::SendMessageW(picker, BFFM_SETSELECTIONW, TRUE, folder);
    return 0;
}

}  // namespace

BEGIN_MESSAGE_MAP(SetupDlg, CDialog)
ON_BN_CLICKED(IDC_SETUP_RECORD_VIDEO, OnRecordVideo)
ON_BN_CLICKED(IDC_SETUP_RECORD_AUDIO, OnRecordAudio)
ON_BN_CLICKED(IDC_SETUP_VIDEO_SETTINGS, OnVideoSettings)
ON_BN_CLICKED(IDC_SETUP_AUDIO_SETUP, OnAudioSetup)
ON_BN_CLICKED(IDC_SETUP_ALT, OnAlt)
ON_BN_CLICKED(IDC_SETUP_SHIFT, OnShift)
ON_BN_CLICKED(IDC_SETUP_CTRL, OnCtrl)
ON_COMMAND_RANGE(ID_SETUP_SELECT_MONITOR, ID_SETUP_ABOUT, OnMenuCommand)
END_MESSAGE_MAP()

SetupDlg::SetupDlg(SetupHooks hooks) : CDialog(IDD_SETUP), m_hooks(std::move(hooks)) {}

BOOL SetupDlg::OnInitDialog() {
    const SetupContents contents = ReadSetupContents(Settings);
    CEdit duration(*this, IDC_SETUP_DURATION);
    duration.SetLimitText(kBoxLimit);
    duration.SetWindowText(contents.duration);
    SetDlgItemText(IDC_SETUP_SCALE, contents.scale);
    SetBoxes(contents.boxes.video, contents.boxes.audio);
    CEdit hotkey(*this, IDC_SETUP_HOTKEY);
    hotkey.SetLimitText(kBoxLimit);
    std::wstring shown(TextOf(Settings.Hotkey));
    HotkeyDisplayText(TextOf(Settings.Hotkey), shown);
    hotkey.SetWindowText(shown);
    SetDlgItemText(IDC_SETUP_WINDOWS, m_hooks.windowsVersion);
    SetDlgItemText(IDC_SETUP_VERSION, std::wstring(L"Telvane version: ") + kVersion);
    UpdateMenuChecks();
    return TRUE;
}

void SetupDlg::PostNcDestroy() {
    if (g_setup == this) g_setup = nullptr;
    delete this;
}

void SetupDlg::SetBoxes(bool video, bool audio) {
    CheckDlgButton(IDC_SETUP_RECORD_VIDEO, video ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(IDC_SETUP_RECORD_AUDIO, audio ? BST_CHECKED : BST_UNCHECKED);
}

void SetupDlg::OnRecordVideo() {
    const RecordBoxes now{IsDlgButtonChecked(IDC_SETUP_RECORD_VIDEO) == BST_CHECKED,
                          IsDlgButtonChecked(IDC_SETUP_RECORD_AUDIO) == BST_CHECKED};
    const RecordBoxes next = ClickRecordVideo(now);
    SetBoxes(next.video, next.audio);
}

void SetupDlg::OnRecordAudio() {
    const RecordBoxes now{IsDlgButtonChecked(IDC_SETUP_RECORD_VIDEO) == BST_CHECKED,
                          IsDlgButtonChecked(IDC_SETUP_RECORD_AUDIO) == BST_CHECKED};
    const RecordBoxes next = ClickRecordAudio(now);
    SetBoxes(next.video, next.audio);
}

void SetupDlg::OnVideoSettings() {
    if (m_hooks.openVideoSettings) m_hooks.openVideoSettings(this);
    WriteSettings();
}

void SetupDlg::OnAudioSetup() {
    if (m_hooks.openAudioSetup) m_hooks.openAudioSetup(this);
}

void SetupDlg::PutModifier(const wchar_t* modifier) {
    CEdit hotkey(*this, IDC_SETUP_HOTKEY);
    hotkey.SetWindowText(modifier);
    ::SetFocus(hotkey.m_hWnd);
    const int end = static_cast<int>(std::wcslen(modifier));
    hotkey.SetSel(end, end);
}

bool SetupDlg::StoreDuration() {
    const DurationEntry entry = ReadDurationEntry(GetDlgItemText(IDC_SETUP_DURATION));
    if (entry.malformed) {
        Tell(L"Incorrect time format. Use hh:mm:ss or leave the box blank.");
        return false;
    }
    if (entry.ask && Ask(L"Recording time is greater than 24 hours or incorrect time format.\n\nContinue?") != IDYES)
        return false;
    Settings.MaxFileTime = entry.seconds;
    // The session compares the elapsed time with this text.
    DurationText[0] = L'\0';
    if (Settings.MaxFileTime > 0) FormatDuration(Settings.MaxFileTime);
    return true;
}

bool SetupDlg::StoreHotkey() {
    const HotkeyEntry entry = ReadHotkeyEntry(GetDlgItemText(IDC_SETUP_HOTKEY));
    if (entry.ask && Ask(L"Invalid hotkey string (ex: ALT+Z).\n\nClick NO if you like to return or YES to continue "
                         L"with the default hotkey SHIFT+Z") != IDYES)
        return false;
    CopyText(Settings.Hotkey, entry.hotkey);
    return true;
}

void SetupDlg::OnOK() {
    if (!StoreDuration() || !StoreHotkey()) return;
    const RecordBoxes stored =
        StoreRecordingParts(Settings, RecordBoxes{IsDlgButtonChecked(IDC_SETUP_RECORD_VIDEO) == BST_CHECKED,
                                                  IsDlgButtonChecked(IDC_SETUP_RECORD_AUDIO) == BST_CHECKED});
    SetBoxes(stored.video, stored.audio);
    WriteSettings();
    Call(m_hooks.reRegisterHotkey);

    const int scale = LeadingInt(GetDlgItemText(IDC_SETUP_SCALE));
    if (scale < kMinScale || scale > kMaxScale) {
        Tell(L"Scale factor must between 100 and 250");
        return;
    }
    const std::function<void(int)> rescale = m_hooks.rescaleInterface;
    const bool rebuild = scale != Settings.Size;
    DestroyWindow();  // deletes this: only locals from here on
    if (rebuild && rescale) rescale(scale);
}

void SetupDlg::UpdateMenuChecks() {
    HMENU menu = ::GetMenu(m_hWnd);
    if (!menu) return;
    const SetupMenuChecks checks = MenuChecksOf(Settings);
    const std::pair<UINT, bool> marks[] = {
        {ID_SETUP_MAIN_WINDOW, checks.mainWindow},     {ID_SETUP_SMALL_WINDOW, checks.smallWindow},
        {ID_SETUP_MARKED_REGION, checks.markedRegion}, {ID_SETUP_FULL_SCREEN, checks.fullScreen},
        {ID_SETUP_CAPTURE_CURSOR, checks.cursor},      {ID_SETUP_SHOW_CLONED, checks.clonedVideo}};
    for (const auto& [id, checked] : marks)
        ::CheckMenuItem(menu, id, MF_BYCOMMAND | (checked ? MF_CHECKED : MF_UNCHECKED));
}

void SetupDlg::ChooseStorageFolder() {
    const std::wstring current(TextOf(Settings.RecordingFolder));
    BROWSEINFOW browse{};
    browse.hwndOwner = m_hWnd;
    browse.lpszTitle = L"Storage folder for the recordings";
    browse.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
    browse.lpfn = StartAtFolder;
    browse.lParam = reinterpret_cast<LPARAM>(current.c_str());
    PIDLIST_ABSOLUTE chosen = ::SHBrowseForFolderW(&browse);
    if (!chosen) return;
    wchar_t folder[MAX_PATH] = {};
    const bool named = ::SHGetPathFromIDListW(chosen, folder) != FALSE;
    ::CoTaskMemFree(chosen);
    if (!named || !folder[0]) return;
    if (!CopyText(Settings.RecordingFolder, folder)) {
        Tell(L"The folder path is too long");
        return;
    }
    WriteSettings();
}

void SetupDlg::OpenPage(const std::wstring& page) {
    if (m_hooks.searching && m_hooks.searching()) return;
    ::ShellExecuteW(nullptr, L"open", page.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

void SetupDlg::OnMenuCommand(UINT id) {
    switch (id) {
        case ID_SETUP_MAIN_WINDOW:
            ChooseCaptureSource(Settings, CaptureSource::MainWindow);
            break;
        case ID_SETUP_SMALL_WINDOW:
            ChooseCaptureSource(Settings, CaptureSource::SmallWindow);
            break;
        case ID_SETUP_MARKED_REGION:
            ChooseCaptureSource(Settings, CaptureSource::MarkedRegion);
            Call(m_hooks.refreshMainWindow);
            break;
        case ID_SETUP_RESET_MARKERS:
            ResetMarkers(Settings);
            Call(m_hooks.refreshMainWindow);
            break;
        case ID_SETUP_FULL_SCREEN: {
            RECT display1{}, display2{};
            if (m_hooks.refreshDisplays) m_hooks.refreshDisplays(display1, display2);
            ToggleSetupFullScreen(Settings, ScreenRectOf(display1), ScreenRectOf(display2));
            Call(m_hooks.refreshMainWindow);
            break;
        }
        case ID_SETUP_CAPTURE_CURSOR:
            Settings.Cursor = Settings.Cursor ? 0 : 1;
            if (Settings.ShowVideo) {
                Call(m_hooks.stopPreview);
                Call(m_hooks.startPreview);
            }
            break;
        case ID_SETUP_SHOW_CLONED:
            if (Settings.ShowVideo) {
                // The stop acts only while the setting is on: stop first.
                Call(m_hooks.stopPreview);
                Settings.ShowVideo = 0;
            } else {
                Settings.ShowVideo = 1;
                Call(m_hooks.startPreview);
            }
            break;
        case ID_SETUP_SELECT_MONITOR:
            Call(m_hooks.selectMonitor);
            UpdateMenuChecks();
            return;
        case ID_SETUP_OPEN_STORAGE: {
            const std::function<void()> openBrowser = m_hooks.openBrowser;
            DestroyWindow();  // deletes this: only locals from here on
            Call(openBrowser);
            return;
        }
        case ID_SETUP_SETUP_STORAGE:
            ChooseStorageFolder();
            return;
        case ID_SETUP_RESTORE_DEFAULTS:
            if (m_hooks.restoreBlocked && m_hooks.restoreBlocked()) return;
            if (RestoreDefaults()) Call(m_hooks.closeProgram);
            return;
        case ID_SETUP_USER_GUIDE:
            OpenPage(m_hooks.guide);
            return;
        case ID_SETUP_SUPPORT:
            OpenPage(m_hooks.support);
            return;
        case ID_SETUP_WEBSITE:
            OpenPage(m_hooks.website);
            return;
        default:  // "&About" does nothing here
            return;
    }
    WriteSettings();
    UpdateMenuChecks();
}

void OpenSetupDialog(const SetupHooks& hooks) {
    if (g_setup) {
        ::SetForegroundWindow(g_setup->m_hWnd);
        return;
    }
    auto* setup = new SetupDlg(hooks);
    if (!setup->Create(IDD_SETUP)) {
        delete setup;
        return;
    }
    g_setup = setup;
    setup->ShowWindow(SW_SHOW);
}

HWND SetupDialogWindow() { return g_setup ? g_setup->m_hWnd : nullptr; }

void CheckSetupRecordAudio() {
    if (g_setup) g_setup->CheckDlgButton(IDC_SETUP_RECORD_AUDIO, BST_CHECKED);
}
