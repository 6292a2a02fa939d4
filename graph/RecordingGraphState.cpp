#include "graph/RecordingGraphState.h"

RecordingGraphState& RecordingGraph() {
    static RecordingGraphState* const state = new RecordingGraphState;
    return *state;
}
