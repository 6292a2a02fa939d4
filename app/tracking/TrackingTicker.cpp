#include "app/tracking/TrackingTicker.h"

namespace {

constexpr unsigned kMarkedRegionBeepHz = 400;
constexpr unsigned kMarkedRegionBeepMs = 75;

}  // namespace

void TrackingTicker::BackgroundPositionCheck() {
    if (m_positionChecked || !m_system.RecorderExists() || !m_system.PreviewCaptureExists()) return;
    m_positionChecked = true;
    const ScreenRect& display1 = m_env.Display1Rect;
    if (m_settings.Monitor != 1 || (m_settings.xTop >= display1.left && m_settings.xTop <= display1.right)) return;
    m_settings.xTop = display1.left;
    m_settings.yTop = display1.top;
    m_system.WriteSettings();
    m_system.ReadSettings();
    m_system.RestartPreview();
}

void TrackingTicker::Tick(const TrackingTickInputs& inputs) {
    BackgroundScale(inputs);
    if (inputs.recording) return;
    if (!m_settings.FullScreen && m_settings.AutoMark != 0)
        TrackingStep();
    else
        ModeTransitions();
    IdleStatus();
}

void TrackingTicker::BackgroundScale(const TrackingTickInputs& inputs) {
    m_relativeScale =
        RelativeScaleFor(m_backgroundActive, m_settings.Monitor, inputs.displayScale1, inputs.displayScale2);
    const bool changed = (m_lastBackgroundActive && *m_lastBackgroundActive != m_backgroundActive) ||
                         (m_lastScale2 && *m_lastScale2 != inputs.displayScale2);
    if (changed && !inputs.recording && m_settings.HideWindow && m_system.RecorderExists() &&
        m_system.PreviewCaptureExists()) {
        m_relativeScale =
            RelativeScaleFor(m_backgroundActive, m_settings.Monitor, inputs.displayScale1, inputs.displayScale2);
        m_system.RestartPreview();
    }
    m_lastBackgroundActive = m_backgroundActive;
    m_lastScale2 = inputs.displayScale2;
}

void TrackingTicker::TrackingStep() {
    m_found = FindSkypeWindows(m_system, m_titles.Titles());
    const WindowFacts* chosen = ChooseTrackedWindow(m_found, m_settings.AutoMark);
    if (chosen)
        m_titles.Track(chosen->id, chosen->title);
    else
        m_titles.ClearTrackedWindow();

    if (!chosen || chosen->minimised) {
        m_backgroundActive = 0;
    } else {
        m_backgroundActive = BackgroundActiveFor(chosen, m_settings.HideWindow);
        FollowTrackedWindow(*chosen);
    }
    m_fullScreenEntered = false;
    m_markedRegionEntered = false;
}

void TrackingTicker::FollowTrackedWindow(const WindowFacts& tracked) {
    m_system.RefreshDisplays();
    if (m_env.DisplayCount > 1) {
        const MonitorFlip flip =
            FlipMonitor(tracked.rect, m_settings.Monitor, m_env.DesktopRect, m_env.Display2WorkRect);
        if (flip.onDisplays) {
            m_system.StopTimer();
            m_settings.Monitor = flip.monitor;
            if (flip.restartPreview) m_system.RestartPreview();
            m_system.StartTimer();
        }
    }
    // The rectangle now, not the one the lookup saw before the displays were read.
    const std::optional<WindowFacts> now = m_system.Facts(tracked.id);
    const ScreenRect rect = now ? now->rect : tracked.rect;
    if (rect == m_lastTrackedRect) return;
    m_settings.xTop = rect.left;
    m_settings.yTop = rect.top;
    m_settings.xBottom = rect.right;
    m_settings.yBottom = rect.bottom;
    m_system.WriteSettings();
    m_system.RestartPreview();
    m_lastTrackedRect = rect;
}

void TrackingTicker::ModeTransitions() {
    if (m_settings.FullScreen) {
        if (m_fullScreenEntered) return;
        m_backgroundActive = 0;
        m_fullScreenEntered = true;
        m_markedRegionEntered = false;
    } else if (m_settings.AutoMark == 0 && !m_markedRegionEntered) {
        m_backgroundActive = 0;
        m_markedRegionEntered = true;
        m_fullScreenEntered = false;
        m_system.Beep(kMarkedRegionBeepHz, kMarkedRegionBeepMs);
        m_system.RestartPreview();
    }
}

void TrackingTicker::IdleStatus() {
    const std::optional<std::wstring> text =
        IdleStatusText(m_found, m_settings.AutoMark, m_titles.TrackedTitle(), m_backgroundActive);
    if (text && *text != m_system.StatusText()) m_system.ShowStatus(*text);
}
