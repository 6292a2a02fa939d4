#include "tests/wine/winetest/dshowfilters/GraphTools.h"

#include <oleauto.h>
#include <uuids.h>

std::vector<DeviceEntry> ListDevices(REFCLSID category) {
    std::vector<DeviceEntry> devices;
    ComPtr<ICreateDevEnum> devEnum;
    if (FAILED(::CoCreateInstance(CLSID_SystemDeviceEnum, nullptr, CLSCTX_INPROC_SERVER, IID_ICreateDevEnum,
                                  reinterpret_cast<void**>(&devEnum))))
        return devices;
    ComPtr<IEnumMoniker> monikers;
    if (devEnum->CreateClassEnumerator(category, &monikers, 0) != S_OK || !monikers) return devices;
    for (;;) {
        ComPtr<IMoniker> moniker;
        if (monikers->Next(1, &moniker, nullptr) != S_OK) break;
        ComPtr<IPropertyBag> bag;
        if (FAILED(moniker->BindToStorage(nullptr, nullptr, IID_IPropertyBag, reinterpret_cast<void**>(&bag))))
            continue;
        VARIANT var;
        ::VariantInit(&var);
        V_VT(&var) = VT_BSTR;
        if (SUCCEEDED(bag->Read(L"FriendlyName", &var, nullptr)) && V_VT(&var) == VT_BSTR && V_BSTR(&var))
            devices.push_back({std::wstring(V_BSTR(&var), ::SysStringLen(V_BSTR(&var))), moniker});
        ::VariantClear(&var);
    }
    return devices;
}

std::vector<std::wstring> DeviceNames(REFCLSID category) {
    std::vector<std::wstring> names;
    for (const auto& d : ListDevices(category)) names.push_back(d.friendlyName);
    return names;
}

ComPtr<IBaseFilter> BindDevice(const DeviceEntry& device) {
    ComPtr<IBaseFilter> filter;
    if (FAILED(device.moniker->BindToObject(nullptr, nullptr, IID_IBaseFilter, reinterpret_cast<void**>(&filter))))
        return nullptr;
    return filter;
}

ComPtr<IBaseFilter> FindDevice(REFCLSID category, const std::wstring& friendlyName) {
    ComPtr<IBaseFilter> found;
    for (const auto& d : ListDevices(category))
        if (d.friendlyName == friendlyName)
            if (auto f = BindDevice(d)) found = f;
    return found;
}

namespace {
template <class Visit>
void ForEachPin(IBaseFilter* filter, Visit visit) {
    ComPtr<IEnumPins> pins;
    if (!filter || FAILED(filter->EnumPins(&pins))) return;
    for (;;) {
        ComPtr<IPin> pin;
        if (pins->Next(1, &pin, nullptr) != S_OK) break;
        PIN_INFO info{};
        if (FAILED(pin->QueryPinInfo(&info))) continue;
        if (info.pFilter) info.pFilter->Release();
        if (!visit(pin, info)) break;
    }
}
}  // namespace

ComPtr<IPin> FindPin(IBaseFilter* filter, const wchar_t* name) {
    ComPtr<IPin> found;
    ForEachPin(filter, [&](const ComPtr<IPin>& pin, const PIN_INFO& info) {
        if (std::wstring(info.achName) != name) return true;
        found = pin;
        return false;
    });
    return found;
}

std::vector<std::wstring> PinNames(IBaseFilter* filter, PIN_DIRECTION dir) {
    std::vector<std::wstring> names;
    ForEachPin(filter, [&](const ComPtr<IPin>&, const PIN_INFO& info) {
        if (info.dir == dir) names.emplace_back(info.achName);
        return true;
    });
    return names;
}

std::vector<std::wstring> AllPinNames(IBaseFilter* filter) {
    std::vector<std::wstring> names;
    ForEachPin(filter, [&](const ComPtr<IPin>&, const PIN_INFO& info) {
        names.emplace_back(info.achName);
        return true;
    });
    return names;
}

ComPtr<IGraphBuilder> CreateGraph() {
    ComPtr<IGraphBuilder> graph;
    if (FAILED(::CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_IGraphBuilder,
                                  reinterpret_cast<void**>(&graph))))
        return nullptr;
    return graph;
}

WAVEFORMATEX PcmFormat(DWORD rate, WORD channels) {
    WAVEFORMATEX wfx{};
    wfx.wFormatTag = WAVE_FORMAT_PCM;
    wfx.nChannels = channels;
    wfx.nSamplesPerSec = rate;
    wfx.wBitsPerSample = 16;
    wfx.nBlockAlign = static_cast<WORD>(channels * 2);
    wfx.nAvgBytesPerSec = rate * wfx.nBlockAlign;
    return wfx;
}
