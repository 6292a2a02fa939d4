#include "tests/wine/pixark/VideoSink.h"

#include <amvideo.h>
#include <uuids.h>

// {8E3B2A61-4D5C-4F7E-9A1B-2C3D4E5F6071}: a test-only class id.
static const CLSID kVideoSinkClsid = {0x8e3b2a61, 0x4d5c, 0x4f7e, {0x9a, 0x1b, 0x2c, 0x3d, 0x4e, 0x5f, 0x60, 0x71}};

uint32_t VideoFrame::Pixel(int32_t x, int32_t y) const {
    if (x < 0 || y < 0 || x >= width || y >= height || (bitCount != 24 && bitCount != 32)) return 0xFF000000u;
    const size_t stride = (static_cast<size_t>(width) * bitCount + 31) / 32 * 4;
    const size_t at = static_cast<size_t>(height - 1 - y) * stride + static_cast<size_t>(x) * (bitCount / 8);
    if (at + 3 > bytes.size()) return 0xFF000000u;
    return (uint32_t{bytes[at + 2]} << 16) | (uint32_t{bytes[at + 1]} << 8) | bytes[at];
}

VideoSinkPin::VideoSinkPin(VideoSink* sink, CCritSec* lock)
    : CBaseInputPin(L"VideoSinkPin", sink, lock, nullptr, L"In"), m_sink(sink) {}

HRESULT VideoSinkPin::CheckMediaType(const CMediaType* pmt) {
    if (pmt->majortype != MEDIATYPE_Video || pmt->formattype != FORMAT_VideoInfo ||
        pmt->cbFormat < sizeof(VIDEOINFOHEADER) || !pmt->pbFormat)
        return S_FALSE;
    if (pmt->subtype != MEDIASUBTYPE_RGB24 && pmt->subtype != MEDIASUBTYPE_RGB32) return S_FALSE;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE VideoSinkPin::Receive(IMediaSample* sample) {
    HRESULT hr = CBaseInputPin::Receive(sample);
    if (hr != S_OK) return hr;
    VideoSampleTimes t;
    t.timed = SUCCEEDED(sample->GetTime(&t.start, &t.stop));
    t.length = sample->GetActualDataLength();
    t.tick = ::GetTickCount();
    const auto* vih = reinterpret_cast<const VIDEOINFOHEADER*>(CurrentMediaType().pbFormat);
    BYTE* data = nullptr;
    std::lock_guard<std::mutex> lock(m_sink->m_samplesLock);
    m_sink->m_samples.push_back(t);
    if (vih && SUCCEEDED(sample->GetPointer(&data)) && t.length > 0) {
        VideoFrame& f = m_sink->m_last;
        f.width = vih->bmiHeader.biWidth;
        f.height = vih->bmiHeader.biHeight;
        f.bitCount = vih->bmiHeader.biBitCount;
        f.bytes.assign(data, data + t.length);
        f.tick = t.tick;
        bool black = true;
        for (int y = 0; y < 32 && black; ++y)
            for (int x = 0; x < 32 && black; ++x) black = f.Pixel(x, y) == 0;
        m_sink->m_samples.back().cornerBlack = black;
    }
    return S_OK;
}

VideoSink::VideoSink() : CBaseFilter(L"VideoSink", nullptr, &m_stateLock, kVideoSinkClsid), m_pin(this, &m_stateLock) {}

VideoSink* VideoSink::Create() {
    auto* sink = new VideoSink;
    sink->AddRef();
    return sink;
}

std::vector<VideoSampleTimes> VideoSink::Samples() {
    std::lock_guard<std::mutex> lock(m_samplesLock);
    return m_samples;
}

VideoFrame VideoSink::LastFrame() {
    std::lock_guard<std::mutex> lock(m_samplesLock);
    return m_last;
}

size_t VideoSink::Count() {
    std::lock_guard<std::mutex> lock(m_samplesLock);
    return m_samples.size();
}
