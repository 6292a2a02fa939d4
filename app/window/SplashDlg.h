#pragma once
// The splash screen shown while the frame is created: about two seconds,
// or until clicked.

#include "framework/ui/Dialog.h"

class SplashDlg : public CDialog {
public:
    SplashDlg();

protected:
    BOOL OnInitDialog() override;
    void OnLButtonDown(UINT flags, POINT point);
    void OnTimer(UINT_PTR id);

private:
    int m_ticks = 0;

    DECLARE_MESSAGE_MAP()
};
