#include "tests/wine/winetest/dshowfilters/PcmSource.h"

#include <new>

// {5C0F4E0A-9B7D-4C31-A0E6-6B1D2C7F1A02}: a test-only class id.
static const CLSID kPcmSourceClsid = {0x5c0f4e0a, 0x9b7d, 0x4c31, {0xa0, 0xe6, 0x6b, 0x1d, 0x2c, 0x7f, 0x1a, 0x02}};

PcmSource::PcmSource(const WAVEFORMATEX& format, int count, long bytes, HRESULT* phr)
    : CSource(L"PcmSource", nullptr, kPcmSourceClsid, phr), m_format(format), m_count(count), m_bytes(bytes) {
    new PcmSourceStream(phr, this);  // owned by CSource's pin list
}

PcmSource* PcmSource::Create(const WAVEFORMATEX& format, int count, long bytes) {
    HRESULT hr = S_OK;
    auto* source = new PcmSource(format, count, bytes, &hr);
    source->AddRef();
    return source;
}

REFERENCE_TIME PcmSource::Duration() const {
    return static_cast<REFERENCE_TIME>(m_bytes) * 10000000 / m_format.nAvgBytesPerSec;
}

PcmSourceStream::PcmSourceStream(HRESULT* phr, PcmSource* source)
    : CSourceStream(L"PcmSourceStream", phr, source, L"Out"), m_source(source) {}

HRESULT PcmSourceStream::GetMediaType(CMediaType* pmt) { return CreateAudioMediaType(&m_source->m_format, pmt, TRUE); }

HRESULT PcmSourceStream::DecideBufferSize(IMemAllocator* alloc, ALLOCATOR_PROPERTIES* request) {
    ALLOCATOR_PROPERTIES want = *request, actual{};
    want.cBuffers = 2;
    want.cbBuffer = m_source->m_bytes;
    if (want.cbAlign <= 0) want.cbAlign = 1;
    HRESULT hr = alloc->SetProperties(&want, &actual);
    if (FAILED(hr)) return hr;
    return actual.cbBuffer >= m_source->m_bytes ? S_OK : E_FAIL;
}

HRESULT PcmSourceStream::OnThreadCreate() {
    m_next = 0;
    return S_OK;
}

HRESULT PcmSourceStream::FillBuffer(IMediaSample* sample) {
    if (m_next >= m_source->m_count) return S_FALSE;
    BYTE* data = nullptr;
    HRESULT hr = sample->GetPointer(&data);
    if (FAILED(hr)) return hr;
    for (long k = 0; k < m_source->m_bytes; ++k) data[k] = PcmSource::PatternByte(m_next, k);
    sample->SetActualDataLength(m_source->m_bytes);
    REFERENCE_TIME start = m_next * m_source->Duration(), stop = start + m_source->Duration();
    sample->SetTime(&start, &stop);
    sample->SetSyncPoint(TRUE);
    sample->SetDiscontinuity(m_next == 0);
    ++m_next;
    return S_OK;
}
