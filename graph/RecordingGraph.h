#pragma once
// The recording graph: the DirectShow graph that captures the region and
// the mixed sound into the ".wmv" file. Built, run and torn down on the GUI
// thread, in its single-threaded apartment; the references live in
// RecordingGraph() (RecordingGraphState.h). Every failure is shown with
// ShowMessage and the operation returns false; nothing throws.

#include <windows.h>

#include <cstdint>

// Creates the graph manager and the capture graph builder attached to it,
// then queries IMediaControl, IVideoWindow and IBasicVideo. E_NOINTERFACE
// when a creation fails; a failed query is written to the debugger output
// and returned.
HRESULT CreateGraphInterfaces();

// Releases mediaControl, graph, videoWindow, basicVideo and captureBuilder.
void ReleaseGraphInterfaces();

// Parts the interface thread's input from the call window's thread again,
// when the start joined them.
void DetachFromTrackedWindow();

// Waits a pumped second, then removes the writer, the screen capture, the
// tee, the probe's "WAV Dest" and the audio source from the graph and drops
// them. The preview renderer stays referenced until the next build.
void TearDownRecordingGraph();

// Tear-down, release and create: the next recording starts from an empty
// graph. Returns CreateGraphInterfaces' result.
HRESULT ResetRecordingGraph();

// Tear-down and release (the program is closing).
void DestroyRecordingGraph();

// Release and create (the audio setup's test connections).
HRESULT RecreateGraphInterfaces();

// The graph interfaces of the recording graph and then of the clone
// preview, created once at start-up after COM. A failure is start-up's
// "Cannot Initialize DirectX".
HRESULT CreateAllGraphs();

// Whether the recording graph's manager exists.
bool RecordingGraphExists();

// Builds the graph from the settings and OutputPath, runs it and gives the
// local start time (100-ns units, also kept as RecordingStartTime); false
// after its own message, with the graph left as far as it got.
bool StartRecordingGraph(std::int64_t& startTime);

// Adds the filters of the current settings' shape; false after the
// failure's message (a missing tee fails without one).
bool AddRecordingFilters();

// Connects the added filters by pin name; false after the failure's message.
bool ConnectRecordingFilters();

// A missing audio capture device: asks whether to record video only. True
// to go on (video only for this recording, or after the automatic choice
// found a source), false to stop.
bool AskVideoOnly();

// Runs (or resumes) the graph between the restore helper's notifications.
bool RunRecordingGraph();
void PauseRecordingGraph();

// Notifies the restore helper, waits a pumped second and stops the graph;
// the small layout's record button reads "RECORD" again. The stop's result
// (S_OK without a graph); a failure is also logged.
HRESULT StopRecordingGraph();

// Asks the graph to post `message` to `window` whenever events wait.
void NotifyOfRecordingGraphEvents(HWND window, UINT message);

// Takes the graph's next pending event without waiting, logs it and frees
// its parameters (they are numbers for every event the recorder reads);
// false when none waits.
bool NextRecordingGraphEvent(long& code, LONG_PTR& param1, LONG_PTR& param2);
