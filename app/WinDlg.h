#pragma once
// The recorder window "Quorra", modeless and without parent. Its timer 1
// (1000 ms) is the recorder's main loop. This is the bare window: the status
// line and the record button work; the skin, the full button row and the
// menus arrive with the window's own work.

#include <string>

#include "app/SessionSeams.h"
#include "framework/ui/Dialog.h"

class WinDlg : public CDialog {
public:
    // small: the small layout (template 430) when "MiniClone" is on,
    // otherwise the large one (431).
    explicit WinDlg(bool small);

    bool CreateRecorder();
    void StartRecorderTimer();
    void StopRecorderTimer();

    bool IsLargeLayout() const { return !m_small; }
    void RepaintStatus(const std::wstring& status);
    void SetRecordButtonText(const std::wstring& text);
    void SetRecorderMenu(RecorderMenu menu);
    void ShowInfoText(const std::wstring& text);

protected:
    BOOL OnInitDialog() override;
    void OnCancel() override;
    void OnClose();
    void OnTimer(UINT_PTR id);
    void OnHotKey(UINT id, UINT modifiers, UINT key);
    void OnLButtonDblClk(UINT flags, POINT point);
    void OnRecord();
    void OnPause();

    DECLARE_MESSAGE_MAP()

private:
    bool m_small;
};

// The recorder window once stage 2 made it, else null.
WinDlg* RecorderWindow();
