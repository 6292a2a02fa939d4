// The one marking window and what its choices do: "Accept" (and a click on
// the window) takes its rectangle as the capture region and writes it,
// "Record" does the same and asks the next tick to start a recording,
// "Retry" takes the rectangle without writing it and starts a new motion
// search.

#include <memory>

#include "app/services/CaptureRegionSetting.h"
#include "app/services/DiagnosticLog.h"
#include "app/services/EnvironmentProbes.h"
#include "graph/ClonePreview.h"
#include "region/MarkWindow.h"
#include "region/MotionSearch.h"
#include "region/RecorderLink.h"
#include "settings/Settings.h"
#include "settings/SettingsFile.h"

namespace {

std::unique_ptr<MarkWindow> g_window;
ScreenRect g_marker;

void OnChoice(MarkWindow::Choice choice, const ScreenRect& windowRect);

// Destroys the window and deletes its object. Called from the window's own
// handlers too: they touch nothing of it afterwards.
void DestroyMarking() {
    const std::unique_ptr<MarkWindow> closing = std::move(g_window);
    if (closing) closing->DestroyWindow();
}

void OpenOn(const ScreenRect& rect) {
    DestroyMarking();
    SetMarkerRect(rect);
    auto window = std::make_unique<MarkWindow>(&OnChoice);
    if (!window->Open(rect)) {
        AppendLog(L"Marking: the window could not be made (error %lu)", ::GetLastError());
        SetSearchState(kSearchIdle);
        return;
    }
    g_window = std::move(window);
    // Open, the window is the marking under way, however it was opened.
    SetSearchState(kSearchMarked);
}

void Accept(const ScreenRect& windowRect) {
    // The whole window rectangle, not the marker's 1-pixel shrink.
    SetMarkerRect(windowRect);
    SetCaptureRegion(windowRect);
    WriteSettings();
    DestroyMarking();
    RestoreRecorderWindow();
    BuildClonePreview();
    ReadSettings();
    SetSearchState(kSearchIdle);
}

void Retry(const ScreenRect& windowRect) {
    // Not written: the region written next comes from the search or a marking.
    SetMarkerRect(windowRect);
    SetCaptureRegion(windowRect);
    DestroyMarking();
    SetSearchState(kSearchBusy);
    StopClonePreview();
    ShowRecorderStatus(L"Searching for motion video. Start your video now.");
    WaitPumping(1000);
    StartMotionSearch();
}

void OnChoice(MarkWindow::Choice choice, const ScreenRect& windowRect) {
    switch (choice) {
        case MarkWindow::Choice::Record:
            RequestRecordingStart();
            Accept(windowRect);
            break;
        case MarkWindow::Choice::Accept:
            Accept(windowRect);
            break;
        case MarkWindow::Choice::Retry:
            Retry(windowRect);
            break;
    }
}

}  // namespace

ScreenRect MarkerRect() { return g_marker; }

void SetMarkerRect(const ScreenRect& marker) {
    g_marker = marker;
    AppendLog(L"Marking: marker %d,%d,%d,%d", marker.left, marker.top, marker.right, marker.bottom);
}

bool MarkingWindowExists() { return g_window && g_window->GetSafeHwnd(); }

void OpenOrToggleMarking() {
    if (MarkingWindowExists()) {
        DestroyMarking();
        SetSearchState(kSearchIdle);
        return;
    }
    OpenOn(CaptureRegion());
}

void OfferDetectedRegion() { OpenOn(DetectedRegion()); }

void CloseMarkingWindow() {
    if (!MarkingWindowExists()) return;
    DestroyMarking();
    // Closed from outside (full screen, a recording): the marking is over.
    SetSearchState(kSearchIdle);
}
