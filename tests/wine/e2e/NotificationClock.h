#pragma once
// The test's own restore-helper window: a top-level window titled
// "QrRestore" on a thread of the test, which the recorder finds in place of
// qrrestore.exe and notifies around run, pause and stop. Each notification
// is kept with the moment it arrived, so the test knows for how long the
// graph ran -- what the recording's duration must be.

#include <windows.h>

#include <mutex>
#include <thread>
#include <vector>

#include "framework/win/Handles.h"

struct Notification {
    WPARAM wParam;
    LPARAM lParam;
    double seconds;  // on the test's performance counter
};

class NotificationClock {
public:
    // Opens the window; false if it could not be created.
    bool Open();
    void Close();
    ~NotificationClock() { Close(); }

    std::vector<Notification> Received() const;

private:
    void Run();
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

    std::thread m_thread;
    win::Handle m_ready;
    HWND m_window = nullptr;  // set by the window thread before m_ready is signalled
    UINT m_message = 0;
    mutable std::mutex m_lock;  // guards m_received
    std::vector<Notification> m_received;
};

// Seconds on the performance counter.
double CounterSeconds();

// The time the graph ran, from the notifications of RunRecordingGraph
// ((8,7) then (7,8) once it runs), PauseRecordingGraph ((7,7) as it
// pauses, then (7,8)) and StopRecordingGraph ((7,7), the pumped second of
// waiting, then the stop and (7,8)): a (7,8) that comes 900 ms or more after
// its (7,7) ends a stop, a quicker one a pause.
double GraphRunningSeconds(const std::vector<Notification>& received);
