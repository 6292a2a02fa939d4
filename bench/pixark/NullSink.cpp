#include "bench/pixark/NullSink.h"

#include <uuids.h>

// {2F6A9C13-7E45-4B8D-A0C2-91D3E4F5A6B7}: a benchmark-only class id.
static const CLSID kNullSinkClsid = {0x2f6a9c13, 0x7e45, 0x4b8d, {0xa0, 0xc2, 0x91, 0xd3, 0xe4, 0xf5, 0xa6, 0xb7}};

NullSinkPin::NullSinkPin(NullSink* sink, CCritSec* lock) : CBaseInputPin(L"NullSinkPin", sink, lock, nullptr, L"In") {}

HRESULT NullSinkPin::CheckMediaType(const CMediaType* pmt) {
    if (pmt->majortype != MEDIATYPE_Video || pmt->formattype != FORMAT_VideoInfo) return S_FALSE;
    return pmt->subtype == MEDIASUBTYPE_RGB24 || pmt->subtype == MEDIASUBTYPE_RGB32 ? S_OK : S_FALSE;
}

NullSink::NullSink() : CBaseFilter(L"NullSink", nullptr, &m_stateLock, kNullSinkClsid), m_pin(this, &m_stateLock) {}

NullSink* NullSink::Create() {
    auto* sink = new NullSink;
    sink->AddRef();
    return sink;
}
