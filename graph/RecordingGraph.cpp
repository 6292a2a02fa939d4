#include "graph/RecordingGraph.h"

#include "app/DiagnosticLog.h"

// The graph itself is not built yet: nothing is created, so there is never
// a graph to run or stop, and a start fails (with a log line) so that the
// session goes back to idle. Nothing claims that recording works.

HRESULT CreateAllGraphs() { return S_OK; }

bool RecordingGraphExists() { return false; }

bool StartRecordingGraph(std::int64_t&) {
    AppendLog(L"\r\nCannot start recording: the recording graph is not available in this build");
    return false;
}

void RunRecordingGraph() {}

void PauseRecordingGraph() {}

void StopRecordingGraph() {}

void ResetRecordingGraph() {}

void DestroyRecordingGraph() {}
