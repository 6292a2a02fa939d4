#include "app/tracking/TrackingWorker.h"

#include <thread>

TrackingWorker::TrackingWorker(Pass pass, Pass atExit, void* context, std::chrono::milliseconds period)
    : m_pass(pass), m_atExit(atExit), m_context(context), m_period(period) {}

TrackingWorker::~TrackingWorker() {
    Stop();
    WaitUntilStopped(std::chrono::seconds(5));
}

void TrackingWorker::Start() {
    std::lock_guard<std::mutex> lock(m_lock);
    m_stopFirst = false;
    m_stopSecond = false;
    if (m_running) return;
    m_running = true;
    // Detached: the process may end through ExitProcess with the thread
    // still running, and a joinable thread object must never be left behind.
    std::thread(&TrackingWorker::Run, this).detach();
}

void TrackingWorker::Stop() {
    std::lock_guard<std::mutex> lock(m_lock);
    m_stopFirst = true;
    m_stopSecond = true;
    m_changed.notify_all();
}

void TrackingWorker::EndThread() {
    std::lock_guard<std::mutex> lock(m_lock);
    m_stopFirst = true;
    m_changed.notify_all();
}

bool TrackingWorker::Running() const {
    std::lock_guard<std::mutex> lock(m_lock);
    return m_running;
}

bool TrackingWorker::WaitUntilStopped(std::chrono::milliseconds timeout) {
    std::unique_lock<std::mutex> lock(m_lock);
    return m_changed.wait_for(lock, timeout, [this] { return !m_running; });
}

void TrackingWorker::Run() {
    for (;;) {
        while (!StopSet()) {
            m_pass(m_context);
            std::unique_lock<std::mutex> lock(m_lock);
            m_changed.wait_for(lock, m_period, [this] { return StopSet(); });
        }
        m_atExit(m_context);
        std::lock_guard<std::mutex> lock(m_lock);
        // A start came after the flags were seen: this thread goes on.
        if (!StopSet()) continue;
        m_stopFirst = true;
        m_stopSecond = true;
        m_running = false;
        m_changed.notify_all();
        return;
    }
}
