#include "region/Win32MotionSystem.h"

#include "app/services/DiagnosticLog.h"
#include "app/services/EnvironmentProbes.h"
#include "app/services/ShowMessage.h"
#include "region/ScreenGrab.h"

SearchArea Win32MotionSystem::Area() {
    SearchArea area;
    area.screenHeight = ::GetSystemMetrics(SM_CYSCREEN);
    // The monitor count is asked again at every attempt.
    if (m_start.monitorSetting == 1 || ::GetSystemMetrics(SM_CMONITORS) <= 1) {
        RECT work{};
        if (::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0))
            area.rect = ScreenRect{work.left, work.top, work.right, work.bottom};
    } else {
        area.rect = m_start.display2Work;
    }
    return area;
}

int Win32MotionSystem::Grab(uint8_t* frame, const ScreenRect& rect) {
    return GrabScreen(frame, rect, m_start.recorder, m_start.setTopWindow);
}

void Win32MotionSystem::Sleep(int ms) { ::Sleep(static_cast<DWORD>(ms)); }

void Win32MotionSystem::WaitPumping(int ms) { ::WaitPumping(static_cast<DWORD>(ms)); }

void Win32MotionSystem::ShowMessage(const std::wstring& text) { ::ShowMessage(text); }

void Win32MotionSystem::Report(const MotionReport& report) {
    // Closed before the report: a search started after it opens the file afresh.
    CloseTraceFile();
    m_keep(report);
    const WPARAM code = static_cast<WPARAM>(report.Code());
    if (m_start.recorder) ::PostMessageW(m_start.recorder, m_start.quorraMessage, code, static_cast<LPARAM>(code));
}

bool Win32MotionSystem::Tracing() { return kTraceFileSwitch && TraceFileOn(); }

void Win32MotionSystem::Trace(const std::wstring& text) {
    AppendLog(L"%ls", text.c_str());
    AppendTrace();
}
