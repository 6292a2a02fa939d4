#include "app/session/RecordingSession.h"

#include <cwchar>

#include "app/services/Environment.h"
#include "app/session/VideoOnlyChoice.h"
#include "settings/Settings.h"
#include "settings/SettingsFile.h"
#include "settings/SettingsText.h"

namespace {

// Clears the toggle's re-entry guard on every way out.
class BusyGuard {
public:
    explicit BusyGuard(bool& busy) : m_busy(busy) { m_busy = true; }
    BusyGuard(const BusyGuard&) = delete;
    BusyGuard& operator=(const BusyGuard&) = delete;
    ~BusyGuard() { m_busy = false; }

private:
    bool& m_busy;
};

bool Intersects(const ScreenRect& a, const ScreenRect& b) {
    return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom && a.Width() > 0 &&
           a.Height() > 0 && b.Width() > 0 && b.Height() > 0;
}

std::wstring Format(const wchar_t* format, const std::wstring& a, const std::wstring& b = {},
                    const std::wstring& c = {}) {
    wchar_t text[4096];
    std::swprintf(text, 4096, format, a.c_str(), b.c_str(), c.c_str());
    return text;
}

}  // namespace

std::wstring MegabytesText(std::uint64_t bytes) {
    wchar_t text[64];
    std::swprintf(text, 64, L"%.2f", static_cast<double>(bytes) / 1024.0 / 1024.0);
    return text;
}

std::wstring TimeOfDayText(std::int64_t duration100ns) {
    if (duration100ns < 0) duration100ns = 0;
    const std::int64_t seconds = duration100ns / kTicksPerSecond;
    const auto part = [](std::int64_t n) { return (n > 9 ? L"" : L"0") + std::to_wstring(n); };
    return part(seconds / 3600 % 24) + L":" + part(seconds / 60 % 60) + L":" + part(seconds % 60);
}

void RecordingSession::SetStatus(const std::wstring& text, bool repaint) {
    m_state.StatusText = text.substr(0, 4095);
    if (repaint) m_ui.RepaintStatus(m_state.StatusText);
}

void RecordingSession::ToggleRecording() {
    m_peers.CloseSetupDialog();
    if (m_peers.MotionSearchRunning()) return;
    if (!Settings.ShowVideo) m_ui.ShowInfoText(L"");
    if (m_state.ToggleBusy) return;
    BusyGuard busy(m_state.ToggleBusy);

    if (m_state.Recording || m_state.PausedFlag) {
        // A stop always stops: the second source matters only to a recording
        // about to start, and a microphone unplugged meanwhile must not keep
        // this one going.
        Stop();
        // A fault's own box says it, with the rest of what happened.
        if (m_state.StopError < 0 && m_state.PendingFault == GraphFault::None)
            m_platform.ShowMessage(StopFailureMessage(m_state.StopError, m_state.OutputPath), false);
        return;
    }
    if (Settings.DualAudio && Settings.AudioSource1[0]) {
        if (m_peers.SetupSecondSource(std::wstring(TextOf(Settings.AudioSource1))) == 0) {
            m_peers.OpenAudioSetup(false);
            return;
        }
    }
    if (Settings.DualAudio && (!Settings.AudioOutput1[0] || !Settings.AudioSource1[0])) {
        m_state.StopRequested = false;
        m_platform.ShowMessage(
            L"No second audio source specified for dual audio. Open Audio Setup and select a Microphone or Line In.",
            false);
        return;
    }
    Start();
}

void RecordingSession::Stop() {
    m_ui.StopTimer();
    SetStatus(L"Stopping recording. Please wait...", true);
    m_ui.RestartClonePreview();
    SetStatus(L"Stopping. Please wait...", false);
    m_platform.WaitPumping(250);
    CloseProbe();

    m_state.PauseState = kRunning;
    m_state.Recording = false;
    m_state.StopRequested = false;
    m_state.StartRequested = false;
    m_state.PausedFlag = false;
    m_state.StopError = 0;
    if (m_graph.Exists()) {
        const std::int32_t stopped = m_graph.Stop();
        if (stopped < 0) m_state.StopError = stopped;
        if (stopped >= 0) m_peers.RecordingFinished();
        m_graph.Reset();
        m_state.Recording = false;
    }
    m_ui.SetRecordButtonText(L"RECORD");
    m_state.PostStopPending = true;
    m_ui.Restore();
    m_ui.StartTimer();
}

bool RecordingSession::OverlapsCaptureRegion() {
    ScreenRect recorder;
    if (!m_ui.RecorderRect(recorder)) return false;
    const ScreenRect capture{Settings.xTop, Settings.yTop, Settings.xBottom, Settings.yBottom};
    if (!Intersects(recorder, capture)) return false;
    const Environment& env = Env();
    return env.NotWindows7 || (env.VistaOrLater && !Settings.Basic);
}

