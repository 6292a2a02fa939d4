#pragma once
// The recorder window "Quorra", modeless and without parent. Its timer 1
// (1000 ms) is the recorder's main loop; the first tick runs the deferred
// initialisation. This is the bare window: layouts, skin, buttons and
// menus arrive with the window's own work.

#include "framework/ui/Dialog.h"

class WinDlg : public CDialog {
public:
    // small: the small layout (template 430) when "MiniClone" is on,
    // otherwise the large one (431).
    explicit WinDlg(bool small);

    bool CreateRecorder();
    void StartRecorderTimer();
    void StopRecorderTimer();

protected:
    BOOL OnInitDialog() override;
    void OnCancel() override;
    void OnClose();
    void OnTimer(UINT_PTR id);

    DECLARE_MESSAGE_MAP()
};

// The recorder window once stage 2 made it, else null.
WinDlg* RecorderWindow();
