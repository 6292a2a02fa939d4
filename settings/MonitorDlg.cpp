#include "settings/MonitorDlg.h"

#include <utility>

#include "framework/ui/Controls.h"
#include "settings/MonitorDlgIds.h"
#include "settings/SettingsFile.h"
#include "settings/SettingsSystem.h"

namespace {

// The box holds a percentage; four digits cover every ratio of two scales
// from 25 % to 250 %.
constexpr UINT kScaleBoxDigits = 4;

void Call(const std::function<void()>& hook) {
    if (hook) hook();
}

}  // namespace

BEGIN_MESSAGE_MAP(MonitorDlg, CDialog)
ON_BN_CLICKED(IDC_MON_RESET_MARKERS, OnResetMarkers)
END_MESSAGE_MAP()

MonitorDlg::MonitorDlg(const MonitorDisplays& displays, MonitorHooks hooks, CWnd* parent)
    : CDialog(IDD_MONITOR, parent), m_displays(displays), m_hooks(std::move(hooks)) {}

BOOL MonitorDlg::OnInitDialog() {
    const MonitorTexts texts = ComputeMonitorTexts(m_displays, Settings);
    BackgroundScale = texts.backgroundScale;
    const MonitorDialogContents contents = DialogContents(m_displays, texts, Settings.Monitor);

    EnableDlgItem(IDC_MON_MONITOR2, contents.monitor2Enabled);
    EnableDlgItem(IDC_MON_TEXT2, contents.monitor2Enabled);
    CheckDlgButton(IDC_MON_MONITOR1, contents.checked == 1 ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(IDC_MON_MONITOR2, contents.checked == 2 ? BST_CHECKED : BST_UNCHECKED);
    SetDlgItemText(IDC_MON_TEXT1, contents.monitor1Text);
    SetDlgItemText(IDC_MON_TEXT2, contents.monitor2Text);
    SetDlgItemText(IDC_MON_MAIN_DISPLAY, contents.mainDisplayText);
    EnableDlgItem(IDC_MON_SCALE_LABEL, contents.scaleLabelEnabled);
    EnableDlgItem(IDC_MON_SCALE, contents.scaleBoxEnabled);
    EnableDlgItem(IDC_MON_SCALE_PERCENT, contents.scaleBoxEnabled);
    CEdit scale(*this, IDC_MON_SCALE);
    scale.SetLimitText(kScaleBoxDigits);
    scale.SetWindowText(std::to_wstring(contents.scaleBoxValue));
    return TRUE;
}

void MonitorDlg::OnOK() {
    int checked = 0;
    if (IsDlgButtonChecked(IDC_MON_MONITOR1) == BST_CHECKED)
        checked = 1;
    else if (IsDlgButtonChecked(IDC_MON_MONITOR2) == BST_CHECKED)
        checked = 2;
    if (!ApplyMonitorChoice(checked, ScaleBoxValue(GetDlgItemText(IDC_MON_SCALE)), Settings)) {
        CurrentSettingsSystem().ShowMessage(L"Please select a monitor", MessageButtons::Ok);
        return;
    }
    WriteSettings();
    EndDialog(IDOK);
    Call(m_hooks.restartPreview);
}

void MonitorDlg::OnResetMarkers() {
    ResetMarkers(Settings);
    WriteSettings();
    EndDialog(kMonitorResetMarkers);
    Call(m_hooks.refreshMainWindow);
}

INT_PTR SelectMonitor(const MonitorDisplays& displays, const MonitorHooks& hooks, CWnd* parent) {
    MonitorDlg dialog(displays, hooks, parent);
    const INT_PTR result = dialog.DoModal();
    if (result != IDOK) return result;
    const MonitorDisplays now = hooks.refreshDisplays ? hooks.refreshDisplays() : displays;
    PlaceCaptureRegion(now, Settings);
    WriteSettings();
    Call(hooks.restartPreview);
    return result;
}
