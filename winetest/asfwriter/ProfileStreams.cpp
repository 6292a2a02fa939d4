#include "winetest/asfwriter/ProfileStreams.h"

#include <amvideo.h>
#include <mmreg.h>
#include <uuids.h>

#include <new>

#include "framework/base/ComPtr.h"

namespace {

HRESULT ReadMediaType(IWMStreamConfig* config, std::vector<BYTE>& buffer) {
    ComPtr<IWMMediaProps> props;
    HRESULT hr = config->QueryInterface(__uuidof(IWMMediaProps), reinterpret_cast<void**>(&props));
    if (FAILED(hr)) return hr;
    DWORD size = 0;
    if (FAILED(hr = props->GetMediaType(nullptr, &size))) return hr;
    if (size < sizeof(WM_MEDIA_TYPE)) return E_INVALIDARG;
    try {
        buffer.assign(size, 0);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    DWORD got = size;
    if (FAILED(hr = props->GetMediaType(reinterpret_cast<WM_MEDIA_TYPE*>(buffer.data()), &got))) return hr;
    return got <= size ? S_OK : E_UNEXPECTED;
}

// The format block must lie inside what GetMediaType returned, or be a
// separate block the profile owns; either way only cbFormat bytes are read.
HRESULT ReadStream(IWMStreamConfig* config, ProfileStream& s) {
    GUID type{};
    HRESULT hr = config->GetStreamType(&type);
    if (FAILED(hr)) return hr;
    if (FAILED(hr = config->GetStreamNumber(&s.number))) return hr;
    std::vector<BYTE> buffer;
    if (FAILED(hr = ReadMediaType(config, buffer))) return hr;
    const auto* mt = reinterpret_cast<const WM_MEDIA_TYPE*>(buffer.data());
    s.subtype = mt->subtype;
    if (type == MEDIATYPE_Video) {
        if (!mt->pbFormat || mt->formattype != FORMAT_VideoInfo || mt->cbFormat < sizeof(VIDEOINFOHEADER))
            return E_INVALIDARG;
        const auto* vih = reinterpret_cast<const VIDEOINFOHEADER*>(mt->pbFormat);
        s.video = true;
        s.width = vih->bmiHeader.biWidth;
        s.height = vih->bmiHeader.biHeight;
        s.fourcc = vih->bmiHeader.biCompression;
        return S_OK;
    }
    if (type == MEDIATYPE_Audio) {
        if (!mt->pbFormat || mt->cbFormat < sizeof(WAVEFORMAT)) return E_INVALIDARG;
        s.formatTag = reinterpret_cast<const WAVEFORMAT*>(mt->pbFormat)->wFormatTag;
        return S_OK;
    }
    return E_INVALIDARG;
}

}  // namespace

HRESULT ReadProfileStreams(IWMProfile* profile, std::vector<ProfileStream>& streams) {
    if (!profile) return E_POINTER;
    streams.clear();
    DWORD count = 0;
    HRESULT hr = profile->GetStreamCount(&count);
    if (FAILED(hr)) return hr;
    if (count > 127) return E_INVALIDARG;
    for (DWORD i = 0; i < count; ++i) {
        ComPtr<IWMStreamConfig> config;
        if (FAILED(hr = profile->GetStream(i, &config))) return hr;
        if (!config) return E_UNEXPECTED;
        ProfileStream s;
        if (FAILED(hr = ReadStream(config.Get(), s))) return hr;
        streams.push_back(s);
    }
    return S_OK;
}
