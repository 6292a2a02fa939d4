#pragma once
// Monitor selection without the dialog: the monitor texts, what the dialog
// shows and enables, what OK and "Reset markers" store, and where the
// capture region goes on the chosen monitor. Portable; MonitorDlg is the
// Win32 dialog over these rules.

#include <string>

#include "app/services/Geometry.h"
#include "settings/Settings.h"

// What the display scan (RefreshDisplays) and start-up know about the
// monitors. The caller fills it from Env() and Startup().
struct MonitorDisplays {
    int count = 1;        // 1 when only one monitor exists or a recording graph forces one
    ScreenRect desktop;   // monitor 1 as the system reports it (DesktopRect)
    ScreenRect display2;  // the second monitor's full rectangle (Display2Rect)
    ScreenRect display2Work;
    int physicalWidth1 = 0;    // the launcher's "x1", 0 when not given
    int physicalHeight1 = 0;   // the launcher's "y1"
    int physicalWidth2 = 0;    // the launcher's "w2"
    int scale1 = 100;          // display scale of monitor 1, percent (DisplayScale1)
    double scale2 = 100;       // of monitor 2 (DisplayScale2)
    bool notWindows7 = false;  // the version probe's NotWindows7
};

// The background mode's scale between the monitors, percent; the capture
// code's ratio is CaptureScaleRatio. Starts at 100; set when the monitor
// texts are computed and when OK stores monitor 2.
extern int BackgroundScale;

// BackgroundScale / 100, or 1 with one monitor.
double CaptureScaleRatio(int monitorCount);

struct MonitorTexts {
    std::wstring text1;  // "resolution: %dx%d scale: %d%"
    std::wstring text2;  // empty with one monitor
    int backgroundScale = 100;
};

// The texts before the dialog shows. One monitor: the launcher's physical
// size of monitor 1 (the logical desktop size where it gave none) and
// scale1; background scale 100. Two: the desktop's size and scale1, the
// second monitor's width ("w2" when given) and height and the truncated
// scale2; background scale "Scale" when set, else the truncated
// scale2 * 100 / scale1 when "Monitor" is not 1 and "HideWindow" is on,
// else 100.
MonitorTexts ComputeMonitorTexts(const MonitorDisplays& displays, const SettingsRecord& settings);

// Everything the dialog shows and enables.
struct MonitorDialogContents {
    bool monitor2Enabled = false;  // the " Monitor 2" button and its text
    int checked = 0;               // radio button checked: 1, 2 or 0 for none
    std::wstring monitor1Text;     // "(%s)"
    std::wstring monitor2Text;     // "(%s)" or "Not detected"
    std::wstring mainDisplayText;  // "Monitor #%d is the main display"
    bool scaleLabelEnabled = false;
    bool scaleBoxEnabled = false;
    int scaleBoxValue = 100;
};

MonitorDialogContents DialogContents(const MonitorDisplays& displays, const MonitorTexts& texts, int monitorSetting);

// The scale box's value as OK takes it: what is not a whole number from 1
// up (empty, 0, text) stands for "not set" and gives 100, so the capture
// ratio never becomes 0.
int ScaleBoxValue(const std::wstring& boxText);

// OK with monitor 1 or 2 checked: stores "Monitor", and for monitor 2 the
// scale box's value as "Scale" and BackgroundScale. Returns false, storing
// nothing, when neither is checked (the dialog then says "Please select a
// monitor" and stays).
bool ApplyMonitorChoice(int checked, int scaleBoxValue, SettingsRecord& settings);

// After OK, with the displays scanned again: the capture region on the
// chosen monitor, the whole monitor with full screen on ("FullScreen"
// becomes the monitor's number), else 500 x 400 at 100, 100 from its
// top-left corner.
void PlaceCaptureRegion(const MonitorDisplays& displays, SettingsRecord& settings);

// The capture region's four settings.
void StoreCaptureRegion(SettingsRecord& settings, const ScreenRect& region);

// "Reset markers": full screen off and the region 200, 200, 800, 600.
void ResetMarkers(SettingsRecord& settings);
