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

    // The recorder window, once stage 2 has made it; null before and while
    // it is rebuilt.
    WinDlg* RecorderWindow() const { return m_recorder.get(); }

    // The setup dialog's new interface scale (percent): the recorder window
    // goes, the skin is scaled by ".\size.exe" and the window comes back at
    // the new size, with its timer, hotkey and preview.
    void RescaleInterface(int scale);
    bool RebuildingRecorder() const { return m_rebuilding; }

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
    bool m_rebuilding = false;

    DECLARE_MESSAGE_MAP()
};

// The frame, while it exists; null before stage 1 made it.
MainWindow* TheMainWindow();
