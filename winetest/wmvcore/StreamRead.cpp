#include "winetest/wmvcore/StreamRead.h"

#include <utility>
#include <vector>

#include "framework/base/ComPtr.h"

namespace wmv {

namespace {

HRESULT ReadText(IWMStreamConfig* config, HRESULT (STDMETHODCALLTYPE IWMStreamConfig::*get)(WCHAR*, WORD*),
                 std::wstring& text) {
    WORD length = 0;
    HRESULT hr = (config->*get)(nullptr, &length);
    if (FAILED(hr)) return hr;
    if (length == 0) {
        text.clear();
        return S_OK;
    }
    std::vector<WCHAR> buffer(length);
    if (FAILED(hr = (config->*get)(buffer.data(), &length))) return hr;
    buffer.back() = L'\0';
    text = buffer.data();
    return S_OK;
}

}  // namespace

HRESULT ReadStreamData(IWMStreamConfig* config, StreamData& data) {
    if (!config) return E_POINTER;
    StreamData out;
    HRESULT hr;
    if (FAILED(hr = config->GetStreamType(&out.majorType))) return hr;
    if (FAILED(hr = config->GetStreamNumber(&out.number))) return hr;
    if (FAILED(hr = ReadText(config, &IWMStreamConfig::GetStreamName, out.name))) return hr;
    if (FAILED(hr = ReadText(config, &IWMStreamConfig::GetConnectionName, out.connectionName))) return hr;
    if (FAILED(hr = config->GetBitrate(&out.bitrate))) return hr;
    if (FAILED(hr = config->GetBufferWindow(&out.bufferWindow))) return hr;

    ComPtr<IWMMediaProps> props;
    if (FAILED(hr = config->QueryInterface(__uuidof(IWMMediaProps), reinterpret_cast<void**>(&props)))) return hr;
    DWORD size = 0;
    if (FAILED(hr = props->GetMediaType(nullptr, &size))) return hr;
    if (size < sizeof(WM_MEDIA_TYPE)) return E_UNEXPECTED;
    std::vector<BYTE> buffer(size);
    auto* type = reinterpret_cast<WM_MEDIA_TYPE*>(buffer.data());
    if (FAILED(hr = props->GetMediaType(type, &size))) return hr;
    // The format block must lie inside what the object said it needs.
    const BYTE* first = buffer.data() + sizeof(WM_MEDIA_TYPE);
    const BYTE* end = buffer.data() + buffer.size();
    if (type->cbFormat &&
        (type->pbFormat < first || type->pbFormat > end || type->cbFormat > static_cast<size_t>(end - type->pbFormat)))
        return E_UNEXPECTED;
    out.subtype = type->subtype;
    out.fixedSizeSamples = type->bFixedSizeSamples;
    out.temporalCompression = type->bTemporalCompression;
    out.sampleSize = type->lSampleSize;
    out.formatType = type->formattype;
    out.format.assign(type->pbFormat, type->pbFormat + type->cbFormat);
    data = std::move(out);
    return S_OK;
}

}  // namespace wmv
