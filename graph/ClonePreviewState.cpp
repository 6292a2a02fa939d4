#include "graph/ClonePreviewState.h"

ClonePreviewState& ClonePreview() {
    static ClonePreviewState* const state = new ClonePreviewState;
    return *state;
}
