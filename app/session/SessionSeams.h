#pragma once
// What the recording session needs from the rest of the recorder and from
// the system, in small interfaces: the recording graph, the recorder
// window, the platform (waits, boxes, the size probe, the clock, helper
// programs) and the other parts of the recorder it calls into. The program
// implements them over Win32 and the real parts; native tests script fakes.

#include <cstdint>
#include <string>

#include "app/services/Geometry.h"
#include "app/session/GraphFaults.h"

class RecordingGraphControl {
public:
    virtual ~RecordingGraphControl() = default;
    virtual bool Exists() = 0;
    // Builds the graph from the settings and the output path, runs it and
    // stores the start time; false after it showed its own message.
    virtual bool Start(std::int64_t& startTime) = 0;
    virtual void Run() = 0;
    virtual void Pause() = 0;
    // Notifies the restore helper, waits a second and stops the graph; the
    // stop's result (an HRESULT: negative when the graph refused).
    virtual std::int32_t Stop() = 0;
    // Takes the next of the graph's pending events; false when none waits.
    virtual bool NextEvent(GraphEvent& event) = 0;
    // Removes the filters and recreates an empty graph.
    virtual void Reset() = 0;
};

// The menus the large layout shows around a recording.
enum class RecorderMenu { Recording, RecordingWithBackground, Idle };

class RecorderUi {
public:
    virtual ~RecorderUi() = default;
    virtual void RepaintStatus(const std::wstring& status) = 0;
    virtual void SetRecordButtonText(const std::wstring& text) = 0;
    virtual bool IsLargeLayout() = 0;
    virtual void SetMenu(RecorderMenu menu) = 0;
    virtual void Restore() = 0;
    virtual void Hide() = 0;
    virtual void ShowInfoText(const std::wstring& text) = 0;
    virtual void SetTitle(const std::wstring& title) = 0;
    // The rectangle of the window titled "Quorra"; false when there is none.
    virtual bool RecorderRect(ScreenRect& rect) = 0;
    // The recorder window's timer 1 (1000 ms).
    virtual void StartTimer() = 0;
    virtual void StopTimer() = 0;
    virtual void RestartClonePreview() = 0;
};

class SessionPlatform {
public:
    virtual ~SessionPlatform() = default;
    virtual void WaitPumping(unsigned ms) = 0;
    // The recorder's message box; yesNo selects Yes/No. Returns 1, 6 or 7.
    virtual int ShowMessage(const std::wstring& text, bool yesNo) = 0;
    // The size probe: a read-only handle on the output file that lets the
    // graph go on writing. OpenProbe is false when the file cannot be opened.
    virtual bool OpenProbe(const std::wstring& path) = 0;
    virtual std::uint64_t ProbeLength() = 0;
    virtual void CloseProbe() = 0;
    // A clock that only moves on, in 100-ns units (the tick count): the
    // recording's time and its limit follow it, never a change of the wall
    // clock (daylight saving, a clock set by hand or by the network).
    virtual std::int64_t MonotonicNow() = 0;
    virtual bool WindowExists(const std::wstring& title) = 0;
    // Starts a program beside the recorder, hidden; false when the shell refused.
    virtual bool StartHidden(const std::wstring& file) = 0;
    virtual void PlaySoundFile(const std::wstring& file) = 0;
    // Whether the disk that holds `path` has no room left.
    virtual bool DiskFull(const std::wstring& path) = 0;
};

// The other parts of the recorder the session calls into.
class SessionPeers {
public:
    virtual ~SessionPeers() = default;
    // Fills the output name and path for a new recording; false when none
    // could be made.
    virtual bool SetupOutputFile(std::wstring& name, std::wstring& path) = 0;
    virtual int SetupSecondSource(const std::wstring& name) = 0;
    virtual void OpenAudioSetup(bool required) = 0;
    virtual void CloseSetupDialog() = 0;
    virtual bool MotionSearchRunning() = 0;
    virtual void ResetMotionSearch() = 0;
    virtual void CloseMarkingWindow() = 0;
    virtual bool BackgroundActive() = 0;
    // Asks the tracking thread to end (a recording starts) and starts it again.
    virtual void EndTracking() = 0;
    virtual void StartTracking() = 0;
    // When no window is tracked, the window last clicked becomes the tracked one.
    virtual void AdoptLastClickedWindow() = 0;
    virtual void ReadSettings() = 0;
    virtual void WriteSettings() = 0;
    virtual void CloseProgram() = 0;
    // The note of the recording in progress: written when a recording has
    // begun, removed when it stopped cleanly (a stop the graph refused
    // leaves it, so that the next start repairs the file).
    virtual void RecordingBegan(const std::wstring& path, std::int64_t startTime) = 0;
    virtual void RecordingFinished() = 0;
};
