// A recording graph for the recorder-window tests: it "records" by growing
// the output file by 128 KB every half second while it runs, so the session
// sees a real file grow. It replaces the program's graph at link time.

#include <windows.h>

#include <atomic>
#include <thread>

#include "app/session/OutputNaming.h"
#include "framework/win/Handles.h"
#include "graph/RecordingGraph.h"

namespace {

std::atomic<bool> g_running{false};
std::atomic<bool> g_paused{false};
std::thread g_writer;

void StopWriter() {
    g_running = false;
    if (g_writer.joinable()) g_writer.join();
}

}  // namespace

HRESULT CreateAllGraphs() { return S_OK; }

bool RecordingGraphExists() { return true; }

bool StartRecordingGraph(std::int64_t& startTime) {
    StopWriter();
    win::Handle file(::CreateFileW(OutputPath, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                   CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    FILETIME utc{}, local{};
    ::GetSystemTimeAsFileTime(&utc);
    ::FileTimeToLocalFileTime(&utc, &local);
    startTime =
        static_cast<std::int64_t>((static_cast<std::uint64_t>(local.dwHighDateTime) << 32) | local.dwLowDateTime);
    g_running = true;
    g_paused = false;
    g_writer = std::thread([handle = file.Release()] {
        win::Handle owned(handle);
        static const char block[128 * 1024] = {};
        while (g_running) {
            if (!g_paused) {
                DWORD written = 0;
                ::WriteFile(owned.Get(), block, sizeof(block), &written, nullptr);
            }
            for (int i = 0; i < 5 && g_running; ++i) ::Sleep(100);
        }
    });
    return true;
}

bool RunRecordingGraph() {
    g_paused = false;
    return true;
}

void PauseRecordingGraph() { g_paused = true; }

HRESULT StopRecordingGraph() {
    StopWriter();
    return S_OK;
}

void NotifyOfRecordingGraphEvents(HWND, UINT) {}

// The fake graph's writer never fails: no events.
bool NextRecordingGraphEvent(long&, LONG_PTR&, LONG_PTR&) { return false; }

HRESULT ResetRecordingGraph() {
    StopWriter();
    return S_OK;
}

void DestroyRecordingGraph() { StopWriter(); }

// The audio setup's test connections are made in no graph here.
HRESULT RecreateGraphInterfaces() { return S_OK; }
