#include "graph/FilterLookup.h"

#include <olectl.h>
#include <uuids.h>

#include <cstdint>
#include <vector>

#include "app/services/DiagnosticLog.h"
#include "framework/win/Handles.h"
#include "graph/DeviceNameTables.h"
#include "graph/RecordingGraphState.h"

namespace {

bool g_propertyPagesAvailable = false;

// Filter addresses in the log are 32-bit numbers, as "0x%x" prints them.
unsigned Address(const void* p) { return static_cast<unsigned>(reinterpret_cast<std::uintptr_t>(p)); }

unsigned Code(HRESULT hr) { return static_cast<unsigned>(hr); }

class ScopedVariant {
public:
    ScopedVariant() { ::VariantInit(&m_value); }
    ScopedVariant(const ScopedVariant&) = delete;
    ScopedVariant& operator=(const ScopedVariant&) = delete;
    ~ScopedVariant() { Clear(); }
    VARIANT* Get() { return &m_value; }
    const VARIANT& Value() const { return m_value; }
    void Clear() { ::VariantClear(&m_value); }

private:
    VARIANT m_value;
};

HRESULT CreateDeviceEnumerator(ComPtr<ICreateDevEnum>& devEnum) {
    HRESULT hr = ::CoCreateInstance(CLSID_SystemDeviceEnum, nullptr, CLSCTX_INPROC_SERVER, IID_ICreateDevEnum,
                                    reinterpret_cast<void**>(&devEnum));
    if (SUCCEEDED(hr) && !devEnum) hr = E_NOINTERFACE;
    return hr;
}

// The category's devices; S_FALSE (and no enumerator) for an empty category.
HRESULT CreateClassEnumerator(ICreateDevEnum* devEnum, REFCLSID category, ComPtr<IEnumMoniker>& monikers) {
    HRESULT hr = devEnum->CreateClassEnumerator(category, &monikers, 0);
    if (hr == S_OK && !monikers) hr = E_POINTER;
    return hr;
}

// The device's "FriendlyName"; false when its property bag or the name
// cannot be read. With logSteps each step is logged as the audio lookup
// reports it.
bool ReadFriendlyName(IMoniker* moniker, std::wstring& name, bool logSteps) {
    if (logSteps) AppendLog(L"BindToStorage");
    ComPtr<IPropertyBag> bag;
    if (FAILED(moniker->BindToStorage(nullptr, nullptr, IID_IPropertyBag, reinterpret_cast<void**>(&bag))) || !bag)
        return false;
    if (logSteps) AppendLog(L"Read FriendlyName");
    ScopedVariant value;
    if (FAILED(bag->Read(L"FriendlyName", value.Get(), nullptr)) || value.Value().vt != VT_BSTR) return false;
    const BSTR text = value.Value().bstrVal;
    if (text)
        name.assign(text, ::SysStringLen(text));
    else
        name.clear();
    value.Clear();
    if (logSteps) AppendLog(L"SysFreeString");
    return true;
}

HRESULT BindFilter(IMoniker* moniker, ComPtr<IBaseFilter>& filter) {
    HRESULT hr = moniker->BindToObject(nullptr, nullptr, IID_IBaseFilter, reinterpret_cast<void**>(&filter));
    if (SUCCEEDED(hr) && !filter) hr = E_NOINTERFACE;
    if (FAILED(hr)) filter = nullptr;
    return hr;
}

bool PinName(IPin* pin, std::wstring& name) {
    PIN_INFO info{};
    if (FAILED(pin->QueryPinInfo(&info))) return false;
    ComPtr<IBaseFilter> owner;
    owner.Attach(info.pFilter);
    info.achName[MAX_PIN_NAME - 1] = L'\0';
    name = info.achName;
    return true;
}

// The filter's pin enumerator; an enumeration that cannot start is logged.
HRESULT EnumeratePins(IBaseFilter* filter, ComPtr<IEnumPins>& pinEnum, bool log) {
    HRESULT hr = filter->EnumPins(&pinEnum);
    if (SUCCEEDED(hr) && !pinEnum) hr = E_POINTER;
    if (FAILED(hr) && log) AppendLog(L"\r\nCANNOT ENUMERATE PINS");
    return hr;
}

// Every pin of the filter with what could be read of it, in enumeration order.
HRESULT ReadPins(IBaseFilter* filter, std::vector<ComPtr<IPin>>& pins, std::vector<PinFacts>& facts) {
    ComPtr<IEnumPins> pinEnum;
    HRESULT hr = EnumeratePins(filter, pinEnum, false);
    if (FAILED(hr)) return hr;
    ComPtr<IPin> pin;
    while (pinEnum->Next(1, &pin, nullptr) == S_OK && pin) {
        PinFacts fact;
        PIN_DIRECTION direction = PINDIR_INPUT;
        fact.directionKnown = SUCCEEDED(pin->QueryDirection(&direction));
        fact.direction = direction;
        fact.nameKnown = PinName(pin.Get(), fact.name);
        pins.push_back(pin);
        facts.push_back(std::move(fact));
    }
    return S_OK;
}

ComPtr<IBaseFilter> AddFoundFilter(const ComPtr<IBaseFilter>& filter, const std::wstring& name, IGraphBuilder* graph) {
    const HRESULT hr = graph ? graph->AddFilter(filter.Get(), name.c_str()) : E_POINTER;
    if (FAILED(hr)) AppendLog(L"\r\nFailed to add %ls filter to graph!  hr=0x%x", name.c_str(), Code(hr));
    return filter;
}

}  // namespace

