#include "region/MotionSearch.h"

#include <windows.h>

#include <atomic>
#include <mutex>
#include <system_error>
#include <thread>

#include "app/services/DiagnosticLog.h"
#include "app/services/Environment.h"
#include "app/services/EnvironmentProbes.h"
#include "region/MotionSearchLoop.h"
#include "region/RecorderLink.h"
#include "region/Win32MotionSystem.h"
#include "settings/Settings.h"

namespace {

std::atomic<int> g_searchState{kSearchIdle};
// Set by the starter, cleared by the search just before it reports.
std::atomic<bool> g_running{false};
std::atomic<bool> g_cancel{false};
// Written by the starter before the thread exists, read by the thread.
MotionSearchStart g_start;

// The last result, written by the search before it posts, read by the
// recorder window's handler.
class SearchResult {
public:
    void Keep(const MotionReport& report) {
        std::lock_guard<std::mutex> guard(m_lock);
        m_report = report;
    }
    MotionReport Get() const {
        std::lock_guard<std::mutex> guard(m_lock);
        return m_report;
    }

private:
    mutable std::mutex m_lock;
    MotionReport m_report;
};

SearchResult& Result() {
    static SearchResult result;
    return result;
}

void KeepAndEnd(const MotionReport& report) {
    Result().Keep(report);
    g_running = false;
}

}  // namespace

int SearchState() { return g_searchState; }

void SetSearchState(int state) { g_searchState = state; }

bool MotionSearchRunning() { return g_running; }

void RequestSearchCancel() {
    if (g_running) g_cancel = true;
}

void ClearLastSearchResult() { Result().Keep(MotionReport{}); }

void StartMotionSearch() {
    if (g_running.exchange(true)) return;
    g_cancel = false;
    // The display probe writes the settings: it runs here, on the GUI thread.
    RefreshDisplays();
    const Environment& env = Env();
    MotionSearchStart start;
    start.recorder = RecorderWindowHandle();
    start.quorraMessage = ::RegisterWindowMessageW(L"Quorra message");
    start.monitorSetting = Settings.Monitor;
    start.setTopWindow = Settings.SetTopWindow != 0;
    start.display2Work = env.Display2WorkRect;
    start.metrics = SearchMetrics{env.MenuHeight, env.EdgeWidth, env.EdgeHeight};
    g_start = start;
    try {
        std::thread(RunMotionSearch).detach();
    } catch (const std::system_error&) {
        AppendLog(L"\r\nMotion search: no thread");
        KeepAndEnd(MotionReport{MotionEnd::Error, ScreenRect{}});
        if (start.recorder) ::PostMessageW(start.recorder, start.quorraMessage, 1111, 1111);
    }
}

void RunMotionSearch() {
    // Everything after the report stays on this thread's own copies: a new
    // search may start as soon as the report is posted.
    const MotionSearchStart start = g_start;
    OpenTraceFile(".\\zzzVideo.txt");
    Win32MotionSystem system(start, KeepAndEnd);
    MotionSearchLoop loop(system, start.metrics, g_cancel);
    loop.Run();
}

SearchEnd LastSearchEnd() {
    if (g_cancel) return SearchEnd::Cancelled;
    switch (Result().Get().end) {
        case MotionEnd::Cancelled:
            return SearchEnd::Cancelled;
        case MotionEnd::Error:
            return SearchEnd::Error;
        default:
            return SearchEnd::NoVideo;
    }
}

ScreenRect DetectedRegion() { return Result().Get().region; }

void ResetMotionSearch() { g_searchState = kSearchIdle; }
