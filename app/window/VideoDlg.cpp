#include "app/window/VideoDlg.h"

#include <optional>
#include <string>

#include "app/services/Environment.h"
#include "app/services/EnvironmentProbes.h"
#include "app/services/ShowMessage.h"
#include "app/tracking/Tracking.h"
#include "app/window/VideoChoices.h"
#include "app/window/VideoDlgIds.h"
#include "framework/ui/Controls.h"
#include "settings/SettingsFile.h"

namespace {

template <std::size_t N>
void FillChoices(const CComboBox& box, const std::array<std::wstring_view, N>& choices,
                 std::optional<std::size_t> selected) {
    box.EnableWindow(true);
    box.ResetContent();
    for (std::wstring_view choice : choices) box.AddString(std::wstring(choice));
    box.SetCurSel(selected ? static_cast<int>(*selected) : -1);
}

std::optional<std::wstring> SelectedText(const CComboBox& box) {
    const int index = box.GetCurSel();
    if (index < 0) return std::nullopt;
    return box.GetLBText(index);
}

}  // namespace

BEGIN_MESSAGE_MAP(VideoDlg, CDialog)
ON_BN_CLICKED(IDC_VIDEO_BASIC, OnBasic)
ON_BN_CLICKED(IDC_VIDEO_BACKGROUND, OnBackground)
END_MESSAGE_MAP()

VideoDlg::VideoDlg(CWnd* parent) : CDialog(IDD_VIDEO_SETTINGS, parent) {}

BOOL VideoDlg::OnInitDialog() {
    Settings.Protocol = 1;
    FillChoices(CComboBox(*this, IDC_VIDEO_BITRATE), kBitrateChoices, BitrateSelection(Settings.VideoBitrate));
    FillChoices(CComboBox(*this, IDC_VIDEO_FRAME_RATE), kFrameRateChoices, FrameRateSelection(Settings.FrameRate));
    const bool notWindows7 = Env().NotWindows7;
    EnableDlgItem(IDC_VIDEO_BASIC, !notWindows7);
    EnableDlgItem(IDC_VIDEO_BACKGROUND, notWindows7);
    if (!notWindows7) {
        // Background recording needs Windows 8 or later.
        Settings.HideWindow = 0;
        CheckDlgButton(IDC_VIDEO_BASIC, Settings.Basic ? BST_CHECKED : BST_UNCHECKED);
    }
    CheckDlgButton(IDC_VIDEO_BACKGROUND, Settings.HideWindow ? BST_CHECKED : BST_UNCHECKED);
    return TRUE;
}

void VideoDlg::OnBasic() {
    if (ShowMessage(L"Telvane will close after this.\n\nContinue?", MB_YESNO) != IDYES) return;
    Settings.Basic = Settings.Basic ? 0 : 1;
    WriteSettings();
    // The next start applies the theme switch.
    ::ExitProcess(0);
}

void VideoDlg::OnBackground() {
    CheckDlgButton(IDC_VIDEO_BACKGROUND, Settings.HideWindow ? BST_UNCHECKED : BST_CHECKED);
    Settings.HideWindow = Settings.HideWindow ? 0 : 1;
    WriteSettings();
    const std::wstring title = TrackedTitleText();
    if (!title.empty()) {
        if (HWND tracked = ::FindWindowW(nullptr, title.c_str())) {
            ::ShowWindow(tracked, SW_MINIMIZE);
            WaitPumping(500);
            ::ShowWindow(tracked, SW_RESTORE);
        }
    }
    ::SetFocus(m_hWnd);
}

void VideoDlg::OnOK() {
    const std::optional<std::wstring> bitrate = SelectedText(CComboBox(*this, IDC_VIDEO_BITRATE));
    const std::optional<std::wstring> frameRate = SelectedText(CComboBox(*this, IDC_VIDEO_FRAME_RATE));
    Settings.VideoBitrate = BitrateToStore(bitrate ? std::optional<std::wstring_view>(*bitrate) : std::nullopt);
    Settings.FrameRate =
        static_cast<float>(FrameRateToStore(frameRate ? std::optional<std::wstring_view>(*frameRate) : std::nullopt));
    Settings.Basic = IsDlgButtonChecked(IDC_VIDEO_BASIC) == BST_CHECKED ? 1 : 0;
    Settings.HideWindow = IsDlgButtonChecked(IDC_VIDEO_BACKGROUND) == BST_CHECKED ? 1 : 0;
    CDialog::OnOK();
}