HRESULT CreateFilter(REFCLSID clsid, IBaseFilter** filter) {
    if (!filter) return E_POINTER;
    *filter = nullptr;
    ComPtr<IBaseFilter> created;
    HRESULT hr =
        ::CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IBaseFilter, reinterpret_cast<void**>(&created));
    if (SUCCEEDED(hr) && !created) hr = E_NOINTERFACE;
    if (FAILED(hr)) {
        AppendLog(L"CreateFilter: Failed to create filter!  hr=0x%x\n", Code(hr));
        return hr;
    }
    *filter = created.Detach();
    return S_OK;
}

ComPtr<IBaseFilter> FindDeviceFilter(REFCLSID category, const std::wstring& name) {
    DeviceNames.Clear();
    ComPtr<ICreateDevEnum> devEnum;
    if (FAILED(CreateDeviceEnumerator(devEnum))) return {};
    ComPtr<IEnumMoniker> monikers;
    if (CreateClassEnumerator(devEnum.Get(), category, monikers) != S_OK) return {};

    DeviceSearch search(name, DeviceFilterRule(name));
    ComPtr<IBaseFilter> result;
    ComPtr<IMoniker> moniker;
    while (!search.Done() && monikers->Next(1, &moniker, nullptr) == S_OK && moniker) {
        std::wstring friendlyName;
        if (!ReadFriendlyName(moniker.Get(), friendlyName, false) || !search.Matches(friendlyName)) continue;
        ComPtr<IBaseFilter> filter;
        const bool bound = SUCCEEDED(BindFilter(moniker.Get(), filter));
        if (search.Bound(bound)) result = filter;
    }
    return result;
}

ComPtr<IBaseFilter> AddDeviceFilter(REFCLSID category, const std::wstring& name) {
    // Held until the next call. Never destroyed, like the recording graph's
    // references: the process ends after COM is gone.
    static ComPtr<IBaseFilter>& latest = *new ComPtr<IBaseFilter>;
    latest = FindDeviceFilter(category, name);
    if (!latest) {
        AppendLog(L"\r\nFailed to find %ls filter", name.c_str());
        return {};
    }
    return AddFoundFilter(latest, name, RecordingGraph().graph.Get());
}

ComPtr<IBaseFilter> AddPreviewDeviceFilter(REFCLSID category, const std::wstring& name, IGraphBuilder* previewGraph) {
    static ComPtr<IBaseFilter>& latest = *new ComPtr<IBaseFilter>;
    latest = FindDeviceFilter(category, name);
    if (!latest) {
        AppendLog(L"\r\nFailed to find %ls filter", name.c_str());
        return {};
    }
    AppendLog(L"\r\n\r\nFOUND %ls. filter=0x%x", name.c_str(), Address(latest.Get()));
    return AddFoundFilter(latest, name, previewGraph);
}