void RecordingSession::Start() {
    m_peers.CloseMarkingWindow();
    m_ui.StopTimer();
    m_peers.ReadSettings();

    if (!m_peers.SetupOutputFile(m_state.OutputName, m_state.OutputPath)) {
        m_state.Recording = false;
        m_platform.ShowMessage(L"Failed to setup recording file name", false);
        m_ui.StartTimer();
        return;
    }

    if (Env().VistaOrLater && Settings.VistaAudio == 2) {
        Settings.VistaAudio = 1;
        Settings.AudioOnly = 0;
        Settings.VideoOnly = 0;
        CopyText(Settings.AudioSource, L"Sonark5");
        CopyText(Settings.AudioOutput, L"Out");
        m_peers.WriteSettings();
    }

    if (!m_peers.BackgroundActive() && !m_state.Recording && !m_state.HotkeyStarted && OverlapsCaptureRegion() &&
        std::wcschr(Settings.Hotkey, L'+')) {
        const std::wstring key = m_hotkeyText ? m_hotkeyText(Settings.Hotkey) : std::wstring(TextOf(Settings.Hotkey));
        const int answer = m_platform.ShowMessage(
            Format(L"Telvane window overlaps the recording area. You can use the hotkey (%ls) to start/stop "
                   L"recording and hide the Telvane.\n\nContinue anyway?",
                   key),
            true);
        if (answer == 7) {
            m_ui.StartTimer();
            return;
        }
    }

    if (!BeginRecording()) {
        // Back to idle with the tick running, so requests and tracking go on.
        m_ui.StartTimer();
        return;
    }
    if (Settings.SetTopWindow) m_peers.AdoptLastClickedWindow();
    SetStatus(m_state.OutputName, true);
    m_state.PauseState = kRunning;
    m_state.PausedTime = 0;
    m_state.RecordedBytes = 0;
    m_state.PausedFlag = false;
    m_state.ZeroSizeTicks = 0;
    m_state.StalledTicks = 0;
    m_state.FileGrew = false;
    m_state.PendingFault = GraphFault::None;
    m_state.SpeakersGone = m_state.MicrophoneGone = false;
    m_state.SpeakersNoteTicks = m_state.MicrophoneNoteTicks = 0;
    m_state.SilenceRestartWait = 0;
    if (m_ui.IsLargeLayout())
        m_ui.SetMenu(Env().NotWindows7 ? RecorderMenu::RecordingWithBackground : RecorderMenu::Recording);
    Settings.SetTopWindow = 1;
    m_ui.StartTimer();
}

bool RecordingSession::BeginRecording() {
    StartSilenceHelper();
    m_platform.WaitPumping(1000);
    m_state.Recording = true;
    m_state.ProbeState = SessionState::Probe::None;
    ClearVideoOnlyChoice();
    SetStatus(L"Initialize recording...", true);

    std::int64_t startTime = 0;
    if (m_graph.Start(startTime)) {
        m_state.RecordingStartTime = startTime;
        m_state.RecordingStartClock = m_platform.MonotonicNow();
        m_peers.RecordingBegan(m_state.OutputPath, startTime);
        if (m_state.HotkeyStarted) m_ui.Hide();
        m_state.HotkeyStarted = false;
        m_ui.SetRecordButtonText(L"STOP");
        m_peers.EndTracking();
        return true;
    }
    m_state.Recording = false;
    m_state.HotkeyStarted = false;
    m_graph.Reset();
    SetStatus(L"", true);
    return false;
}

void RecordingSession::TogglePause() {
    if (m_state.PauseState != kRunning) {
        m_state.PausedFlag = false;
        m_state.PauseState = kResumeRequested;
    } else {
        m_state.PauseState = kPauseRequested;
        m_state.PausedFlag = true;
    }
}

void RecordingSession::CloseProbe() {
    if (m_state.ProbeState == SessionState::Probe::Open) m_platform.CloseProbe();
    m_state.ProbeState = SessionState::Probe::None;
}

void RecordingSession::ProbeFileSize() {
    if (m_state.ProbeState == SessionState::Probe::None)
        m_state.ProbeState =
            m_platform.OpenProbe(m_state.OutputPath) ? SessionState::Probe::Open : SessionState::Probe::Failed;
    if (m_state.ProbeState != SessionState::Probe::Open) return;
    const std::uint64_t before = m_state.RecordedBytes;
    m_state.RecordedBytes = m_platform.ProbeLength();
    // Only an unbroken run of empty measurements of this recording counts.
    if (m_state.RecordedBytes == 0)
        ++m_state.ZeroSizeTicks;
    else
        m_state.ZeroSizeTicks = 0;
    if (m_state.RecordedBytes > before) {
        if (before > 0) m_state.FileGrew = true;
        m_state.StalledTicks = 0;
    } else if (m_state.RecordedBytes > 0) {
        ++m_state.StalledTicks;
    }
}

