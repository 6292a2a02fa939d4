#include "companions/pixark/PixarkStream.h"

#include <amvideo.h>
#include <evcode.h>

#include <new>

#include "companions/pixark/FrameLayout.h"
#include "companions/pixark/FrameSchedule.h"
#include "companions/pixark/PixarkFilter.h"
#include "companions/pixark/VideoMediaType.h"

namespace {

// The longest single wait: a lost wake-up costs at most this.
constexpr uint32_t kMaxWaitMs = 200;

LONGLONG ThreadCpu() {
    FILETIME created, exited, kernel, user;
    if (!::GetThreadTimes(::GetCurrentThread(), &created, &exited, &kernel, &user)) return 0;
    const auto value = [](const FILETIME& f) {
        return static_cast<LONGLONG>((static_cast<ULONGLONG>(f.dwHighDateTime) << 32) | f.dwLowDateTime);
    };
    return value(kernel) + value(user);
}

}  // namespace

CPixarkStream::CPixarkStream(HRESULT* phr, CPixarkFilter* filter)
    : CSourceStream(L"Pixark capture", phr, filter, L"Capture"),
      m_pFilter(filter),
      m_wake(::CreateEventW(nullptr, FALSE, FALSE, nullptr)) {
    if (!m_wake && phr) *phr = E_OUTOFMEMORY;
}

CPixarkStream::~CPixarkStream() = default;

HRESULT CPixarkStream::GetMediaType(int position, CMediaType* pmt) {
    if (!pmt) return E_POINTER;
    CAutoLock lock(m_pFilter->pStateLock());
    if (position < 0) return E_INVALIDARG;
    if (position > 1) return VFW_S_NO_MORE_ITEMS;
    const pixark::CaptureSettings s = m_pFilter->InstanceSettings();
    const int32_t first = s.bitCount == 24 ? 24 : 32;
    return MakeVideoMediaType(s, position == 0 ? first : 56 - first, pmt);
}

HRESULT CPixarkStream::GetMediaType(CMediaType* pmt) { return GetMediaType(0, pmt); }

HRESULT CPixarkStream::CheckMediaType(const CMediaType* pmt) {
    if (!pmt) return E_POINTER;
    CAutoLock lock(m_pFilter->pStateLock());
    return AcceptedBitCount(m_pFilter->InstanceSettings(), *pmt) != 0 ? S_OK : VFW_E_TYPE_NOT_ACCEPTED;
}

HRESULT CPixarkStream::DecideBufferSize(IMemAllocator* alloc, ALLOCATOR_PROPERTIES* request) {
    if (!alloc || !request) return E_POINTER;
    const auto* vih = reinterpret_cast<const VIDEOINFOHEADER*>(m_mt.pbFormat);
    if (!vih || m_mt.cbFormat < sizeof(VIDEOINFOHEADER)) return VFW_E_INVALIDMEDIATYPE;
    const uint32_t bytes =
        pixark::FrameBytes(vih->bmiHeader.biWidth, vih->bmiHeader.biHeight, vih->bmiHeader.biBitCount);
    if (bytes == 0) return VFW_E_INVALIDMEDIATYPE;
    // Two buffers: one downstream while the next is captured.
    if (request->cBuffers < 2) request->cBuffers = 2;
    if (request->cbAlign < 1) request->cbAlign = 1;
    request->cbBuffer = static_cast<long>(bytes);
    ALLOCATOR_PROPERTIES actual{};
    HRESULT hr = alloc->SetProperties(request, &actual);
    if (FAILED(hr)) return hr;
    return actual.cbBuffer < static_cast<long>(bytes) ? E_FAIL : S_OK;
}

HRESULT CPixarkStream::Active() {
    CAutoLock lock(m_pFilter->pStateLock());
    if (m_pFilter->IsActive() || !IsConnected()) return CSourceStream::Active();
    // The session's size and depth are the connection's; the position,
    // cursor and window the settings' at this moment.
    const auto* vih = reinterpret_cast<const VIDEOINFOHEADER*>(m_mt.pbFormat);
    if (!vih || m_mt.cbFormat < sizeof(VIDEOINFOHEADER)) return VFW_E_INVALIDMEDIATYPE;
    m_session = m_pFilter->InstanceSettings();
    m_width = vih->bmiHeader.biWidth;
    m_height = vih->bmiHeader.biHeight;
    m_bitCount = vih->bmiHeader.biBitCount;
    m_period = vih->AvgTimePerFrame > 0 ? vih->AvgTimePerFrame : pixark::FramePeriod(m_session.frameRate);
    m_next = 0;
    m_delivered = 0;
    m_dropped = 0;
    m_cpu = 0;
    m_stopping = false;
    {
        CAutoLock timing(&m_timingLock);
        m_clock.Reset();
        m_runStart = 0;
        m_runCounter = 0;
    }
    return CSourceStream::Active();
}

HRESULT CPixarkStream::Inactive() {
    m_stopping = true;
    Wake();
    return CSourceStream::Inactive();
}

HRESULT CPixarkStream::Run(REFERENCE_TIME start) {
    ComPtr<IReferenceClock> clock;
    m_pFilter->GetSyncSource(&clock);
    LARGE_INTEGER counter{};
    ::QueryPerformanceCounter(&counter);
    {
        CAutoLock timing(&m_timingLock);
        m_clock = clock;
        m_runStart = start;
        m_runCounter = counter.QuadPart;
    }
    Wake();
    return S_OK;
}

