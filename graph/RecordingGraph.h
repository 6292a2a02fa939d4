#pragma once
// The recording graph: the DirectShow graph that captures the region and
// the mixed sound into the ".wmv" file. Built on the GUI thread.

#include <windows.h>

// The graph interfaces of the recording graph and the clone preview,
// created once at start-up after COM. A failure is start-up's "Cannot
// Initialize DirectX".
HRESULT CreateAllGraphs();

// Whether the recording graph's interfaces exist.
bool RecordingGraphExists();

// Notifies the restore helper, waits a second and stops the graph.
void StopRecordingGraph();

// Tears the graph down and releases its interfaces (the program is closing).
void DestroyRecordingGraph();