void RecordingSession::TakeGraphEvents() {
    SessionState& s = m_state;
    GraphEvent event;
    for (int i = 0; i < kEventsPerTick && m_graph.NextEvent(event); ++i) {
        if (event.code == kEventAudioDevice) {
            const bool microphone = event.param1 == kFlowMicrophone;
            (microphone ? s.MicrophoneGone : s.SpeakersGone) = event.param2 == 0;
            if (event.param2 == 0) (microphone ? s.MicrophoneNoteTicks : s.SpeakersNoteTicks) = kDeviceNoteTicks;
            continue;
        }
        const GraphFault fault = FaultOfEvent(event);
        if (fault != GraphFault::None && s.PendingFault == GraphFault::None) {
            s.PendingFault = fault;
            s.PendingFaultError = event.param1;
        }
    }
    const int limit = s.FileGrew ? kStalledTickLimit : kZeroSizeTickLimit;
    if (s.PendingFault == GraphFault::None && s.PauseState == kRunning && s.StalledTicks >= limit) {
        s.PendingFault = GraphFault::Stalled;
        s.PendingFaultError = 0;
    }
}

void RecordingSession::StopForFault() {
    SessionState& s = m_state;
    const GraphFault fault = WithDiskSpace(s.PendingFault, m_platform.DiskFull(s.OutputPath));
    const std::wstring recorded = TimeOfDayText(RecordedTime());
    const std::wstring path = s.OutputPath;
    if (!StopFromTick()) return;
    std::wstring text = FaultMessage(fault, s.PendingFaultError, path, recorded);
    // A writer that could not write its packets cannot finish its file
    // either; that stop's error is the same fault's.
    const bool sameFault =
        s.StopError == s.PendingFaultError || (fault == GraphFault::DiskFull && IsDiskFullError(s.StopError));
    if (s.StopError < 0 && !sameFault) text += L"\n\n" + StopFailureMessage(s.StopError, path);
    s.PendingFault = GraphFault::None;
    m_platform.ShowMessage(text, false);
}

void RecordingSession::KeepSilenceHelper() {
    if (!Env().VistaOrLater || !Settings.VistaAudio) return;
    if (m_platform.WindowExists(L"Silence")) {
        m_state.SilenceRestartWait = 0;
        return;
    }
    if (m_state.SilenceRestartWait > 0) {
        --m_state.SilenceRestartWait;
        return;
    }
    m_platform.StartHidden(L".\\zvsln.exe");
    m_state.SilenceRestartWait = kSilenceRestartTicks;
}

void RecordingSession::RecordingTick() {
    SessionState& s = m_state;
    if (!s.Recording && s.StartRequested) {
        s.StartRequested = false;
        ToggleRecording();
        return;
    }
    if (s.Recording && m_graph.Exists() && s.PauseState == kPauseRequested) {
        s.PauseState = kPaused;
        s.StalledTicks = 0;
        m_ui.StopTimer();
        m_graph.Pause();
        m_ui.StartTimer();
        return;
    }
    if (s.Recording && m_graph.Exists() && s.PauseState == kResumeRequested) {
        m_ui.StopTimer();
        s.PauseState = kRunning;
        s.StalledTicks = 0;
        m_graph.Run();
        m_ui.StartTimer();
        return;
    }
    if (s.PauseState == kPaused) s.PausedTime += kTicksPerSecond;

    if (s.Recording && s.PauseState == kRunning && s.StopRequested) {
        StopFromTick();
        return;
    }
    if (s.Recording && s.PauseState == kRunning) ProbeFileSize();
    if (s.Recording) {
        TakeGraphEvents();
        if (s.PendingFault != GraphFault::None) {
            StopForFault();
            return;
        }
    }
    if (s.Recording && s.PauseState == kRunning) {
        KeepSilenceHelper();
        if (s.ZeroSizeTicks >= kZeroSizeTickLimit) {
            // Left at the limit when the stop could not run, so the next tick tries again.
            if (!StopFromTick()) return;
            s.ZeroSizeTicks = 0;
            m_platform.ShowMessage(L"Recording error (x013). Telvane will close now", false);
            m_peers.CloseProgram();
            return;
        }
        const std::int64_t recorded = RecordedTime();
        if (Settings.MaxFileTime > 0 && recorded >= Settings.MaxFileTime * kTicksPerSecond) {
            s.StopRequested = true;
            if (!StopFromTick()) {
                // Not stopped: the next tick meets the limit again and stops
                // the recording then; only a real stop says the time is up.
                s.StopRequested = false;
                return;
            }
            m_platform.PlaySoundFile(L".\\ding.wav");
            m_platform.ShowMessage(L"Recording Stopped. File time exceeded", false);
            m_ui.SetTitle(L"Telvane");
            return;
        }
        s.ElapsedText = TimeOfDayText(recorded);
    }
    if (s.Recording) UpdateStatus();
}

