#pragma once
// The recorder tick's tracking duties, in their order: the one-shot
// background position check, the background scale, then (no recording
// running) the tracking step or the mode transitions, and the idle status
// line. Runs on the GUI thread; reaches the system through TrackingSystem.

#include <optional>
#include <string>

#include "app/services/Environment.h"
#include "app/tracking/TrackingRules.h"
#include "app/tracking/TrackingTitles.h"
#include "settings/Settings.h"

class TrackingSystem : public WindowFinder {
public:
    // The current facts of a window found earlier; nothing once it is gone.
    virtual std::optional<WindowFacts> Facts(WindowId window) = 0;
    // Fills the display geometry (the environment the ticker reads).
    virtual void RefreshDisplays() = 0;
    // The recorder window's timer 1.
    virtual void StopTimer() = 0;
    virtual void StartTimer() = 0;
    virtual void RestartPreview() = 0;
    // Whether the recorder window exists, and the clone preview's capture filter.
    virtual bool RecorderExists() = 0;
    virtual bool PreviewCaptureExists() = 0;
    virtual void WriteSettings() = 0;
    virtual void ReadSettings() = 0;
    virtual void Beep(unsigned frequency, unsigned milliseconds) = 0;
    virtual std::wstring StatusText() = 0;
    // Sets the status line and repaints it.
    virtual void ShowStatus(const std::wstring& text) = 0;
};

// What the tick needs to know besides the settings and the environment.
struct TrackingTickInputs {
    bool recording = false;
    int displayScale1 = 100;     // percent
    double displayScale2 = 100;  // percent
};

class TrackingTicker {
public:
    TrackingTicker(TrackingSystem& system, TrackingTitles& titles, SettingsRecord& settings, const Environment& env)
        : m_system(system), m_titles(titles), m_settings(settings), m_env(env) {}

    // Tick step 2.
    void BackgroundPositionCheck();
    // Tick step 5.
    void Tick(const TrackingTickInputs& inputs);

    int BackgroundActive() const { return m_backgroundActive; }
    int RelativeScale() const { return m_relativeScale; }
    const ScreenRect& LastTrackedRect() const { return m_lastTrackedRect; }
    const SkypeWindows& Found() const { return m_found; }

private:
    void BackgroundScale(const TrackingTickInputs& inputs);
    void TrackingStep();
    void FollowTrackedWindow(const WindowFacts& tracked);
    void ModeTransitions();
    void IdleStatus();

    TrackingSystem& m_system;
    TrackingTitles& m_titles;
    SettingsRecord& m_settings;
    const Environment& m_env;

    SkypeWindows m_found;  // of the last tracking step that ran
    ScreenRect m_lastTrackedRect;
    int m_backgroundActive = 0;
    int m_relativeScale = 100;
    bool m_fullScreenEntered = false;
    bool m_markedRegionEntered = false;
    // What the background scale saw at the previous tick; nothing before the first.
    std::optional<int> m_lastBackgroundActive;
    std::optional<double> m_lastScale2;
    bool m_positionChecked = false;
};