namespace {

ComPtr<IBaseFilter> SearchAudioInput(REFCLSID category, const std::wstring& name) {
    AppendLog(L"CoCreateInstance");
    ComPtr<ICreateDevEnum> devEnum;
    if (FAILED(CreateDeviceEnumerator(devEnum))) return {};
    AppendLog(L"pSysDevEnum");
    ComPtr<IEnumMoniker> monikers;
    if (CreateClassEnumerator(devEnum.Get(), category, monikers) != S_OK) return {};

    DeviceSearch search(name, DeviceSearchRule::FirstBind);
    ComPtr<IBaseFilter> result;
    ComPtr<IMoniker> moniker;
    while (!search.Done() && monikers->Next(1, &moniker, nullptr) == S_OK && moniker) {
        std::wstring friendlyName;
        if (!ReadFriendlyName(moniker.Get(), friendlyName, true)) continue;
        if (search.Matches(friendlyName)) {
            AppendLog(L"pMoniker->BindToObject");
            ComPtr<IBaseFilter> filter;
            const bool bound = SUCCEEDED(BindFilter(moniker.Get(), filter));
            AppendLog(L"\r\nFOUND %ls", friendlyName.c_str());
            if (search.Bound(bound)) {
                result = filter;
                AppendLog(L"\r\nFOUND=1 pMoniker->Release");
                continue;
            }
        }
        AppendLog(L"\r\nNOT FOUND %ls %ls", friendlyName.c_str(), name.c_str());
        AppendLog(L"SAFE_RELEASE");
        AppendLog(L"pMoniker->Release");
    }
    if (result) AppendLog(L"pSysDevEnum->Release");
    return result;
}

}  // namespace

ComPtr<IBaseFilter> FindAudioInputFilter(REFCLSID category, const std::wstring& name) {
    AppendLog(L"\r\n\r\nENTER FindAudioInputFilterByCLSID name=%ls", name.c_str());
    ComPtr<IBaseFilter> filter = SearchAudioInput(category, name);
    AppendLog(L"\r\n\r\nEXIT FindAudioInputFilterByCLSID pFilter=0x%x name=%ls", Address(filter.Get()), name.c_str());
    return filter;
}

HRESULT ListCategoryDevices(REFCLSID category) {
    DeviceNames.Clear();
    ComPtr<ICreateDevEnum> devEnum;
    HRESULT hr = CreateDeviceEnumerator(devEnum);
    ComPtr<IEnumMoniker> monikers;
    if (SUCCEEDED(hr)) hr = CreateClassEnumerator(devEnum.Get(), category, monikers);
    if (hr == S_OK) {
        ComPtr<IMoniker> moniker;
        while (!DeviceNames.Full() && (hr = monikers->Next(1, &moniker, nullptr)) == S_OK && moniker) {
            std::wstring name;
            if (!ReadFriendlyName(moniker.Get(), name, false)) continue;
            const int index = DeviceNames.Count();
            DeviceNames.Add(name);
            AppendLog(L"\r\n%d. %ls", index, DeviceNames.Text(index));
        }
    }
    AppendLog(L"\r\n\r\nFilters=%d", DeviceNames.Count());
    return hr;
}

ComPtr<IPin> GetPinByName(IBaseFilter* filter, PIN_DIRECTION direction, const std::wstring& name) {
    if (!filter) return {};
    std::vector<ComPtr<IPin>> pins;
    std::vector<PinFacts> facts;
    if (FAILED(ReadPins(filter, pins, facts))) {
        AppendLog(L"\r\nCANNOT ENUMERATE PINS");
        return {};
    }
    const auto chosen = ChoosePinByName(facts, direction, name);
    return chosen ? pins[*chosen] : ComPtr<IPin>();
}