bool RecordingSession::StopForSessionEnd() {
    if (!m_state.Recording && !m_state.PausedFlag) return false;
    Stop();
    return true;
}

void RecordingSession::OnGraphNotice() {
    // Inside a toggle's pumped waits the tick acts once the toggle is done.
    if (!m_state.Recording || m_state.ToggleBusy) return;
    TakeGraphEvents();
    if (m_state.PendingFault != GraphFault::None) StopForFault();
}

bool RecordingSession::StopFromTick() {
    // Timer 1 is stopped so that no tick runs inside the stop's pumped waits,
    // and runs again afterwards whatever the toggle did: it returns at once
    // while a motion search or another toggle runs, and a tick that left the
    // timer stopped would end the status, the time limit and the hotkey.
    m_ui.StopTimer();
    CloseProbe();
    m_state.PauseState = kRunning;
    ToggleRecording();
    m_ui.StartTimer();
    return !m_state.Recording;
}

std::int64_t RecordingSession::RecordedTime() {
    return m_platform.MonotonicNow() - m_state.RecordingStartClock - m_state.PausedTime;
}

void RecordingSession::UpdateStatus() {
    const std::wstring mb = MegabytesText(m_state.RecordedBytes);
    const std::wstring elapsed = m_state.ElapsedText;
    const std::wstring limit(TextOf(DurationText));
    std::wstring text;
    if (m_state.PausedFlag)
        text = Format(L"Paused: %ls MB, %ls/%ls", mb, elapsed, limit);
    else if (!elapsed.empty() && !limit.empty())
        text = Format(L"Recording: %ls MB  %ls/%ls", mb, elapsed, limit);
    else if (!elapsed.empty())
        text = Format(L"Recording: %ls MB  %ls", mb, elapsed);
    else
        text = Format(L"Recording: %ls MB", mb);
    SessionState& s = m_state;
    const std::wstring note =
        AudioDeviceNote(s.SpeakersGone || s.SpeakersNoteTicks > 0, s.MicrophoneGone || s.MicrophoneNoteTicks > 0);
    if (s.SpeakersNoteTicks > 0) --s.SpeakersNoteTicks;
    if (s.MicrophoneNoteTicks > 0) --s.MicrophoneNoteTicks;
    if (!note.empty()) text += L"  " + note;
    SetStatus(text, true);
}

bool RecordingSession::PostStopReport() {
    if (!m_state.PostStopPending) return false;
    m_state.PostStopPending = false;
    SetStatus(L"Stopping. Please wait...", false);
    if (m_ui.IsLargeLayout()) m_ui.SetMenu(RecorderMenu::Idle);
    SetStatus(Format(L"Recording Stopped: %ls MB", MegabytesText(m_state.RecordedBytes)), false);
    m_peers.ResetMotionSearch();
    m_ui.Restore();
    m_ui.RepaintStatus(m_state.StatusText);
    m_peers.StartTracking();
    return true;
}

void RecordingSession::StartSilenceHelper() {
    if (!Env().VistaOrLater || !Settings.VistaAudio) return;
    if (m_platform.WindowExists(L"Silence")) return;
    // A helper the shell cannot start will not appear: say so at once
    // rather than after twenty seconds of waiting.
    if (m_platform.StartHidden(L".\\zvsln.exe")) {
        for (int i = 0; i < 20; ++i) {
            m_platform.WaitPumping(1000);
            if (m_platform.WindowExists(L"Silence")) return;
        }
    }
    m_platform.ShowMessage(L"File zvsln.exe could not be found or open", false);
}

int RecordingSession::OnHotkey() {
    if (m_state.HotkeyLockout) return 0;
    m_state.HotkeyLockout = true;
    if (m_state.Recording) {
        m_state.StopRequested = true;
        m_state.HotkeyStarted = false;
        return 10;
    }
    SetStatus(L"Initialize recording...", true);
    m_state.HotkeyStarted = true;
    m_state.StartRequested = true;
    return 5;
}
