#pragma once
// SetupDlg: the modeless setup dialog "Telvane Settings" (template 426 with
// its menu bar), one at a time. It sets what is recorded, the duration
// limit, the hotkey and the interface scale, opens the video settings and
// the audio setup, and carries the option commands; each command writes
// the settings at once. The rules without a window are SetupEntries' and
// SetupOptions'.

#include <windows.h>

#include <functional>
#include <string>

#include "framework/ui/Dialog.h"

// What the dialog needs of the recorder.
struct SetupHooks {
    // Registers the "Hotkey" setting again on the recorder window, quietly.
    std::function<void()> reRegisterHotkey;
    // Rebuilds the recorder window at a new scale (percent).
    std::function<void(int)> rescaleInterface;
    // Modal over the dialog that opens them (their owner); the dialog writes
    // the settings after the video settings.
    std::function<void(CWnd* owner)> openVideoSettings;
    std::function<void(CWnd* owner)> openAudioSetup;
    std::function<void()> refreshMainWindow;
    std::function<void()> startPreview;  // the clone preview
    std::function<void()> stopPreview;
    // The two displays' rectangles, scanned anew.
    std::function<void(RECT& display1, RECT& display2)> refreshDisplays;
    std::function<void()> selectMonitor;
    std::function<void()> openBrowser;
    // A motion search or a marking is under way: no web pages then.
    std::function<bool()> searching;
    // A recording or a motion search runs: no restore of the defaults then.
    std::function<bool()> restoreBlocked;
    std::function<void()> closeProgram;
    std::wstring windowsVersion;
    // What the help commands open.
    std::wstring guide, support, website;
};

class SetupDlg : public CDialog {
public:
    explicit SetupDlg(SetupHooks hooks);

    BOOL OnInitDialog() override;
    void OnOK() override;

protected:
    void OnRecordVideo();
    void OnRecordAudio();
    void OnVideoSettings();
    void OnAudioSetup();
    void OnAlt() { PutModifier(L"ALT+"); }
    void OnShift() { PutModifier(L"SHIFT+"); }
    void OnCtrl() { PutModifier(L"CTRL+"); }
    void OnMenuCommand(UINT id);
    void PostNcDestroy() override;
    DECLARE_MESSAGE_MAP()

private:
    void PutModifier(const wchar_t* modifier);
    void SetBoxes(bool video, bool audio);
    void UpdateMenuChecks();
    void ChooseStorageFolder();
    void OpenPage(const std::wstring& page);
    // Steps 1 to 3 of OK; false to stay in the dialog.
    bool StoreDuration();
    bool StoreHotkey();

    SetupHooks m_hooks;
};

// Brings the dialog to the front when it is open, otherwise opens it.
void OpenSetupDialog(const SetupHooks& hooks);

// The open dialog's window, or null.
HWND SetupDialogWindow();

// Checks " Record audio" in the open dialog, if there is one.
void CheckSetupRecordAudio();
