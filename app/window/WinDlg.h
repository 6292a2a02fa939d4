#pragma once
// The recorder window "Quorra": a small, always-on-top, skinned panel with a
// header strip, four buttons, a video area and a status line (small layout,
// template 430), or a larger window with its own painted caption and a menu
// (large layout, template 431). Its timer 1 (1000 ms) drives the program.

#include <string>

#include "app/session/SessionSeams.h"
#include "framework/ui/Dialog.h"
#include "framework/ui/ToolTipCtrl.h"
#include "framework/win/Handles.h"

// The recorder window's tooltips.
class ToolTip : public CToolTipCtrl {};

class WinDlg : public CDialog {
public:
    // small: the small layout when "MiniClone" is on, otherwise the large one.
    explicit WinDlg(bool small);

    bool CreateRecorder();
    void StartRecorderTimer();
    void StopRecorderTimer();

    bool IsLargeLayout() const { return !m_small; }
    double Scale() const { return m_scale; }
    void RepaintStatus(const std::wstring& status);
    void SetRecordButtonText(const std::wstring& text);
    void SetRecorderMenu(RecorderMenu menu);
    // Shows text in the video area instead of the preview (large layout).
    void ShowInfoText(const std::wstring& text);
    // Layered and opaque, as the capture filter needs the window to be.
    void MakeRecorderLayered();
    void UpdateMenuChecks();
    // The setup dialog's layout switch: after the user agrees, the other
    // layout is stored and the program closes; the next start uses it.
    void SwitchLayout();
    // Asks the next tick to repaint the large layout's caption.
    void RequestCaptionRepaint() { m_captionRepaintRequested = true; }

protected:
    BOOL OnInitDialog() override;
    void OnCancel() override;
    void OnClose();
    void OnTimer(UINT_PTR id);
    void OnHotKey(UINT id, UINT modifiers, UINT key);
    void OnSize(UINT type, int cx, int cy);
    LRESULT OnSysCommand(UINT command, LPARAM lParam);
    LRESULT OnFocusChange(WPARAM, LPARAM);
    LRESULT OnGraphNotice(WPARAM, LPARAM);
    LRESULT OnQueryEndSession(WPARAM, LPARAM);
    LRESULT OnEndSession(WPARAM ending, LPARAM);
    BOOL OnEraseBkgnd(HDC dc);
    void OnPaint();
    void OnLButtonDown(UINT flags, POINT point);
    void OnLButtonUp(UINT flags, POINT point);
    void OnMouseMove(UINT flags, POINT point);
    void OnRButtonDown(UINT flags, POINT point);
    void OnLButtonDblClk(UINT flags, POINT point);

    // Commands (WinDlgCommands.cpp).
    void OnRecord();
    void OnPause();
    void OnSettings();
    void OnPlay();
    void OnViewRecordings();
    void OnMark();
    void OnGetVideo();
    void OnExit();
    void OnMinimise();
    void OnShowClonedVideo();
    void OnFullScreen();
    void OnResetMarkers();
    void OnRestoreDefaults();
    void OnOpenZorvBrowser();
    void OnOpenBrowser();
    void OnShowMainWindow();
    void OnFrontWindow();
    void OnMarkedWindow();
    void OnLocalHelp();
    void OnWebHelp();
    void OnWebSite();
    LRESULT OnQuorraMessage(WPARAM wParam, LPARAM lParam);
    LRESULT OnPushMessage(WPARAM wParam, LPARAM lParam);
    LRESULT OnRecordStopMessage(WPARAM wParam, LPARAM lParam);

    DECLARE_MESSAGE_MAP()

private:
    void PlaceAtStart();
    void LayOutSmall();
    void SetUpStatusControl(const RECT& rect, int fontHeight);
    void MinimiseToFrame();
    void PlaceCloneVideo();
    void MarkAction();
    void PaintCaption(HDC dc);
    // "Position" = "%d,%d", written at once.
    void StorePosition(int x, int y);

    bool m_small;
    double m_scale = 1.0;
    ToolTip m_toolTips;
    win::Font m_buttonFont;
    win::Font m_statusFont;
    win::Bitmap m_skin;
    win::Bitmap m_closeBitmap;
    win::Bitmap m_miniBitmap;
    std::wstring m_infoText;  // at most 9,999 characters
    bool m_infoMode = false;
    bool m_captionRepaintRequested = false;
    bool m_dragging = false;
    POINT m_dragFrom{};
    bool m_closeArmed = false;
    bool m_minimiseArmed = false;
};

// The recorder window once stage 2 made it, else null.
WinDlg* RecorderWindow();
