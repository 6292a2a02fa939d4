// The counter source: uncompressed pictures whose frame number can be read
// back from the decoded video (see TestSources.h and check_recording.py).

#include <windows.h>

#include <strmif.h>

#include <amvideo.h>
#include <uuids.h>

#include <cstring>
#include <new>

#include "tests/wine/support/LiveStream.h"
#include "tests/wine/support/TestSources.h"

namespace {

// {5B0C1D3E-6A41-4F1B-9C2E-7D8A1F3B2C02}, a private id of this test source.
const GUID kClsidCounterSource = {0x5b0c1d3e, 0x6a41, 0x4f1b, {0x9c, 0x2e, 0x7d, 0x8a, 0x1f, 0x3b, 0x2c, 0x02}};

constexpr int kBits = 16;
constexpr int kBlock = 16;
constexpr int kBarWidth = 8;

class CCounterStream : public CLiveStream {
public:
    CCounterStream(HRESULT* phr, CLiveSource* filter, int width, int height, int fps, int bitCount)
        : CLiveStream(L"Counter", phr, filter, L"Output"),
          m_width(width),
          m_height(height),
          m_fps(fps),
          m_bytesPerPixel(bitCount / 8),
          m_stride((width * (bitCount / 8) + 3) & ~3) {}

protected:
    HRESULT GetMediaType(CMediaType* pmt) override {
        auto* vih = reinterpret_cast<VIDEOINFOHEADER*>(pmt->AllocFormatBuffer(sizeof(VIDEOINFOHEADER)));
        if (!vih) return E_OUTOFMEMORY;
        vih->AvgTimePerFrame = 10000000LL / m_fps;
        vih->bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        vih->bmiHeader.biWidth = m_width;
        vih->bmiHeader.biHeight = m_height;
        vih->bmiHeader.biPlanes = 1;
        vih->bmiHeader.biBitCount = static_cast<WORD>(m_bytesPerPixel * 8);
        vih->bmiHeader.biCompression = BI_RGB;
        vih->bmiHeader.biSizeImage = static_cast<DWORD>(m_stride * m_height);
        pmt->majortype = MEDIATYPE_Video;
        pmt->subtype = m_bytesPerPixel == 4 ? MEDIASUBTYPE_RGB32 : MEDIASUBTYPE_RGB24;
        pmt->formattype = FORMAT_VideoInfo;
        pmt->bFixedSizeSamples = TRUE;
        pmt->bTemporalCompression = FALSE;
        pmt->lSampleSize = vih->bmiHeader.biSizeImage;
        return S_OK;
    }

    HRESULT DecideBufferSize(IMemAllocator* alloc, ALLOCATOR_PROPERTIES* request) override {
        return RequestBuffers(alloc, request, 3, m_stride * m_height);
    }

    HRESULT OnThreadStartPlay() override {
        m_frame = 0;
        return S_OK;
    }

    HRESULT FillBuffer(IMediaSample* sample) override {
        REFERENCE_TIME start = m_frame * 10000000LL / m_fps;
        REFERENCE_TIME stop = (m_frame + 1) * 10000000LL / m_fps;
        HRESULT hr = WaitForStreamTime(stop);
        if (hr != S_OK) return hr;
        BYTE* data = nullptr;
        if (FAILED(hr = sample->GetPointer(&data))) return hr;
        Draw(data, static_cast<unsigned>(m_frame));
        sample->SetActualDataLength(m_stride * m_height);
        sample->SetTime(&start, &stop);
        sample->SetSyncPoint(TRUE);
        sample->SetDiscontinuity(m_frame == 0 ? TRUE : FALSE);
        ++m_frame;
        return S_OK;
    }

private:
    // (x, y) counted from the picture's top; rows are stored bottom-up.
    void Fill(BYTE* data, int x0, int y0, int w, int h, BYTE b, BYTE g, BYTE r) const {
        for (int y = y0; y < y0 + h && y < m_height; ++y) {
            BYTE* row = data + (m_height - 1 - y) * m_stride;
            for (int x = x0; x < x0 + w && x < m_width; ++x) {
                BYTE* p = row + x * m_bytesPerPixel;
                p[0] = b;
                p[1] = g;
                p[2] = r;
                if (m_bytesPerPixel == 4) p[3] = 0;
            }
        }
    }

    void Draw(BYTE* data, unsigned counter) const {
        std::memset(data, 0, static_cast<size_t>(m_stride * m_height));
        Fill(data, 0, 0, m_width, m_height, 96, 48, 32);
        for (int bit = 0; bit < kBits; ++bit) {
            bool set = (counter >> (kBits - 1 - bit)) & 1;
            BYTE v = set ? 255 : 0;
            Fill(data, bit * kBlock, 0, kBlock, kBlock, v, v, v);
        }
        int span = m_width - kBarWidth;
        int x = static_cast<int>((counter * 4) % static_cast<unsigned>(span));
        Fill(data, x, kBlock + 8, kBarWidth, m_height - kBlock - 8, 0, 200, 255);
    }

    int m_width, m_height, m_fps, m_bytesPerPixel, m_stride;
    LONGLONG m_frame = 0;
};

class CCounterSource : public CLiveSource {
public:
    CCounterSource(int width, int height, int fps, int bitCount) : CLiveSource(L"Counter Source", kClsidCounterSource) {
        HRESULT hr = S_OK;
        new (std::nothrow) CCounterStream(&hr, this, width, height, fps, bitCount);  // owned by CSource
    }
};

}  // namespace

ComPtr<IBaseFilter> CreateCounterSource(int width, int height, int fps, int bitCount) {
    if (width < kBits * kBlock || height < 2 * kBlock || width > 8192 || height > 8192 || fps < 1 || fps > 200 ||
        (bitCount != 24 && bitCount != 32))
        return nullptr;
    auto* filter = new (std::nothrow) CCounterSource(width, height, fps, bitCount);
    if (!filter) return nullptr;
    ComPtr<IBaseFilter> result(static_cast<IBaseFilter*>(filter));
    if (filter->GetPinCount() != 1) return nullptr;
    return result;
}
