#pragma once
// The hidden frame "Telvane": it owns the taskbar entry, shows the splash
// while it is created, runs stage 2 of start-up on its first tick and
// creates the recorder window. With the developer console built in it is
// visible and holds the log control.

#include <memory>

#include "framework/ui/FrameWnd.h"

class WinDlg;

class MainWindow : public CFrameWnd {
public:
    MainWindow();
    ~MainWindow() override;

    // Registers the class and creates the frame (the construction steps).
    bool CreateFrame();

    // The recorder window, once stage 2 has made it; null before.
    WinDlg* RecorderWindow() const { return m_recorder.get(); }

protected:
    int OnCreate(CREATESTRUCTW* create);
    void OnTimer(UINT_PTR id);
    LRESULT OnSysCommand(UINT command, LPARAM lParam);
    void OnSize(UINT type, int cx, int cy);
    void OnClear();
    LRESULT OnScreenCaptureMessage(WPARAM wParam, LPARAM lParam);

private:
    // Stage 2, run once from the first tick.
    void RunStage2();
    void RegisterFilters();
    void StartRestoreHelper();

    std::unique_ptr<WinDlg> m_recorder;
    HWND m_log = nullptr;
    bool m_stage2Started = false;

    DECLARE_MESSAGE_MAP()
};

// The frame, while it exists; null before stage 1 made it.
MainWindow* TheMainWindow();
