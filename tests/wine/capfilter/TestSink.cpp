#include "tests/wine/capfilter/TestSink.h"

#include <uuids.h>

// {5C0F4E0A-9B7D-4C31-A0E6-6B1D2C7F1A01}: a test-only class id.
static const CLSID kTestSinkClsid = {0x5c0f4e0a, 0x9b7d, 0x4c31, {0xa0, 0xe6, 0x6b, 0x1d, 0x2c, 0x7f, 0x1a, 0x01}};

TestSinkPin::TestSinkPin(TestSink* sink, CCritSec* lock)
    : CBaseInputPin(L"TestSinkPin", sink, lock, nullptr, L"In"), m_sink(sink) {}

HRESULT TestSinkPin::CheckMediaType(const CMediaType* pmt) {
    if (pmt->majortype != MEDIATYPE_Audio || pmt->subtype != MEDIASUBTYPE_PCM ||
        pmt->formattype != FORMAT_WaveFormatEx || pmt->cbFormat < sizeof(WAVEFORMATEX))
        return S_FALSE;
    auto* wfx = reinterpret_cast<const WAVEFORMATEX*>(pmt->pbFormat);
    return wfx->wBitsPerSample == 16 ? S_OK : S_FALSE;
}

HRESULT STDMETHODCALLTYPE TestSinkPin::Receive(IMediaSample* sample) {
    HRESULT hr = CBaseInputPin::Receive(sample);
    if (hr != S_OK) return hr;
    ReceivedSample r;
    BYTE* data = nullptr;
    long n = sample->GetActualDataLength();
    if (SUCCEEDED(sample->GetPointer(&data)) && n > 0) r.bytes.assign(data, data + n);
    r.timed = SUCCEEDED(sample->GetTime(&r.start, &r.stop));
    r.discontinuity = sample->IsDiscontinuity() == S_OK;
    r.tick = ::GetTickCount();
    std::lock_guard<std::mutex> lock(m_sink->m_samplesLock);
    m_sink->m_samples.push_back(std::move(r));
    return S_OK;
}

HRESULT STDMETHODCALLTYPE TestSinkPin::EndOfStream() {
    ++m_sink->m_endOfStreams;
    return CBaseInputPin::EndOfStream();
}

TestSink::TestSink() : CBaseFilter(L"TestSink", nullptr, &m_stateLock, kTestSinkClsid), m_pin(this, &m_stateLock) {}

TestSink* TestSink::Create() {
    auto* sink = new TestSink;
    sink->AddRef();
    return sink;
}

std::vector<ReceivedSample> TestSink::Samples() {
    std::lock_guard<std::mutex> lock(m_samplesLock);
    return m_samples;
}

void TestSink::ClearSamples() {
    std::lock_guard<std::mutex> lock(m_samplesLock);
    m_samples.clear();
}
