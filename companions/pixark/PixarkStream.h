#pragma once
// CPixarkStream: the capture filter's one output pin ("Capture"). It offers
// RGB32 and RGB24 frames of the capture rectangle's size (the settings'
// bit count first), bottom-up, and runs the streaming thread: wait on the
// graph's stream clock until frame n is due, capture it straight from the
// screen (or the tracked window), stamp it [n * period, (n + 1) * period)
// and deliver it. A live source: nothing is delivered while paused, and a
// frame whose time passed by more than one period is dropped and counted.

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <memory>

#include "companions/pixark/CaptureSettings.h"
#include "companions/pixark/ScreenGrabber.h"
#include "framework/dshow/Source.h"
#include "framework/win/Handles.h"

class CPixarkFilter;

class CPixarkStream : public CSourceStream {
public:
    CPixarkStream(HRESULT* phr, CPixarkFilter* filter);
    ~CPixarkStream() override;

    HRESULT GetMediaType(int position, CMediaType* pmt) override;
    HRESULT CheckMediaType(const CMediaType* pmt) override;
    HRESULT DecideBufferSize(IMemAllocator* alloc, ALLOCATOR_PROPERTIES* request) override;

    // Takes the filter's settings for the session and resets the counts.
    HRESULT Active() override;
    HRESULT Inactive() override;
    // The graph's start time for stream time 0 (again after each pause).
    HRESULT Run(REFERENCE_TIME start) override;
    // Wakes the streaming thread to look at the filter's state again.
    void Wake();

    LONG Delivered() const { return m_delivered.load(); }
    LONG Dropped() const { return m_dropped.load(); }
    LONGLONG StreamCpuTime() const { return m_cpu.load(); }

protected:
    HRESULT FillBuffer(IMediaSample* sample) override;
    HRESULT GetMediaType(CMediaType* pmt) override;
    HRESULT OnThreadCreate() override;
    HRESULT OnThreadDestroy() override;
    HRESULT DoBufferProcessingLoop() override;

private:
    // True when frame m_frame is due now; false after a wait (the caller
    // looks for commands and asks again).
    bool WaitForFrame();
    // The stream time now: the graph clock's time minus the run's start, or
    // without a clock the time since Run on the performance counter.
    bool StreamNow(int64_t& now);
    void AddThreadCpu();

    CPixarkFilter* m_pFilter;
    win::Handle m_wake;  // auto-reset: state changed
    std::atomic<bool> m_stopping{false};

    // Set by Run under the timing lock, read by the streaming thread.
    CCritSec m_timingLock;
    ComPtr<IReferenceClock> m_clock;
    REFERENCE_TIME m_runStart = 0;
    LONGLONG m_runCounter = 0;  // QueryPerformanceCounter at Run, for no clock

    // The streaming thread's own: set in Active before the thread starts.
    pixark::CaptureSettings m_session;
    int32_t m_width = 0, m_height = 0, m_bitCount = 32;
    int64_t m_period = 0;
    int64_t m_next = 0;   // first frame not yet delivered or dropped
    int64_t m_frame = 0;  // the frame being captured
    std::unique_ptr<ScreenGrabber> m_grabber;
    LONGLONG m_cpuAtStart = 0;

    std::atomic<LONG> m_delivered{0};
    std::atomic<LONG> m_dropped{0};
    std::atomic<LONGLONG> m_cpu{0};
};
