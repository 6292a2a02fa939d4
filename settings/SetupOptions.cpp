#include "settings/SetupOptions.h"

#include "settings/MonitorPlacement.h"
#include "settings/SettingsFile.h"
#include "settings/SettingsText.h"

SetupContents ReadSetupContents(SettingsRecord& settings) {
    SetupContents contents;
    if (settings.MaxFileTime >= 1) {
        const std::wstring duration = HoursMinutesSeconds(settings.MaxFileTime);
        if (duration != L"00:00:00") contents.duration = duration;
    }
    contents.scale = std::to_wstring(settings.Size);
    if (settings.AudioOnly) {
        contents.boxes = {false, true};
        settings.VideoOnly = 0;
    } else if (settings.VideoOnly) {
        contents.boxes = {true, false};
        settings.AudioOnly = 0;
    }
    return contents;
}

RecordBoxes ClickRecordVideo(RecordBoxes boxes) {
    if (!boxes.video) return {true, boxes.audio};
    return {false, true};
}

RecordBoxes ClickRecordAudio(RecordBoxes boxes) {
    if (!boxes.audio) return {boxes.video, true};
    return {true, false};
}

RecordBoxes StoreRecordingParts(SettingsRecord& settings, RecordBoxes boxes) {
    if (settings.VideoOnly && settings.AudioOnly) {
        settings.VideoOnly = settings.AudioOnly = 0;
        boxes = {true, true};
    }
    settings.AudioOnly = boxes.audio && !boxes.video ? 1 : 0;
    settings.VideoOnly = boxes.video && !boxes.audio ? 1 : 0;
    return boxes;
}

void ChooseCaptureSource(SettingsRecord& settings, CaptureSource source) {
    settings.AutoMark = static_cast<int>(source);
    settings.FullScreen = 0;
    if (source == CaptureSource::MarkedRegion) ResetMarkers(settings);
}

void ToggleSetupFullScreen(SettingsRecord& settings, const ScreenRect& display1, const ScreenRect& display2) {
    if (settings.FullScreen) {
        StoreCaptureRegion(settings, ScreenRect{100, 100, 800, 600});
        settings.FullScreen = 0;
    } else {
        StoreCaptureRegion(settings, settings.Monitor == 1 ? display1 : display2);
        settings.FullScreen = 1;
    }
    settings.AutoMark = static_cast<int>(CaptureSource::MarkedRegion);
}

SetupMenuChecks MenuChecksOf(const SettingsRecord& settings) {
    SetupMenuChecks checks;
    checks.mainWindow = settings.AutoMark == 1;
    checks.smallWindow = settings.AutoMark == 2;
    checks.markedRegion = settings.AutoMark == 0 && settings.FullScreen == 0;
    checks.fullScreen = settings.FullScreen != 0;
    checks.cursor = settings.Cursor != 0;
    checks.clonedVideo = settings.ShowVideo != 0;
    return checks;
}
