#pragma once
// The tracking thread's life: one enumeration pass every period until one of
// its two stop flags is set. At most one thread runs: a start while one runs
// (even one that was asked to stop and has not yet ended) keeps that thread
// going instead of starting a second writer of the titles.

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>

class TrackingWorker {
public:
    using Pass = void (*)(void* context);

    // pass runs once per period on the thread; atExit once when the thread
    // ends (it clears the marking state).
    TrackingWorker(Pass pass, Pass atExit, void* context,
                   std::chrono::milliseconds period = std::chrono::milliseconds(100));
    // Stops the thread and waits for it to end.
    ~TrackingWorker();
    TrackingWorker(const TrackingWorker&) = delete;
    TrackingWorker& operator=(const TrackingWorker&) = delete;

    // Clears both stop flags and starts the thread unless it runs.
    void Start();
    // Sets both stop flags.
    void Stop();
    // Sets the first stop flag (a recording starts); the thread ends the same way.
    void EndThread();

    bool Running() const;
    // Waits until no thread runs; false after timeout.
    bool WaitUntilStopped(std::chrono::milliseconds timeout);

private:
    void Run();
    bool StopSet() const { return m_stopFirst || m_stopSecond; }

    Pass m_pass;
    Pass m_atExit;
    void* m_context;
    std::chrono::milliseconds m_period;
    std::atomic<bool> m_stopFirst{true};
    std::atomic<bool> m_stopSecond{true};
    mutable std::mutex m_lock;  // guards m_running and the waits
    std::condition_variable m_changed;
    bool m_running = false;
};
