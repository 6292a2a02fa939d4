#include "capfilter/DeviceRecovery.h"

#include "capfilter/SampleTiming.h"

namespace sonark {

EndpointFault ClassifyEndpointResult(int32_t hr) {
    if (hr >= 0) return EndpointFault::None;
    switch (hr) {
        case kDeviceInvalidated:
        case kDeviceInUse:
        case kEndpointCreateFailed:
        case kServiceNotRunning:
        case kResourcesInvalidated:
        case kNotFound:
            return EndpointFault::DeviceLost;
        default:
            return EndpointFault::Fatal;
    }
}

namespace {
// Wrap-safe: whether tick `a` is at or after tick `b`.
bool AtOrAfter(uint32_t a, uint32_t b) { return static_cast<int32_t>(a - b) >= 0; }
}  // namespace

void ReopenSchedule::Lost(uint32_t nowMs) {
    if (!m_pending) m_lostAt = nowMs;
    m_pending = true;
    m_nextAt = nowMs;
}

bool ReopenSchedule::Due(uint32_t nowMs) const { return m_pending && AtOrAfter(nowMs, m_nextAt); }

void ReopenSchedule::Failed(uint32_t nowMs) { m_nextAt = nowMs + kReopenRetryMs; }

uint32_t ReopenSchedule::Reopened(uint32_t nowMs) {
    m_pending = false;
    return nowMs - m_lostAt;
}

void GapFill::Begin(int64_t sampleClock, int64_t streamTime) {
    if (m_active) return;
    m_active = true;
    m_settling = false;
    m_distance = streamTime > sampleClock ? streamTime - sampleClock : 0;
}

void GapFill::End(int64_t streamTime) {
    if (!m_active) return;
    m_active = false;
    m_settling = true;
    m_settledAt = streamTime + kBacklogWindow;
}

void GapFill::Clear() {
    m_active = false;
    m_settling = false;
    m_distance = 0;
}

bool GapFill::Backlog(int64_t sampleClock, int64_t streamTime, int64_t duration) const {
    if (!m_settling || streamTime >= m_settledAt) return false;
    const int64_t ahead = sampleClock - (streamTime - m_distance);
    return ahead > duration / 2;
}

size_t GapFill::DueBytes(int64_t sampleClock, int64_t streamTime, int64_t avgBytesPerSec, size_t blockAlign,
                         size_t capacity) const {
    if (!m_active || avgBytesPerSec <= 0 || blockAlign == 0) return 0;
    const int64_t behind = streamTime - m_distance - sampleClock;
    if (behind <= 0) return 0;
    // Rounded up to a whole frame so that the clock reaches the target.
    int64_t bytes = (behind * avgBytesPerSec + kUnitsPerSecond - 1) / kUnitsPerSecond;
    const int64_t align = static_cast<int64_t>(blockAlign);
    bytes = (bytes + align - 1) / align * align;
    const int64_t room = static_cast<int64_t>(capacity - capacity % blockAlign);
    return static_cast<size_t>(bytes < room ? bytes : room);
}

}  // namespace sonark
