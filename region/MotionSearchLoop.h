#pragma once
// One motion search: attempts of two grabs a pause apart, compared by the
// two scans, until a rectangle is accepted, ten further qualifying attempts
// were not, twenty attempts in a row saw too little change, a grab or an
// allocation failed, or the search was cancelled. It ends with exactly one
// report (777 found, 1111 otherwise).

#include <array>
#include <atomic>

#include "region/MotionSearchSystem.h"
#include "region/MotionVote.h"
#include "region/ScanRows.h"

// Attempts with too little change have at most this many changed pixels.
constexpr int kQuietDiffLimit = 49;
constexpr int kQuietAttemptLimit = 20;
// Qualifying attempts after the first that may still be rejected.
constexpr int kPassLimit = 10;

// The pause between the two grabs of the attempt after one that paused
// `delay` ms: 100 ms shorter, back to 1000 ms after 200 ms.
int NextGrabDelay(int delay);

class MotionSearchLoop {
public:
    MotionSearchLoop(MotionSearchSystem& system, const SearchMetrics& metrics, const std::atomic<bool>& cancel);
    MotionSearchLoop(const MotionSearchLoop&) = delete;
    MotionSearchLoop& operator=(const MotionSearchLoop&) = delete;

    void Run();

private:
    struct AttemptFigures {
        int leftVotes = 0;
        int spanEndVotes = 0;
        int xLeft = 0;
        int xRight = 0;
        int topY = 0;
        int bottomY = 0;
    };

    void EndWithError(const std::wstring& message, int waitMs);
    void TraceHistory(int lastPass);
    void Trace(const wchar_t* format, ...);

    MotionSearchSystem& m_system;
    SearchMetrics m_metrics;
    const std::atomic<bool>& m_cancel;
    bool m_tracing = false;
    ScanRows m_rows;
    std::array<AttemptFigures, kPassLimit + 1> m_history{};
};
