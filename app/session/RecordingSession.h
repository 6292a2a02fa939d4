#pragma once
// The recording session: when a recording starts, pauses, resumes and
// stops, the file-size probe, the time limit and the status line. It runs
// on the GUI thread, in the record toggle and in the recorder window's
// one-second tick; the hotkey and the marking window only set requests
// that the next tick carries out.

#include <atomic>
#include <cstdint>
#include <string>

#include "app/session/SessionSeams.h"

enum PauseStates { kRunning = 0, kPauseRequested = 1, kPaused = 2, kResumeRequested = 3 };

struct SessionState {
    bool Recording = false;
    int PauseState = kRunning;
    bool PausedFlag = false;
    // Set from the hotkey and the marking window; carried out by the next tick.
    std::atomic<bool> StartRequested{false};
    std::atomic<bool> StopRequested{false};
    bool HotkeyStarted = false;
    // Hotkey presses are ignored while set; a worker clears it after the
    // lockout returned by OnHotkey.
    std::atomic<bool> HotkeyLockout{false};
    bool ToggleBusy = false;
    bool PostStopPending = false;
    std::uint64_t RecordedBytes = 0;
    // The output file's probe: not opened yet, open, or failed for this recording.
    enum class Probe { None, Open, Failed } ProbeState = Probe::None;
    // Consecutive ticks of the current recording at which the file measured 0 bytes.
    int ZeroSizeTicks = 0;
    // Consecutive running ticks at which a file of some bytes had not grown,
    // and whether it has grown since its first measurement.
    int StalledTicks = 0;
    bool FileGrew = false;
    // What the graph's events reported: a fault that ends the recording at
    // the next chance, with its error, and the audio devices gone.
    GraphFault PendingFault = GraphFault::None;
    std::int32_t PendingFaultError = 0;
    bool SpeakersGone = false;
    bool MicrophoneGone = false;
    // Ticks a loss stays in the status line after its device came back.
    int SpeakersNoteTicks = 0;
    int MicrophoneNoteTicks = 0;
    // The last stop's result: negative when the graph refused to stop.
    std::int32_t StopError = 0;
    // Ticks to wait before the silence helper is started again.
    int SilenceRestartWait = 0;
    std::int64_t RecordingStartTime = 0;   // local time, 100-ns units
    std::int64_t RecordingStartClock = 0;  // the monotonic clock then
    std::int64_t PausedTime = 0;           // 100-ns units
    std::wstring ElapsedText;
    std::wstring StatusText;
    std::wstring OutputName;
    std::wstring OutputPath;
};

// A recording is stopped after this many zero-size ticks in a row.
constexpr int kZeroSizeTickLimit = 30;
// A file that grew and then stays the same size for this many running ticks
// is no longer written; before it first grew, the zero-size limit applies.
constexpr int kStalledTickLimit = 5;
// A silence helper that is gone during a recording is started again, at
// most once in this many ticks.
constexpr int kSilenceRestartTicks = 5;
// A lost audio device stays in the status line at least this many ticks, so
// a device that comes back at once is still seen to have gone.
constexpr int kDeviceNoteTicks = 5;
// The graph's events read at most per tick.
constexpr int kEventsPerTick = 64;
constexpr std::int64_t kTicksPerSecond = 10000000;

class RecordingSession {
public:
    RecordingSession(RecordingGraphControl& graph, RecorderUi& ui, SessionPlatform& platform, SessionPeers& peers)
        : m_graph(graph), m_ui(ui), m_platform(platform), m_peers(peers) {}

    SessionState& State() { return m_state; }
    const SessionState& State() const { return m_state; }

    // Starts when idle, stops when recording ("&Record", "&Stop", the record
    // button, a double click, and the tick for the requests).
    void ToggleRecording();
    // "&Pause": requests a pause, or a resume when paused; the tick acts.
    void TogglePause();
    // The session's share of the recorder window's tick.
    void RecordingTick();
    // The graph has events waiting (its notification to the recorder
    // window): a fault stops the recording at once rather than at the tick.
    void OnGraphNotice();
    // Tick step 6: true when a stop left a report to give (the tick ends then).
    bool PostStopReport();
    // The Windows session ends (log off, shut down): a recording stops as
    // at a click, so that its file is finished before the system goes on.
    // True when one was stopped.
    bool StopForSessionEnd();
    // Starts ".\zvsln.exe" unless its window "Silence" exists; waits for it.
    void StartSilenceHelper();
    // Sets the status line; repaint shows it at once.
    void ShowStatus(const std::wstring& text, bool repaint = true) { SetStatus(text, repaint); }

    // A press of the record hotkey: requests a start or a stop for the next
    // tick and sets the lockout. Returns how many seconds the lockout lasts
    // (5 after a start request, 10 after a stop request), 0 when the press
    // was ignored.
    int OnHotkey();

    // The hotkey's display text for the overlap warning, e.g. "SHIFT+Z";
    // empty when the setting has no "+". Set by the program.
    using HotkeyTextFn = std::wstring (*)(const wchar_t* hotkey);
    void SetHotkeyDisplayText(HotkeyTextFn fn) { m_hotkeyText = fn; }

private:
    void Stop();
    void Start();
    // The tick's stops (the hotkey's request, the empty file, the time
    // limit): true when the recording stopped; timer 1 runs again either way.
    bool StopFromTick();
    bool BeginRecording();
    // Reads the graph's pending events: a fault to stop for, device news.
    void TakeGraphEvents();
    // Stops for the pending fault and says why; the fault stays pending
    // while the stop cannot run.
    void StopForFault();
    // Starts the silence helper again when its window is gone.
    void KeepSilenceHelper();
    bool OverlapsCaptureRegion();
    void ProbeFileSize();
    void CloseProbe();
    void SetStatus(const std::wstring& text, bool repaint);
    void UpdateStatus();
    // How long the recording has run, its pauses left out (100-ns units).
    std::int64_t RecordedTime();

    RecordingGraphControl& m_graph;
    RecorderUi& m_ui;
    SessionPlatform& m_platform;
    SessionPeers& m_peers;
    HotkeyTextFn m_hotkeyText = nullptr;
    SessionState m_state;
};

// Megabytes as the status line shows them: bytes / 1024 / 1024, "%.2f".
std::wstring MegabytesText(std::uint64_t bytes);

// "hh:mm:ss" of a duration taken as a time of day (hours modulo 24).
std::wstring TimeOfDayText(std::int64_t duration100ns);
