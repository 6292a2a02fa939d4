#pragma once
// MainWindow: the scaler's hidden frame, titled "Bitmaps", with an edit
// control over its client area. A 100 ms timer starts the work once the
// message loop runs; the result line goes into the edit control and the
// finished callback ends the program.

#include <windows.h>

#include <functional>
#include <string>

#include "framework/ui/FrameWnd.h"
#include "scaler/ScalerFiles.h"

namespace scaler {

class MainWindow : public CFrameWnd {
public:
    static constexpr int kEditId = 100;
    static constexpr UINT_PTR kStartTimer = 1;
    static constexpr UINT kStartDelayMs = 100;

    MainWindow(ScalerFiles& files, std::wstring inputName, int scale, std::function<void()> finished);

    // Creates the window hidden and starts the timer. icon may be null.
    bool CreateHidden(HICON icon);

protected:
    int OnCreate(CREATESTRUCTW* create);
    void OnSize(UINT type, int cx, int cy);
    void OnTimer(UINT_PTR id);

private:
    void AppendLine(const std::wstring& line) const;

    ScalerFiles& m_files;
    std::wstring m_inputName;
    int m_scale;
    std::function<void()> m_finished;
    HWND m_edit = nullptr;

    DECLARE_MESSAGE_MAP()
};

}  // namespace scaler