void CPixarkStream::Wake() {
    if (m_wake) ::SetEvent(m_wake.Get());
}

bool CPixarkStream::StreamNow(int64_t& now) {
    ComPtr<IReferenceClock> clock;
    REFERENCE_TIME start;
    LONGLONG startCounter;
    {
        CAutoLock timing(&m_timingLock);
        clock = m_clock;
        start = m_runStart;
        startCounter = m_runCounter;
    }
    if (clock) {
        REFERENCE_TIME t = 0;
        if (FAILED(clock->GetTime(&t))) return false;
        now = t - start;
        return true;
    }
    LARGE_INTEGER counter{}, frequency{};
    if (!::QueryPerformanceCounter(&counter) || !::QueryPerformanceFrequency(&frequency) || frequency.QuadPart <= 0)
        return false;
    const LONGLONG ticks = counter.QuadPart - startCounter;
    now = ticks / frequency.QuadPart * pixark::kUnitsPerSecond +
          ticks % frequency.QuadPart * pixark::kUnitsPerSecond / frequency.QuadPart;
    return true;
}

bool CPixarkStream::WaitForFrame() {
    if (m_pFilter->State() != State_Running) {
        ::WaitForSingleObject(m_wake.Get(), kMaxWaitMs);
        return false;
    }
    int64_t now = 0;
    if (!StreamNow(now)) {
        ::WaitForSingleObject(m_wake.Get(), 10);
        return false;
    }
    const pixark::FrameStep step = pixark::NextFrame(m_next, now, m_period);
    if (!step.due) {
        ::WaitForSingleObject(m_wake.Get(), pixark::WaitMilliseconds(now, step.waitUntil, kMaxWaitMs));
        return false;
    }
    if (step.dropped > 0) m_dropped += static_cast<LONG>(step.dropped);
    m_frame = step.frame;
    m_next = step.frame;
    return true;
}

HRESULT CPixarkStream::OnThreadCreate() {
    m_cpuAtStart = ThreadCpu();
    m_grabber.reset(new (std::nothrow) ScreenGrabber);
    if (!m_grabber) return E_OUTOFMEMORY;
    HRESULT hr = m_grabber->Init(m_width, m_height, m_bitCount);
    if (FAILED(hr)) m_grabber.reset();
    return hr;
}

HRESULT CPixarkStream::OnThreadDestroy() {
    AddThreadCpu();
    m_grabber.reset();
    return S_OK;
}

void CPixarkStream::AddThreadCpu() { m_cpu = ThreadCpu() - m_cpuAtStart; }

HRESULT CPixarkStream::FillBuffer(IMediaSample* sample) {
    BYTE* data = nullptr;
    HRESULT hr = sample->GetPointer(&data);
    if (FAILED(hr)) return hr;
    const long size = sample->GetSize();
    if (size < 0) return E_UNEXPECTED;
    hr = m_grabber->Grab(m_session, data, static_cast<uint32_t>(size));
    if (hr != S_OK) return hr;
    sample->SetActualDataLength(static_cast<long>(m_grabber->FrameBytes()));
    REFERENCE_TIME start = m_frame * m_period, stop = start + m_period;
    sample->SetTime(&start, &stop);
    sample->SetSyncPoint(TRUE);
    sample->SetDiscontinuity(m_frame == 0 ? TRUE : FALSE);
    return S_OK;
}

HRESULT CPixarkStream::DoBufferProcessingLoop() {
    DWORD cmd = CMD_STOP;
    for (;;) {
        if (CheckRequest(&cmd)) {
            if (cmd != CMD_RUN && cmd != CMD_PAUSE) return S_FALSE;  // ThreadProc answers it
            Reply(static_cast<DWORD>(S_OK));
            continue;
        }
        if (m_stopping) {
            // The stop is on its way: wait for it instead of capturing.
            GetRequest();
            continue;
        }
        if (!WaitForFrame()) continue;
        ComPtr<IMediaSample> sample;
        HRESULT hr = GetDeliveryBuffer(&sample, nullptr, nullptr, 0);
        if (FAILED(hr) || !sample) {
            // Decommitted: a stop is coming.
            ::WaitForSingleObject(m_wake.Get(), 10);
            continue;
        }
        hr = FillBuffer(sample.Get());
        if (hr == S_FALSE) {
            // No picture this period (a minimised window): a dropped frame.
            ++m_dropped;
            ++m_next;
            continue;
        }
        if (FAILED(hr)) {
            DeliverEndOfStream();
            m_pFilter->NotifyEvent(EC_ERRORABORT, hr, 0);
            return hr;
        }
        hr = Deliver(sample.Get());
        sample.Reset();
        AddThreadCpu();
        // Downstream refuses: done until the next command; a failure that is
        // not a stop's (the writer's full disk) is the graph's news.
        if (hr != S_OK) {
            if (IsDeliveryFailure(hr)) m_pFilter->NotifyEvent(EC_ERRORABORT, hr, 0);
            return S_OK;
        }
        ++m_delivered;
        ++m_next;
    }
}
