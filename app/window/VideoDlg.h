#pragma once
// VideoDlg: the modal video settings dialog "Telvane - Video Settings"
// (template 462), opened from the setup dialog: the video bit rate, the
// frame rate, background recording (Windows 8 and 10) and the Windows Basic
// theme (Windows 7). Which entry a value selects and what OK stores are
// VideoChoices' rules.

#include "framework/ui/Dialog.h"

class VideoDlg : public CDialog {
public:
    explicit VideoDlg(CWnd* parent = nullptr);

    BOOL OnInitDialog() override;
    void OnOK() override;

protected:
    void OnBasic();
    void OnBackground();
    DECLARE_MESSAGE_MAP()
};
