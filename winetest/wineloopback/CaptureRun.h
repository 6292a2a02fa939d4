#pragma once
// When a capture stream ran, as Windows has it.
//
// Windows captures nothing into a stream between its Stop and the next
// Start. Wine 8 corks only render streams on Stop: a stopped capture
// stream's PulseAudio record stream goes on recording, up to its buffer
// (the client's buffer duration), and after the next Start Wine reads that
// backlog as if it were new -- a recorder that pauses gets up to a second of
// old sound. So the capture clients handed out here keep Wine's stream
// started from their first Start to a Reset or their release (Wine then
// reads on in real time, stamping each packet as it reads it, and drops the
// oldest when its buffer is full) and only note when the caller's stream
// was started; their capture services release unread every packet captured
// (by its qpcPosition) while it was stopped.

#include <audioclient.h>

#include <cstdint>
#include <deque>
#include <mutex>
#include <utility>

namespace capture_run {

class CaptureRun {
public:
    // IAudioClient's Start, Stop and Reset of the caller's stream over
    // Wine's stream `inner`, with Windows' answers: AUDCLNT_E_NOT_STOPPED
    // for a second Start or a Reset while started, S_FALSE for a Stop while
    // stopped.
    HRESULT Start(IAudioClient* inner);
    HRESULT Stop();
    HRESULT Reset(IAudioClient* inner);

    // Whether the caller's stream was started at `qpcTime` (100 ns units of
    // the performance counter, as qpcPosition).
    bool StartedAt(uint64_t qpcTime) const;

private:
    mutable std::mutex m_lock;  // guards everything below
    bool m_innerStarted = false;
    bool m_started = false;
    uint64_t m_startedAt = 0;
    // The last spans the stream was started, [start, stop): a packet Wine
    // stamped late still finds its span. Older ones are forgotten.
    std::deque<std::pair<uint64_t, uint64_t>> m_spans;
};

}  // namespace capture_run
