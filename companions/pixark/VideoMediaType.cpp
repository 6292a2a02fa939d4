#include "companions/pixark/VideoMediaType.h"

#include <amvideo.h>
#include <uuids.h>

#include <algorithm>

#include "companions/pixark/FrameLayout.h"
#include "companions/pixark/FrameSchedule.h"

HRESULT MakeVideoMediaType(const pixark::CaptureSettings& s, int32_t bitCount, CMediaType* pmt) {
    if (!pmt) return E_POINTER;
    const uint32_t bytes = pixark::FrameBytes(s.Width(), s.Height(), bitCount);
    if (bytes == 0 || s.frameRate < 1) return E_INVALIDARG;
    pmt->InitMediaType();
    auto* vih = reinterpret_cast<VIDEOINFOHEADER*>(pmt->AllocFormatBuffer(sizeof(VIDEOINFOHEADER)));
    if (!vih) return E_OUTOFMEMORY;
    const int64_t period = pixark::FramePeriod(s.frameRate);
    vih->AvgTimePerFrame = period;
    vih->dwBitRate = static_cast<DWORD>(std::min<int64_t>(int64_t{bytes} * 8 * s.frameRate, 0xFFFFFFFFll));
    vih->bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    vih->bmiHeader.biWidth = static_cast<LONG>(s.Width());
    vih->bmiHeader.biHeight = static_cast<LONG>(s.Height());
    vih->bmiHeader.biPlanes = 1;
    vih->bmiHeader.biBitCount = static_cast<WORD>(bitCount);
    vih->bmiHeader.biCompression = BI_RGB;
    vih->bmiHeader.biSizeImage = bytes;
    pmt->majortype = MEDIATYPE_Video;
    pmt->subtype = bitCount == 24 ? MEDIASUBTYPE_RGB24 : MEDIASUBTYPE_RGB32;
    pmt->formattype = FORMAT_VideoInfo;
    pmt->bFixedSizeSamples = TRUE;
    pmt->bTemporalCompression = FALSE;
    pmt->lSampleSize = bytes;
    return S_OK;
}

int32_t AcceptedBitCount(const pixark::CaptureSettings& s, const AM_MEDIA_TYPE& mt) {
    if (mt.majortype != MEDIATYPE_Video || mt.formattype != FORMAT_VideoInfo || !mt.pbFormat ||
        mt.cbFormat < sizeof(VIDEOINFOHEADER))
        return 0;
    const int32_t bits = mt.subtype == MEDIASUBTYPE_RGB24 ? 24 : mt.subtype == MEDIASUBTYPE_RGB32 ? 32 : 0;
    const BITMAPINFOHEADER& bih = reinterpret_cast<const VIDEOINFOHEADER*>(mt.pbFormat)->bmiHeader;
    if (bits == 0 || bih.biBitCount != bits || bih.biCompression != BI_RGB) return 0;
    // Only what the pin makes: the rectangle's size, bottom-up rows.
    if (bih.biWidth != s.Width() || bih.biHeight != s.Height()) return 0;
    return bits;
}