HRESULT GetNthPin(IBaseFilter* filter, PIN_DIRECTION direction, int index, IPin** pin) {
    if (!pin) return E_POINTER;
    *pin = nullptr;
    if (!filter) return E_POINTER;
    std::vector<ComPtr<IPin>> pins;
    std::vector<PinFacts> facts;
    const HRESULT hr = ReadPins(filter, pins, facts);
    if (FAILED(hr)) return hr;
    const auto chosen = ChooseNthPin(facts, direction, index);
    if (!chosen) return E_FAIL;
    pins[*chosen].CopyTo(pin);
    return S_OK;
}

HRESULT ListPinNames(IBaseFilter* filter, PIN_DIRECTION direction) {
    const bool input = direction == PINDIR_INPUT;
    AppendLog(input ? L"\r\n\r\nEnum Input Pins" : L"\r\n\r\nEnum Ouput Pins");
    NameTable& table = input ? InputPinNames : OutputPinNames;
    table.Clear();
    if (!filter) {
        AppendLog(L"\r\nERROR pFilter=0");
        return E_NOINTERFACE;
    }
    ComPtr<IEnumPins> pinEnum;
    const HRESULT hr = EnumeratePins(filter, pinEnum, true);
    if (FAILED(hr)) return hr;
    ComPtr<IPin> pin;
    while (!table.Full() && pinEnum->Next(1, &pin, nullptr) == S_OK && pin) {
        PIN_DIRECTION pinDirection = PINDIR_INPUT;
        if (FAILED(pin->QueryDirection(&pinDirection))) {
            AppendLog(L"\r\nERROR QueryDirection");
            continue;
        }
        if (pinDirection != direction) continue;
        std::wstring name;
        if (!PinName(pin.Get(), name)) {
            AppendLog(L"\r\nERROR QueryPinInfo");
            continue;
        }
        const int index = table.Count();
        table.Add(name);
        if (input)
            AppendLog(L"\r\ninpPinName[%d] %ls", index, table.Text(index));
        else
            AppendLog(L"\r\nOutPin = %ls", table.Text(index));
    }
    return S_OK;
}

HRESULT CountPins(IBaseFilter* filter, int* count) {
    if (!filter || !count) {
        AppendLog(L"\r\nIn CountTotalPins hr = E_POINTER");
        return E_POINTER;
    }
    *count = 0;
    ComPtr<IEnumPins> pinEnum;
    const HRESULT hr = EnumeratePins(filter, pinEnum, true);
    if (FAILED(hr)) return hr;
    ComPtr<IPin> pin;
    while (pinEnum->Next(1, &pin, nullptr) == S_OK && pin) {
        std::wstring name;
        PinName(pin.Get(), name);
        AppendLog(L"\r\nCountTotalPins pin[%d] %ls", *count, name.c_str());
        ++*count;
    }
    return S_OK;
}

HRESULT ShowPropertyPages(IBaseFilter* filter) {
    ComPtr<ISpecifyPropertyPages> pages;
    if (!filter || FAILED(filter->QueryInterface(IID_ISpecifyPropertyPages, reinterpret_cast<void**>(&pages))) ||
        !pages) {
        AppendLog(L"\r\nNO PROPERTY PAGE");
        g_propertyPagesAvailable = false;
        return S_OK;
    }
    AppendLog(L"\r\nPROPERTY PAGE OK");
    g_propertyPagesAvailable = true;

    FILTER_INFO info{};
    if (SUCCEEDED(filter->QueryFilterInfo(&info))) {
        ComPtr<IFilterGraph> graph;
        graph.Attach(info.pGraph);
    }
    info.achName[MAX_FILTER_NAME - 1] = L'\0';

    CAUUID pageIds{};
    const HRESULT hr = pages->GetPages(&pageIds);
    win::CoTaskMemPtr<GUID> pageArray(pageIds.pElems);
    if (FAILED(hr)) return hr;
    IUnknown* objects[] = {filter};
    return ::OleCreatePropertyFrame(nullptr, 0, 0, info.achName, 1, objects, pageIds.cElems, pageArray.Get(), 0, 0,
                                    nullptr);
}

bool PropertyPagesAvailable() { return g_propertyPagesAvailable; }
