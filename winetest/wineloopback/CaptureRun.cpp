#include "winetest/wineloopback/CaptureRun.h"

#include "winetest/wineloopback/RenderStreams.h"

namespace capture_run {

namespace {
constexpr size_t kKeptSpans = 8;
}

HRESULT CaptureRun::Start(IAudioClient* inner) {
    std::lock_guard<std::mutex> lock(m_lock);
    if (m_started) return AUDCLNT_E_NOT_STOPPED;
    if (!m_innerStarted) {
        HRESULT hr = inner->Start();
        if (FAILED(hr)) return hr;
        m_innerStarted = true;
    }
    m_started = true;
    m_startedAt = render_streams::Now();
    return S_OK;
}

HRESULT CaptureRun::Stop() {
    std::lock_guard<std::mutex> lock(m_lock);
    if (!m_started) return S_FALSE;
    m_started = false;
    m_spans.emplace_back(m_startedAt, render_streams::Now());
    if (m_spans.size() > kKeptSpans) m_spans.pop_front();
    return S_OK;
}

HRESULT CaptureRun::Reset(IAudioClient* inner) {
    std::lock_guard<std::mutex> lock(m_lock);
    if (m_started) return AUDCLNT_E_NOT_STOPPED;
    if (m_innerStarted) {
        HRESULT hr = inner->Stop();
        if (FAILED(hr)) return hr;
        m_innerStarted = false;
    }
    return inner->Reset();
}

bool CaptureRun::StartedAt(uint64_t qpcTime) const {
    std::lock_guard<std::mutex> lock(m_lock);
    if (m_started && qpcTime >= m_startedAt) return true;
    for (const auto& [from, to] : m_spans)
        if (qpcTime >= from && qpcTime < to) return true;
    return false;
}

}  // namespace capture_run
