#pragma once
// The setup dialog's rules that need no window: what its boxes show when
// it opens, the two recording boxes that keep one checked, what OK stores
// for them, and what each capture command of its menu bar changes and
// checks. Portable; SetupDlg shows and stores them.

#include <string>

#include "app/services/Geometry.h"
#include "settings/Settings.h"

// " Record video" and " Record audio".
struct RecordBoxes {
    bool video = true;
    bool audio = true;
    friend bool operator==(const RecordBoxes& a, const RecordBoxes& b) {
        return a.video == b.video && a.audio == b.audio;
    }
};

// What the dialog shows when it opens. Reading "Audio Only" or "Video
// Only" clears the other one in settings.
struct SetupContents {
    std::wstring duration;  // "hh:mm:ss", empty for no limit
    std::wstring scale;     // "Size"
    RecordBoxes boxes;
};
SetupContents ReadSetupContents(SettingsRecord& settings);

// A click on one box: a checked box unchecks, checking the other one when
// it was unchecked too; an unchecked box checks.
RecordBoxes ClickRecordVideo(RecordBoxes boxes);
RecordBoxes ClickRecordAudio(RecordBoxes boxes);

// OK's recording parts: "Audio Only" and "Video Only" from the boxes (both
// checked clears both). Gives back the boxes as stored.
RecordBoxes StoreRecordingParts(SettingsRecord& settings, RecordBoxes boxes);

// The capture sources of the "&Capture" menu.
enum class CaptureSource { MarkedRegion = 0, MainWindow = 1, SmallWindow = 2 };

// "&Main skype window ", "&Small skype window", "&Marked region": the
// source and full screen off; the marked region also resets the markers.
void ChooseCaptureSource(SettingsRecord& settings, CaptureSource source);

// "&Full screen ": off again with the region 100, 100, 800, 600, or on with
// the region of the monitor "Monitor" names (display 1 when it is 1, else
// display 2). The capture source becomes the marked region either way.
void ToggleSetupFullScreen(SettingsRecord& settings, const ScreenRect& display1, const ScreenRect& display2);

// The check marks of the menu bar.
struct SetupMenuChecks {
    bool mainWindow = false;
    bool smallWindow = false;
    bool markedRegion = false;
    bool fullScreen = false;
    bool cursor = false;
    bool clonedVideo = false;
};
SetupMenuChecks MenuChecksOf(const SettingsRecord& settings);
