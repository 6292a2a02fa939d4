#pragma once
// The motion search's system over Win32: the work area, the screen grabs,
// the pauses, the recorder's message box, the report posted to the recorder
// window and the trace file.

#include <windows.h>

#include "region/MotionSearchSystem.h"

// What the search takes from the GUI thread when it starts, so the thread
// reads nothing the GUI thread writes.
struct MotionSearchStart {
    HWND recorder = nullptr;
    UINT quorraMessage = 0;
    int monitorSetting = 0;
    bool setTopWindow = false;
    ScreenRect display2Work;
    SearchMetrics metrics;
};

class Win32MotionSystem : public MotionSearchSystem {
public:
    // keep stores the result where the recorder window reads it; it runs
    // before the report is posted.
    using Keep = void (*)(const MotionReport& report);
    Win32MotionSystem(const MotionSearchStart& start, Keep keep) : m_start(start), m_keep(keep) {}

    SearchArea Area() override;
    bool Allocate(FrameBuffer& frame, size_t bytes) override { return frame.Allocate(bytes); }
    int Grab(uint8_t* frame, const ScreenRect& rect) override;
    void Sleep(int ms) override;
    void WaitPumping(int ms) override;
    void ShowMessage(const std::wstring& text) override;
    void Report(const MotionReport& report) override;
    bool Tracing() override;
    void Trace(const std::wstring& text) override;

private:
    MotionSearchStart m_start;
    Keep m_keep;
};
