#include "app/window/SplashDlg.h"

#include "resources/resource.h"

namespace {
constexpr int kWidth = 425;
constexpr int kHeight = 159;
constexpr UINT_PTR kTimer = 1;
}  // namespace

BEGIN_MESSAGE_MAP(SplashDlg, CDialog)
ON_WM_LBUTTONDOWN()
ON_WM_TIMER()
END_MESSAGE_MAP()

SplashDlg::SplashDlg() : CDialog(IDD_SPLASH) {}

BOOL SplashDlg::OnInitDialog() {
    // Centred on the primary screen at the picture's size.
    const int x = (::GetSystemMetrics(SM_CXSCREEN) - kWidth) / 2;
    const int y = (::GetSystemMetrics(SM_CYSCREEN) - kHeight) / 2;
    SetWindowPos(nullptr, x, y, kWidth, kHeight, SWP_NOZORDER | SWP_NOACTIVATE);
    ::SetWindowPos(GetDlgItem(IDC_SPLASH_PICTURE), nullptr, 0, 0, kWidth, kHeight, SWP_NOZORDER | SWP_NOACTIVATE);
    SetTimer(kTimer, 1000);
    return TRUE;
}

void SplashDlg::OnLButtonDown(UINT, POINT) { EndDialog(IDOK); }

void SplashDlg::OnTimer(UINT_PTR id) {
    if (id != kTimer) return;
    if (++m_ticks == 2) {
        KillTimer(kTimer);
        EndDialog(IDOK);
    }
}
