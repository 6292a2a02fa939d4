#include "winetest/wmvcore/StreamConfig.h"

#include <cstring>

#include "winetest/wmvcore/TextOut.h"
#include "winetest/wmvcore/WmErrors.h"

namespace wmv {

HRESULT CStreamConfig::GetStreamType(GUID* type) {
    if (!type) return E_POINTER;
    std::lock_guard<std::mutex> lock(m_lock);
    *type = m_data.majorType;
    return S_OK;
}

HRESULT CStreamConfig::GetStreamNumber(WORD* number) {
    if (!number) return E_POINTER;
    std::lock_guard<std::mutex> lock(m_lock);
    *number = m_data.number;
    return S_OK;
}

HRESULT CStreamConfig::SetStreamNumber(WORD number) {
    std::lock_guard<std::mutex> lock(m_lock);
    if (number < kMinStreamNumber || number > kMaxStreamNumber) return E_INVALIDARG;
    m_data.number = number;
    return S_OK;
}

HRESULT CStreamConfig::GetStreamName(WCHAR* name, WORD* length) {
    std::lock_guard<std::mutex> lock(m_lock);
    return CopyTextOut(m_data.name, name, length);
}

HRESULT CStreamConfig::SetStreamName(LPCWSTR_WMSDK_TYPE_SAFE name) {
    std::lock_guard<std::mutex> lock(m_lock);
    return AssignText(m_data.name, name);
}

HRESULT CStreamConfig::GetConnectionName(WCHAR* name, WORD* length) {
    std::lock_guard<std::mutex> lock(m_lock);
    return CopyTextOut(m_data.connectionName, name, length);
}

HRESULT CStreamConfig::SetConnectionName(LPCWSTR_WMSDK_TYPE_SAFE name) {
    std::lock_guard<std::mutex> lock(m_lock);
    return AssignText(m_data.connectionName, name);
}

HRESULT CStreamConfig::GetBitrate(DWORD* bitrate) {
    if (!bitrate) return E_POINTER;
    std::lock_guard<std::mutex> lock(m_lock);
    *bitrate = m_data.bitrate;
    return S_OK;
}

HRESULT CStreamConfig::SetBitrate(DWORD bitrate) {
    std::lock_guard<std::mutex> lock(m_lock);
    m_data.bitrate = bitrate;
    return S_OK;
}

HRESULT CStreamConfig::GetBufferWindow(DWORD* window) {
    if (!window) return E_POINTER;
    std::lock_guard<std::mutex> lock(m_lock);
    *window = m_data.bufferWindow;
    return S_OK;
}

HRESULT CStreamConfig::SetBufferWindow(DWORD window) {
    std::lock_guard<std::mutex> lock(m_lock);
    m_data.bufferWindow = window;
    return S_OK;
}

HRESULT CStreamConfig::GetType(GUID* type) { return GetStreamType(type); }

HRESULT CStreamConfig::GetMediaType(WM_MEDIA_TYPE* type, DWORD* size) {
    if (!size) return E_INVALIDARG;  // the documented result, not E_POINTER
    std::lock_guard<std::mutex> lock(m_lock);
    const DWORD needed = static_cast<DWORD>(sizeof(WM_MEDIA_TYPE) + m_data.format.size());
    const DWORD capacity = *size;
    *size = needed;
    if (!type) return S_OK;
    if (capacity < needed) return kBufferTooSmall;
    type->majortype = m_data.majorType;
    type->subtype = m_data.subtype;
    type->bFixedSizeSamples = m_data.fixedSizeSamples;
    type->bTemporalCompression = m_data.temporalCompression;
    type->lSampleSize = m_data.sampleSize;
    type->formattype = m_data.formatType;
    type->pUnk = nullptr;
    type->cbFormat = static_cast<ULONG>(m_data.format.size());
    // The format block lives in the caller's buffer, just after the
    // structure, so the caller frees one allocation.
    type->pbFormat = reinterpret_cast<BYTE*>(type + 1);
    if (!m_data.format.empty()) std::memcpy(type->pbFormat, m_data.format.data(), m_data.format.size());
    return S_OK;
}

HRESULT CStreamConfig::SetMediaType(WM_MEDIA_TYPE* type) {
    if (!type) return E_POINTER;
    std::lock_guard<std::mutex> lock(m_lock);
    if (type->cbFormat && !type->pbFormat) return E_INVALIDARG;
    // The stream's major type is what the profile made it; a media type of
    // another kind would contradict it.
    if (type->majortype != m_data.majorType) return E_INVALIDARG;
    m_data.subtype = type->subtype;
    m_data.fixedSizeSamples = type->bFixedSizeSamples;
    m_data.temporalCompression = type->bTemporalCompression;
    m_data.sampleSize = type->lSampleSize;
    m_data.formatType = type->formattype;
    m_data.format.assign(type->pbFormat, type->pbFormat + type->cbFormat);
    return S_OK;
}

}  // namespace wmv
