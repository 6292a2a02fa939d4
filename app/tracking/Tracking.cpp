#include "app/tracking/Tracking.h"

#include <atomic>

#include "app/Startup.h"
#include "app/services/DiagnosticLog.h"
#include "app/services/Environment.h"
#include "app/services/EnvironmentProbes.h"
#include "app/session/RecorderSession.h"
#include "app/tracking/TrackingTicker.h"
#include "app/tracking/TrackingTitles.h"
#include "app/tracking/TrackingWorker.h"
#include "app/window/WinDlg.h"
#include "graph/ClonePreview.h"
#include "graph/ClonePreviewState.h"
#include "settings/SettingsFile.h"

namespace {

HWND ToHwnd(WindowId id) { return reinterpret_cast<HWND>(id); }
WindowId ToId(HWND window) { return reinterpret_cast<WindowId>(window); }

std::optional<WindowFacts> FactsOf(HWND window) {
    if (!window || !::IsWindow(window)) return std::nullopt;
    WindowFacts facts;
    facts.id = ToId(window);
    RECT r{};
    if (!::GetWindowRect(window, &r)) return std::nullopt;
    facts.rect = ScreenRect{r.left, r.top, r.right, r.bottom};
    facts.visible = ::IsWindowVisible(window) != FALSE;
    facts.minimised = ::IsIconic(window) != FALSE;
    // Titles are read up to 8192 characters, the tracked title's capacity.
    wchar_t title[kTrackedTitleCapacity] = {};
    const int length = ::GetWindowTextW(window, title, static_cast<int>(kTrackedTitleCapacity));
    facts.title.assign(title, length > 0 ? static_cast<std::size_t>(length) : 0);
    wchar_t className[256] = {};
    const int classLength = ::GetClassNameW(window, className, 256);
    facts.className.assign(className, classLength > 0 ? static_cast<std::size_t>(classLength) : 0);
    return facts;
}

TrackingTitles& Titles() {
    static TrackingTitles titles;
    return titles;
}

// Whether a recording runs, as the tracking thread sees it: the GUI thread
// copies the session's flag here at every tick and when a recording starts.
std::atomic<bool> g_recording{false};

bool TrackedShown(WindowId window) {
    HWND hwnd = ToHwnd(window);
    return ::IsWindowVisible(hwnd) && !::IsIconic(hwnd);
}

BOOL CALLBACK LearnCallback(HWND window, LPARAM) {
    const std::optional<WindowFacts> facts = FactsOf(window);
    if (!facts) return TRUE;
    return LearnFromWindow(*facts, g_recording, Titles(), &TrackedShown) ? TRUE : FALSE;
}

void EnumerationPass(void*) { ::EnumWindows(&LearnCallback, 0); }

void ThreadEnded(void*) { Titles().ForgetLastClicked(); }

TrackingWorker& Worker() {
    static TrackingWorker worker(&EnumerationPass, &ThreadEnded, nullptr);
    return worker;
}

class Win32TrackingSystem final : public TrackingSystem {
public:
    std::optional<WindowFacts> Find(std::wstring_view className, std::wstring_view title) override {
        const std::wstring cls(className), text(title);
        return FactsOf(::FindWindowW(cls.c_str(), text.c_str()));
    }
    std::optional<WindowFacts> Facts(WindowId window) override { return FactsOf(ToHwnd(window)); }
    void RefreshDisplays() override { ::RefreshDisplays(); }
    void StopTimer() override {
        if (WinDlg* recorder = RecorderWindow()) recorder->StopRecorderTimer();
    }
    void StartTimer() override {
        if (WinDlg* recorder = RecorderWindow()) recorder->StartRecorderTimer();
    }
    void RestartPreview() override {
        AppendLog(L"Tracking: clone preview restarted");
        BuildClonePreview();
    }
    bool RecorderExists() override {
        WinDlg* recorder = RecorderWindow();
        return recorder && recorder->m_hWnd;
    }
    // The clone preview's capture filter and its kept settings interface.
    bool PreviewCaptureExists() override {
        const ClonePreviewState& preview = ClonePreview();
        return preview.CloneCaptureFilter && preview.CloneSettings;
    }
    void WriteSettings() override { ::WriteSettings(); }
    void ReadSettings() override { ::ReadSettings(); }
    void Beep(unsigned frequency, unsigned milliseconds) override {
        AppendLog(L"Tracking: beep %u Hz %u ms", frequency, milliseconds);
        ::Beep(frequency, milliseconds);
    }
    std::wstring StatusText() override { return TheSession().State().StatusText; }
    void ShowStatus(const std::wstring& text) override { TheSession().ShowStatus(text); }
};

TrackingTicker& Ticker() {
    static Win32TrackingSystem system;
    static TrackingTicker ticker(system, Titles(), Settings, Env());
    return ticker;
}

}  // namespace

void StartTracking() { Worker().Start(); }

void StopTracking() { Worker().Stop(); }

void EndTrackingThread() {
    g_recording = true;
    Worker().EndThread();
}

void AdoptLastClickedWindow() {}

bool BackgroundActive() { return Ticker().BackgroundActive() != 0; }

HWND TrackedWindow() { return ToHwnd(Titles().TrackedWindow()); }

int RelativeScale() { return Ticker().RelativeScale(); }

void BackgroundPositionCheck() { Ticker().BackgroundPositionCheck(); }

void TrackingTick() {
    const bool recording = TheSession().State().Recording;
    g_recording = recording;
    const StartupState& startup = Startup();
    Ticker().Tick(TrackingTickInputs{recording, startup.DisplayScale1, startup.DisplayScale2});
}

std::wstring TrackedTitleText() { return Titles().TrackedTitle(); }

std::wstring ConversationTitleText() { return Titles().Titles().conversation; }

std::wstring LastClickedTitleText() { return std::wstring(); }

void BringTrackedWindowToTop() {
    const std::wstring title = TrackedTitleText();
    if (title.empty()) return;
    HWND window = ::FindWindowW(nullptr, title.c_str());
    if (!window) return;
    ::SetWindowPos(window, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    ::SetForegroundWindow(window);
}

void FitTrackedWindowOnDisplay() {
    const std::wstring title = TrackedTitleText();
    if (title.empty() || Settings.FullScreen) return;
    HWND window = ::FindWindowW(nullptr, title.c_str());
    if (!window) return;
    RECT r{};
    if (!::GetWindowRect(window, &r)) return;
    const Environment& env = Env();
    const ScreenRect fitted = FitOnDisplay(ScreenRect{r.left, r.top, r.right, r.bottom}, Settings.Monitor,
                                           env.Display1Rect, env.Display2Rect);
    ::SetWindowPos(window, nullptr, fitted.left, fitted.top, fitted.Width(), fitted.Height(),
                   SWP_NOZORDER | SWP_NOACTIVATE);
    WaitPumping(1000);
}

void DropTrackedWindowLayering() {}
