#pragma once
// MonitorDlg: the modal dialog "Telvane - Select monitor" (template
// IDD_MONITOR in resources/monitor.rc). It chooses the capture monitor and
// the background mode's scale factor; "Reset markers" puts the capture
// region back to its default. The rules are MonitorPlacement.h's; this is
// the Win32 dialog over them. GUI thread only; Settings is used as it
// stands (the setup dialog that opens it has read it).

#include <functional>

#include "framework/ui/Dialog.h"
#include "settings/MonitorPlacement.h"

// DoModal's result after "Reset markers" (OK and Cancel give IDOK, IDCANCEL).
constexpr int kMonitorResetMarkers = 100;

// What the dialog and its command ask of the rest of the recorder. Empty
// functions are skipped.
struct MonitorHooks {
    // RefreshDisplays, then the displays as it found them.
    std::function<MonitorDisplays()> refreshDisplays;
    // Restarts the clone preview.
    std::function<void()> restartPreview;
    // Refreshes the main window after "Reset markers".
    std::function<void()> refreshMainWindow;
};

class MonitorDlg : public CDialog {
public:
    MonitorDlg(const MonitorDisplays& displays, MonitorHooks hooks, CWnd* parent = nullptr);

    BOOL OnInitDialog() override;
    // Stores the choice, writes the settings, closes and restarts the
    // preview; with no monitor checked says "Please select a monitor" and
    // stays.
    void OnOK() override;

protected:
    void OnResetMarkers();
    DECLARE_MESSAGE_MAP()

private:
    MonitorDisplays m_displays;
    MonitorHooks m_hooks;
};

// The "Select &Monitor" command: runs the dialog; after OK scans the
// displays again and moves the capture region onto the chosen monitor,
// writes the settings and restarts the preview. Returns DoModal's result.
INT_PTR SelectMonitor(const MonitorDisplays& displays, const MonitorHooks& hooks, CWnd* parent = nullptr);
