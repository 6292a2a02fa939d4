#include "scaler/MainWindow.h"

#include "framework/ui/Controls.h"
#include "scaler/ScaleJob.h"

namespace scaler {

BEGIN_MESSAGE_MAP(MainWindow, CFrameWnd)
ON_WM_CREATE()
ON_WM_SIZE()
ON_WM_TIMER()
END_MESSAGE_MAP()

MainWindow::MainWindow(ScalerFiles& files, std::wstring inputName, int scale, std::function<void()> finished)
    : m_files(files), m_inputName(std::move(inputName)), m_scale(scale), m_finished(std::move(finished)) {}

bool MainWindow::CreateHidden(HICON icon) {
    LPCWSTR className = RegisterWndClass(L"WSizeFrame", 0, ::LoadCursorW(nullptr, IDC_ARROW),
                                         reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1), icon);
    if (!className) return false;
    const RECT rect{0, 0, 480, 160};
    // No WS_VISIBLE: the window is never shown, it only carries the timer
    // and the result line.
    if (!Create(className, L"Bitmaps", WS_OVERLAPPEDWINDOW, &rect)) return false;
    return SetTimer(kStartTimer, kStartDelayMs) != 0;
}

int MainWindow::OnCreate(CREATESTRUCTW* create) {
    RECT client{};
    ::GetClientRect(m_hWnd, &client);
    m_edit = ::CreateWindowExW(
        0, L"EDIT", L"", WS_CHILD | WS_VISIBLE | WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL | ES_READONLY, 0, 0,
        client.right, client.bottom, m_hWnd, reinterpret_cast<HMENU>(kEditId), create->hInstance, nullptr);
    return m_edit ? 0 : -1;
}

void MainWindow::OnSize(UINT, int cx, int cy) {
    if (m_edit) ::MoveWindow(m_edit, 0, 0, cx, cy, TRUE);
}

void MainWindow::OnTimer(UINT_PTR id) {
    if (id != kStartTimer) return;
    // Stopped first: the work must run once even if it outlasts a period.
    KillTimer(kStartTimer);
    const ScaleResult result = RunScale(m_files, m_inputName, m_scale);
    AppendLine(result.line);
    if (m_finished) m_finished();
}

void MainWindow::AppendLine(const std::wstring& line) const {
    const CEdit edit(m_edit);
    const int end = ::GetWindowTextLengthW(m_edit);
    edit.SetSel(end, end);
    edit.ReplaceSel(line + L"\r\n");
}

}  // namespace scaler
