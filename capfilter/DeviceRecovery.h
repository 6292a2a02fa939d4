#pragma once
// What the capture stream does when an endpoint goes away: which results of
// an endpoint call mean a lost device (headset unplugged, default device
// switched, its format changed) that reopening the flow's default endpoint
// cures, the schedule of those reopenings, and the silence that keeps the
// delivered time line with the stream clock while the speakers are gone.
// Portable.

#include <cstddef>
#include <cstdint>

namespace sonark {

// Results as WASAPI and the MMDevice API return them.
constexpr int32_t kDeviceInvalidated = static_cast<int32_t>(0x88890004);     // AUDCLNT_E_DEVICE_INVALIDATED
constexpr int32_t kDeviceInUse = static_cast<int32_t>(0x8889000A);           // AUDCLNT_E_DEVICE_IN_USE
constexpr int32_t kEndpointCreateFailed = static_cast<int32_t>(0x8889000F);  // AUDCLNT_E_ENDPOINT_CREATE_FAILED
constexpr int32_t kServiceNotRunning = static_cast<int32_t>(0x88890010);     // AUDCLNT_E_SERVICE_NOT_RUNNING
constexpr int32_t kResourcesInvalidated = static_cast<int32_t>(0x88890026);  // AUDCLNT_E_RESOURCES_INVALIDATED
constexpr int32_t kNotFound = static_cast<int32_t>(0x80070490);              // E_NOTFOUND: no such endpoint now

enum class EndpointFault {
    None,        // a success
    DeviceLost,  // the flow reopens its current default endpoint
    Fatal,       // the stream ends with an error event
};

// The meaning of an endpoint call's result for the stream.
EndpointFault ClassifyEndpointResult(int32_t hr);

// Reopening is tried at once, then every this long while there is no endpoint.
constexpr uint32_t kReopenRetryMs = 500;

// The reopening schedule of one flow, on a millisecond tick that may wrap.
class ReopenSchedule {
public:
    // The flow lost its endpoint (or the default changed) at `nowMs`: an
    // attempt is due at once. A loss while one is pending keeps its start.
    void Lost(uint32_t nowMs);
    bool Pending() const { return m_pending; }
    bool Due(uint32_t nowMs) const;
    // The attempt at `nowMs` found no endpoint: the next is due a retry later.
    void Failed(uint32_t nowMs);
    // The flow has an endpoint again; how long it was without (ms).
    uint32_t Reopened(uint32_t nowMs);

private:
    bool m_pending = false;
    uint32_t m_lostAt = 0;
    uint32_t m_nextAt = 0;
};

// The silence that stands in for the speakers while they are gone. The
// delivered audio trails the stream time by the capture latency; the fill
// keeps exactly the distance it had at the loss, so the track is as long as
// the gap and what comes after is neither earlier nor later than before.
//
// A new endpoint may hand over at once what it gathered before its first
// packet was read: sound of a time the silence has covered already, which
// would put everything after it late by as much. For a while after the gap
// ends, a packet that would start more than half its length ahead of the
// kept distance is such a backlog, and is not sent.
class GapFill {
public:
    // At the loss: the sample clock (the next sample's start) and the
    // stream time then, in 100-ns units.
    void Begin(int64_t sampleClock, int64_t streamTime);
    // The new endpoint's first packet is there at `streamTime`.
    void End(int64_t streamTime);
    // No gap and no backlog to look for (a stream opened anew).
    void Clear();
    bool Active() const { return m_active; }
    // Whole frames of silence due now, from the sample clock up to the
    // stream time less the kept distance, at most `capacity` bytes.
    size_t DueBytes(int64_t sampleClock, int64_t streamTime, int64_t avgBytesPerSec, size_t blockAlign,
                    size_t capacity) const;
    // Whether a packet `duration` long, read at `streamTime`, that would
    // start at `sampleClock`, is the new endpoint's backlog.
    bool Backlog(int64_t sampleClock, int64_t streamTime, int64_t duration) const;
    int64_t Distance() const { return m_distance; }

private:
    bool m_active = false;
    bool m_settling = false;  // after End, until m_settledAt
    int64_t m_settledAt = 0;
    int64_t m_distance = 0;
};

// How long after a gap a backlog is looked for (100-ns units).
constexpr int64_t kBacklogWindow = 10000000;

}  // namespace sonark
