#pragma once
// The motion-video search ("&Get Video"): finds a moving region on the
// screen in a worker thread and reports by "Quorra message" (777 found,
// 1111 ended without result).

#include "app/services/Geometry.h"

// The search state the recorder window reads: idle, busy (a search or a
// marking under way) or marked (a region found and shown for acceptance).
enum SearchStates { kSearchIdle = 0, kSearchBusy = 1, kSearchMarked = 2 };
int SearchState();
void SetSearchState(int state);

bool MotionSearchRunning();
// Asks the running search to end; it reports 1111 when it has.
void RequestSearchCancel();
void ClearLastSearchResult();
// Starts the search thread (GUI thread); nothing when a search runs.
void StartMotionSearch();
// The search thread's body: one search, ended by one "Quorra message".
void RunMotionSearch();

// How the last search ended without a result.
enum class SearchEnd { NoVideo, Cancelled, Error };
SearchEnd LastSearchEnd();
// The region the last search found.
ScreenRect DetectedRegion();

// Back to idle after a recording stopped.
void ResetMotionSearch();
