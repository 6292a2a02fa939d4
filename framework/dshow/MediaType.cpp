#include "framework/dshow/MediaType.h"

#include <uuids.h>

#include <cstring>

void FreeMediaType(AM_MEDIA_TYPE& mt) {
    if (mt.pbFormat) ::CoTaskMemFree(mt.pbFormat);
    mt.pbFormat = nullptr;
    mt.cbFormat = 0;
    if (mt.pUnk) mt.pUnk->Release();
    mt.pUnk = nullptr;
}

void DeleteMediaType(AM_MEDIA_TYPE* pmt) {
    if (!pmt) return;
    FreeMediaType(*pmt);
    ::CoTaskMemFree(pmt);
}

HRESULT CopyMediaType(AM_MEDIA_TYPE* dst, const AM_MEDIA_TYPE* src) {
    *dst = *src;
    if (src->cbFormat && src->pbFormat) {
        dst->pbFormat = static_cast<BYTE*>(::CoTaskMemAlloc(src->cbFormat));
        if (!dst->pbFormat) {
            dst->cbFormat = 0;
            dst->pUnk = nullptr;
            return E_OUTOFMEMORY;
        }
        std::memcpy(dst->pbFormat, src->pbFormat, src->cbFormat);
    } else {
        dst->pbFormat = nullptr;
        dst->cbFormat = 0;
    }
    if (dst->pUnk) dst->pUnk->AddRef();
    return S_OK;
}

AM_MEDIA_TYPE* CreateMediaType(const AM_MEDIA_TYPE* src) {
    auto* pmt = static_cast<AM_MEDIA_TYPE*>(::CoTaskMemAlloc(sizeof(AM_MEDIA_TYPE)));
    if (!pmt) return nullptr;
    if (FAILED(CopyMediaType(pmt, src))) {
        ::CoTaskMemFree(pmt);
        return nullptr;
    }
    return pmt;
}

CMediaType::CMediaType() : AM_MEDIA_TYPE{} {}

CMediaType::CMediaType(const CMediaType& other) : AM_MEDIA_TYPE{} { CopyFrom(other); }

CMediaType::CMediaType(const AM_MEDIA_TYPE& other) : AM_MEDIA_TYPE{} { CopyFrom(other); }

CMediaType& CMediaType::operator=(const CMediaType& other) {
    if (this != &other) CopyFrom(other);
    return *this;
}

CMediaType& CMediaType::operator=(const AM_MEDIA_TYPE& other) {
    if (this != &other) CopyFrom(other);
    return *this;
}

CMediaType::~CMediaType() { FreeMediaType(*this); }

HRESULT CMediaType::CopyFrom(const AM_MEDIA_TYPE& other) {
    FreeMediaType(*this);
    HRESULT hr = CopyMediaType(this, &other);
    if (FAILED(hr)) InitMediaType();
    return hr;
}

void CMediaType::InitMediaType() {
    FreeMediaType(*this);
    static_cast<AM_MEDIA_TYPE&>(*this) = AM_MEDIA_TYPE{};
}

BYTE* CMediaType::AllocFormatBuffer(ULONG length) {
    if (pbFormat) ::CoTaskMemFree(pbFormat);
    cbFormat = 0;
    pbFormat = static_cast<BYTE*>(::CoTaskMemAlloc(length));
    if (!pbFormat) return nullptr;
    std::memset(pbFormat, 0, length);
    cbFormat = length;
    return pbFormat;
}

bool CMediaType::operator==(const CMediaType& other) const {
    return majortype == other.majortype && subtype == other.subtype && formattype == other.formattype &&
           cbFormat == other.cbFormat && (cbFormat == 0 || std::memcmp(pbFormat, other.pbFormat, cbFormat) == 0);
}

bool CMediaType::MatchesPartial(const AM_MEDIA_TYPE* partial) const {
    if (partial->majortype != GUID_NULL && partial->majortype != majortype) return false;
    if (partial->subtype != GUID_NULL && partial->subtype != subtype) return false;
    if (partial->formattype != GUID_NULL) {
        if (partial->formattype != formattype || partial->cbFormat != cbFormat) return false;
        if (cbFormat && std::memcmp(partial->pbFormat, pbFormat, cbFormat) != 0) return false;
    }
    return true;
}

HRESULT CreateAudioMediaType(const WAVEFORMATEX* wfx, AM_MEDIA_TYPE* pmt, BOOL setFormat) {
    if (!wfx || !pmt) return E_POINTER;
    pmt->majortype = MEDIATYPE_Audio;
    if (wfx->wFormatTag == WAVE_FORMAT_EXTENSIBLE && wfx->cbSize >= 22) {
        pmt->subtype = reinterpret_cast<const WAVEFORMATEXTENSIBLE*>(wfx)->SubFormat;
    } else {
        // The wave subtypes are the format tag in the first field of the
        // base GUID {xxxxxxxx-0000-0010-8000-00AA00389B71}.
        GUID sub = MEDIASUBTYPE_PCM;
        sub.Data1 = wfx->wFormatTag;
        pmt->subtype = sub;
    }
    pmt->formattype = FORMAT_WaveFormatEx;
    pmt->bFixedSizeSamples = TRUE;
    pmt->bTemporalCompression = FALSE;
    pmt->lSampleSize = wfx->nBlockAlign;
    pmt->pUnk = nullptr;
    if (setFormat) {
        ULONG size = sizeof(WAVEFORMATEX) + wfx->cbSize;
        BYTE* block = static_cast<BYTE*>(::CoTaskMemAlloc(size));
        if (!block) return E_OUTOFMEMORY;
        std::memcpy(block, wfx, size);
        if (pmt->pbFormat) ::CoTaskMemFree(pmt->pbFormat);
        pmt->pbFormat = block;
        pmt->cbFormat = size;
    }
    return S_OK;
}
