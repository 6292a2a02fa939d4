#include "winetest/dshowfilters/AudioCapture.h"

#include <oleauto.h>

#include <cstring>
#include <cwchar>
#include <new>

#include "winetest/dshowfilters/DeviceEntry.h"
#include "winetest/dshowfilters/StandInIds.h"

namespace {

// Reads one string property; S_FALSE when the bag does not have it.
HRESULT ReadString(IPropertyBag* bag, const wchar_t* name, std::wstring& value) {
    VARIANT var;
    ::VariantInit(&var);
    V_VT(&var) = VT_BSTR;
    HRESULT hr = bag->Read(name, &var, nullptr);
    if (FAILED(hr)) return S_FALSE;
    if (V_VT(&var) != VT_BSTR || !V_BSTR(&var)) {
        ::VariantClear(&var);
        return E_INVALIDARG;
    }
    try {
        value.assign(V_BSTR(&var), ::SysStringLen(V_BSTR(&var)));
    } catch (...) {
        hr = E_OUTOFMEMORY;
    }
    ::VariantClear(&var);
    return FAILED(hr) ? hr : S_OK;
}

HRESULT ReadCount(IPropertyBag* bag, const wchar_t* name, long& value) {
    VARIANT var;
    ::VariantInit(&var);
    V_VT(&var) = VT_I4;
    HRESULT hr = bag->Read(name, &var, nullptr);
    if (FAILED(hr)) return S_FALSE;
    if (V_VT(&var) != VT_I4) {
        ::VariantClear(&var);
        return E_INVALIDARG;
    }
    value = V_I4(&var);
    return S_OK;
}

}  // namespace

const std::vector<std::wstring>& CAudioCaptureFilter::DefaultMixerLines() {
    static const std::vector<std::wstring> lines = {L"Microphone", L"Line In", L"Stereo Mix"};
    return lines;
}

CUnknown* CALLBACK CAudioCaptureFilter::CreateInstance(IUnknown* outer, HRESULT* phr) {
    auto* filter = new (std::nothrow) CAudioCaptureFilter(outer, phr);
    if (!filter) {
        *phr = E_OUTOFMEMORY;
        return nullptr;
    }
    if (FAILED(*phr)) {
        delete filter;
        return nullptr;
    }
    return filter;
}

CAudioCaptureFilter::CAudioCaptureFilter(IUnknown* outer, HRESULT* phr)
    : CSource(kAudioCaptureName, outer, CLSID_AudioCaptureStandIn, phr) {
    m_stream = new (std::nothrow) CCaptureStream(phr, this);
    if (!m_stream) {
        *phr = E_OUTOFMEMORY;
        return;
    }
    HRESULT hr;
    try {
        hr = SetMixerLines(DefaultMixerLines());
    } catch (...) {
        hr = E_OUTOFMEMORY;
    }
    if (FAILED(hr)) *phr = hr;
}

HRESULT STDMETHODCALLTYPE CAudioCaptureFilter::NonDelegatingQueryInterface(REFIID riid, void** ppv) {
    if (!ppv) return E_POINTER;
    if (riid == IID_IPersistPropertyBag) return GetInterface(static_cast<IPersistPropertyBag*>(this), ppv);
    return CSource::NonDelegatingQueryInterface(riid, ppv);
}

HRESULT STDMETHODCALLTYPE CAudioCaptureFilter::GetState(DWORD timeoutMs, FILTER_STATE* state) {
    HRESULT hr = CSource::GetState(timeoutMs, state);
    if (FAILED(hr)) return hr;
    return *state == State_Paused ? VFW_S_CANT_CUE : S_OK;
}

HRESULT STDMETHODCALLTYPE CAudioCaptureFilter::QueryVendorInfo(LPWSTR* info) {
    if (!info) return E_POINTER;
    *info = nullptr;
    CAutoLock lock(&m_cStateLock);
    size_t bytes = (m_friendlyName.size() + 1) * sizeof(wchar_t);
    *info = static_cast<LPWSTR>(::CoTaskMemAlloc(bytes));
    if (!*info) return E_OUTOFMEMORY;
    std::memcpy(*info, m_friendlyName.c_str(), bytes);
    return S_OK;
}

int CAudioCaptureFilter::GetPinCount() {
    CAutoLock lock(&m_cStateLock);
    return CSource::GetPinCount() + static_cast<int>(m_lines.size());
}

CBasePin* CAudioCaptureFilter::GetPin(int n) {
    CAutoLock lock(&m_cStateLock);
    int streams = CSource::GetPinCount();
    if (n < streams) return CSource::GetPin(n);
    n -= streams;
    if (n < 0 || n >= static_cast<int>(m_lines.size())) return nullptr;
    return m_lines[static_cast<size_t>(n)].get();
}

HRESULT CAudioCaptureFilter::SetMixerLines(const std::vector<std::wstring>& names) {
    std::vector<std::unique_ptr<CMixerLinePin>> lines;
    for (const auto& name : names) {
        HRESULT hr = S_OK;
        std::unique_ptr<CMixerLinePin> pin(new (std::nothrow) CMixerLinePin(this, &m_cStateLock, &hr, name.c_str()));
        if (!pin) return E_OUTOFMEMORY;
        if (FAILED(hr)) return hr;
        lines.push_back(std::move(pin));
    }
    CAutoLock lock(&m_cStateLock);
    for (auto& old : m_lines) m_oldLines.push_back(std::move(old));
    m_lines = std::move(lines);
    IncrementPinVersion();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CAudioCaptureFilter::Load(IPropertyBag* bag, IErrorLog*) {
    if (!bag) return E_POINTER;
    CAutoLock lock(&m_cStateLock);
    if (!IsStopped() || (m_stream && m_stream->IsConnected())) return VFW_E_WRONG_STATE;
    try {
        std::wstring name;
        HRESULT hr = ReadString(bag, L"FriendlyName", name);
        if (FAILED(hr)) return hr;
        long count = 0;
        if (FAILED(hr = ReadCount(bag, winetest::kMixerLineCountValue, count))) return hr;
        if (count < 0 || static_cast<size_t>(count) > winetest::kMaxMixerLines) return E_INVALIDARG;
        std::vector<std::wstring> lines;
        for (long i = 0; i < count; ++i) {
            wchar_t valueName[32];
            std::swprintf(valueName, 32, winetest::kMixerLineValueFormat, static_cast<unsigned>(i));
            std::wstring line;
            hr = ReadString(bag, valueName, line);
            if (hr != S_OK) return FAILED(hr) ? hr : E_INVALIDARG;
            if (line.empty() || line.size() > winetest::kMaxMixerLineChars) return E_INVALIDARG;
            lines.push_back(std::move(line));
        }
        if (FAILED(hr = SetMixerLines(lines.empty() ? DefaultMixerLines() : lines))) return hr;
        m_friendlyName = std::move(name);
    } catch (...) {
        return E_OUTOFMEMORY;
    }
    return S_OK;
}
