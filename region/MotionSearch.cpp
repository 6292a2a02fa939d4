#include "region/MotionSearch.h"

// Not built yet: no search ever runs; the state only moves when the
// recorder window sets it.

namespace {
int g_searchState = kSearchIdle;
}

int SearchState() { return g_searchState; }

void SetSearchState(int state) { g_searchState = state; }

bool MotionSearchRunning() { return false; }

void RequestSearchCancel() {}

void ClearLastSearchResult() {}

void StartMotionSearch() {}

SearchEnd LastSearchEnd() { return SearchEnd::NoVideo; }

ScreenRect DetectedRegion() { return ScreenRect{}; }

void ResetMotionSearch() { g_searchState = kSearchIdle; }
