#pragma once
// The recording graph: the DirectShow graph that captures the region and
// the mixed sound into the ".wmv" file. Built on the GUI thread.

#include <windows.h>

#include <cstdint>

// The graph interfaces of the recording graph and the clone preview,
// created once at start-up after COM. A failure is start-up's "Cannot
// Initialize DirectX".
HRESULT CreateAllGraphs();

// Whether the recording graph's interfaces exist.
bool RecordingGraphExists();

// Builds the graph from the settings and the output path, runs it and
// gives the local start time (100-ns units); false after its own message.
bool StartRecordingGraph(std::int64_t& startTime);
void RunRecordingGraph();
void PauseRecordingGraph();

// Notifies the restore helper, waits a second and stops the graph.
void StopRecordingGraph();

// Removes the filters and recreates an empty graph manager.
void ResetRecordingGraph();

// Tears the graph down and releases its interfaces (the program is closing).
void DestroyRecordingGraph();
