#include "winetest/wmvcore/Profile.h"

#include <algorithm>

#include "winetest/wmvcore/StreamConfig.h"
#include "winetest/wmvcore/StreamRead.h"
#include "winetest/wmvcore/TextOut.h"
#include "winetest/wmvcore/WmErrors.h"
#include "winetest/wmvcore/WmGuids.h"

namespace wmv {

namespace {

bool ValidNumber(WORD number) { return number >= kMinStreamNumber && number <= kMaxStreamNumber; }

}  // namespace

HRESULT CProfile::GetVersion(WMT_VERSION* version) {
    if (!version) return E_POINTER;
    std::lock_guard<std::mutex> lock(m_lock);
    *version = m_data.version;
    return S_OK;
}

HRESULT CProfile::GetName(WCHAR* name, DWORD* length) {
    std::lock_guard<std::mutex> lock(m_lock);
    return CopyTextOut(m_data.name, name, length);
}

HRESULT CProfile::SetName(const WCHAR* name) {
    std::lock_guard<std::mutex> lock(m_lock);
    return AssignText(m_data.name, name);
}

HRESULT CProfile::GetDescription(WCHAR* description, DWORD* length) {
    std::lock_guard<std::mutex> lock(m_lock);
    return CopyTextOut(m_data.description, description, length);
}

HRESULT CProfile::SetDescription(const WCHAR* description) {
    std::lock_guard<std::mutex> lock(m_lock);
    return AssignText(m_data.description, description);
}

HRESULT CProfile::GetStreamCount(DWORD* count) {
    if (!count) return E_POINTER;
    std::lock_guard<std::mutex> lock(m_lock);
    *count = static_cast<DWORD>(m_data.streams.size());
    return S_OK;
}

HRESULT CProfile::GetStream(DWORD index, IWMStreamConfig** config) {
    if (!config) return E_POINTER;
    std::lock_guard<std::mutex> lock(m_lock);
    *config = nullptr;
    if (index >= m_data.streams.size()) return E_INVALIDARG;
    return HandOutStream(m_data.streams[index], config);
}

HRESULT CProfile::GetStreamByNumber(WORD number, IWMStreamConfig** config) {
    if (!config) return E_POINTER;
    std::lock_guard<std::mutex> lock(m_lock);
    *config = nullptr;
    if (!ValidNumber(number)) return E_INVALIDARG;
    const StreamData* stream = FindStream(number);
    if (!stream) return kNoStream;
    return HandOutStream(*stream, config);
}

HRESULT CProfile::RemoveStream(IWMStreamConfig* config) {
    if (!config) return E_POINTER;
    WORD number = 0;
    HRESULT hr = config->GetStreamNumber(&number);
    if (FAILED(hr)) return hr;
    return RemoveStreamByNumber(number);
}

HRESULT CProfile::RemoveStreamByNumber(WORD number) {
    if (!ValidNumber(number)) return E_INVALIDARG;
    std::lock_guard<std::mutex> lock(m_lock);
    auto& streams = m_data.streams;
    auto it = std::find_if(streams.begin(), streams.end(), [&](const StreamData& s) { return s.number == number; });
    if (it == streams.end()) return kNoStream;
    streams.erase(it);
    return S_OK;
}

HRESULT CProfile::AddStream(IWMStreamConfig* config) {
    StreamData data;
    HRESULT hr = ReadStreamData(config, data);
    if (FAILED(hr)) return hr;
    if (!ValidNumber(data.number)) return E_INVALIDARG;
    std::lock_guard<std::mutex> lock(m_lock);
    if (FindStream(data.number)) return E_INVALIDARG;
    m_data.streams.push_back(std::move(data));
    return S_OK;
}

HRESULT CProfile::ReconfigStream(IWMStreamConfig* config) {
    StreamData data;
    HRESULT hr = ReadStreamData(config, data);
    if (FAILED(hr)) return hr;
    std::lock_guard<std::mutex> lock(m_lock);
    StreamData* stream = FindStream(data.number);
    if (!stream) return kNoStream;
    *stream = std::move(data);
    return S_OK;
}

HRESULT CProfile::CreateNewStream(REFGUID type, IWMStreamConfig** config) {
    if (!config) return E_POINTER;
    *config = nullptr;
    if (type != WMMEDIATYPE_Audio && type != WMMEDIATYPE_Video) return E_INVALIDARG;
    StreamData data;
    data.majorType = type;
    data.formatType = type == WMMEDIATYPE_Audio ? kFormatWaveFormatEx : kFormatVideoInfo;
    return HandOutStream(data, config);
}

HRESULT CProfile::GetMutualExclusionCount(DWORD* count) {
    if (!count) return E_POINTER;
    *count = 0;
    return S_OK;
}

HRESULT CProfile::GetMutualExclusion(DWORD, IWMMutualExclusion** exclusion) {
    if (exclusion) *exclusion = nullptr;
    return E_NOTIMPL;
}

HRESULT CProfile::RemoveMutualExclusion(IWMMutualExclusion*) { return E_NOTIMPL; }

HRESULT CProfile::AddMutualExclusion(IWMMutualExclusion*) { return E_NOTIMPL; }

HRESULT CProfile::CreateNewMutualExclusion(IWMMutualExclusion** exclusion) {
    if (exclusion) *exclusion = nullptr;
    return E_NOTIMPL;
}

StreamData* CProfile::FindStream(WORD number) {
    for (StreamData& stream : m_data.streams)
        if (stream.number == number) return &stream;
    return nullptr;
}

HRESULT CProfile::HandOutStream(const StreamData& data, IWMStreamConfig** config) const {
    return HandOut(MakeComObject<CStreamConfig>(data), config);
}

}  // namespace wmv
