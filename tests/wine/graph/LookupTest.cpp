// Filter and pin lookup against Wine's real device enumerator, with stand-in
// audio capture devices registered for each test and small in-process
// filters for the pin rules. What a lookup found is checked against an
// enumeration the test makes itself.

#include <windows.h>

#include <control.h>
#include <strmif.h>
#include <uuids.h>

#include <gtest/gtest.h>

#include <cwchar>
#include <memory>
#include <string>
#include <vector>

#include "app/services/DiagnosticLog.h"
#include "app/services/ShowMessage.h"
#include "framework/base/ComPtr.h"
#include "framework/win/Handles.h"
#include "graph/DeviceNameTables.h"
#include "graph/FilterLookup.h"
#include "graph/ProbeAudioSource.h"
#include "graph/RecordingGraphState.h"
#include "settings/Settings.h"
#include "settings/SettingsFile.h"
#include "settings/SettingsSystem.h"
#include "settings/SettingsText.h"
#include "settings/Win32SettingsSystem.h"
#include "tests/wine/driver/Files.h"
#include "tests/wine/graph/PinFixtureFilters.h"
#include "winetest/dshowfilters/TestAudioDevices.h"

namespace {

std::vector<std::wstring> g_log;
std::vector<std::wstring> g_messages;

void CaptureLog(const std::wstring& text) { g_log.push_back(text); }

}  // namespace

// The recorder's message box, replaced in this program (this definition is
// linked instead of telvane_show_message's): the probe and the settings
// writer report through it, and the tests read what would have been shown.
int ShowMessage(const std::wstring& text, UINT) {
    g_messages.push_back(text);
    return IDOK;
}

namespace {

using lookuptest::PagesFixtureFilter;
using lookuptest::PinFixtureFilter;
using lookuptest::PinSpec;
using Names = std::vector<std::wstring>;

// COM as the recorder's GUI thread has it, and the log captured, for the
// whole program.
class LookupEnvironment : public testing::Environment {
public:
    void SetUp() override {
        m_apartment = std::make_unique<win::ScopedComApartment>(COINIT_APARTMENTTHREADED);
        ASSERT_TRUE(m_apartment->Succeeded());
        SetLogSink(&CaptureLog);
    }
    void TearDown() override {
        RecordingGraph() = RecordingGraphState();
        winetest::RemoveTestAudioDevices();
        SetLogSink(nullptr);
        m_apartment.reset();
    }

private:
    std::unique_ptr<win::ScopedComApartment> m_apartment;
};

testing::Environment* const g_environment = testing::AddGlobalTestEnvironment(new LookupEnvironment);

std::wstring Format(const wchar_t* format, unsigned value) {
    wchar_t text[64];
    std::swprintf(text, 64, format, value);
    return text;
}

std::wstring Hex(const void* p) { return Format(L"0x%x", static_cast<unsigned>(reinterpret_cast<uintptr_t>(p))); }

struct Listed {
    std::wstring name;
    ComPtr<IMoniker> moniker;
};

// The category's devices with their friendly names, in enumeration order.
std::vector<Listed> ListCategory(REFCLSID category) {
    std::vector<Listed> listed;
    ComPtr<ICreateDevEnum> devEnum;
    EXPECT_EQ(::CoCreateInstance(CLSID_SystemDeviceEnum, nullptr, CLSCTX_INPROC_SERVER, IID_ICreateDevEnum,
                                 reinterpret_cast<void**>(&devEnum)),
              S_OK);
    if (!devEnum) return listed;
    ComPtr<IEnumMoniker> monikers;
    if (devEnum->CreateClassEnumerator(category, &monikers, 0) != S_OK) return listed;
    ComPtr<IMoniker> moniker;
    while (monikers->Next(1, &moniker, nullptr) == S_OK) {
        ComPtr<IPropertyBag> bag;
        if (FAILED(moniker->BindToStorage(nullptr, nullptr, IID_IPropertyBag, reinterpret_cast<void**>(&bag))))
            continue;
        VARIANT value;
        ::VariantInit(&value);
        if (SUCCEEDED(bag->Read(L"FriendlyName", &value, nullptr)) && value.vt == VT_BSTR)
            listed.push_back({std::wstring(value.bstrVal, ::SysStringLen(value.bstrVal)), moniker});
        ::VariantClear(&value);
    }
    return listed;
}

std::wstring PinName(IPin* pin) {
    PIN_INFO info{};
    if (!pin || FAILED(pin->QueryPinInfo(&info))) return L"<no pin>";
    ComPtr<IBaseFilter> owner;
    owner.Attach(info.pFilter);
    return info.achName;
}

// Every pin of the filter in enumeration order, with its direction.
std::vector<ComPtr<IPin>> AllPins(IBaseFilter* filter) {
    std::vector<ComPtr<IPin>> pins;
    ComPtr<IEnumPins> pinEnum;
    if (!filter || FAILED(filter->EnumPins(&pinEnum))) return pins;
    ComPtr<IPin> pin;
    while (pinEnum->Next(1, &pin, nullptr) == S_OK) pins.push_back(pin);
    return pins;
}

Names PinNames(IBaseFilter* filter, PIN_DIRECTION direction) {
    Names names;
    for (const auto& pin : AllPins(filter)) {
        PIN_DIRECTION d;
        if (SUCCEEDED(pin->QueryDirection(&d)) && d == direction) names.push_back(PinName(pin.Get()));
    }
    return names;
}

Names TableNames(const NameTable& table) {
    Names names;
    for (int i = 0; i < table.Count(); ++i) names.emplace_back(table.Name(i));
    return names;
}

ComPtr<IGraphBuilder> NewGraph() {
    ComPtr<IGraphBuilder> graph;
    EXPECT_EQ(::CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_IGraphBuilder,
                                 reinterpret_cast<void**>(&graph)),
              S_OK);
    return graph;
}

ComPtr<IBaseFilter> InGraph(IGraphBuilder* graph, const wchar_t* name) {
    ComPtr<IBaseFilter> filter;
    if (graph) graph->FindFilterByName(name, &filter);
    return filter;
}

CLSID ClassOf(IBaseFilter* filter) {
    CLSID clsid = GUID_NULL;
    if (filter) filter->GetClassID(&clsid);
    return clsid;
}

class Lookup : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(winetest::RemoveTestAudioDevices(), S_OK);
        RecordingGraph() = RecordingGraphState();
        g_log.clear();
        g_messages.clear();
    }
    void TearDown() override {
        RecordingGraph() = RecordingGraphState();
        EXPECT_EQ(winetest::RemoveTestAudioDevices(), S_OK);
    }

    static void AddDevice(const std::wstring& name, const Names& pins) {
        ASSERT_EQ(winetest::AddTestAudioDevice(name, pins), S_OK) << "device stand-ins not registered?";
    }
};

// The lines FindAudioInputFilter logs for a device that does not end the search.
void ExpectPassedOver(Names& lines, const std::wstring& device, const std::wstring& wanted) {
    for (const wchar_t* line : {L"BindToStorage", L"Read FriendlyName", L"SysFreeString"}) lines.push_back(line);
    lines.push_back(L"\r\nNOT FOUND " + device + L" " + wanted);
    lines.push_back(L"SAFE_RELEASE");
    lines.push_back(L"pMoniker->Release");
}

TEST_F(Lookup, DevicesOfTheSameNameTheRecordingTakesTheLaterTheAudioSetupTheFirst) {
    const std::wstring twin = L"Telvane Twin";
    AddDevice(twin, {L"First A", L"First B"});
    AddDevice(twin, {L"Second A"});
    const std::vector<Listed> listed = ListCategory(CLSID_AudioInputDeviceCategory);

    const ComPtr<IBaseFilter> later = FindDeviceFilter(CLSID_AudioInputDeviceCategory, twin);
    ASSERT_TRUE(later);
    EXPECT_EQ(PinNames(later.Get(), PINDIR_INPUT), Names({L"Second A"}));
    EXPECT_TRUE(g_log.empty());

    RecordingGraph().graph = NewGraph();
    const ComPtr<IBaseFilter> added = AddDeviceFilter(CLSID_AudioInputDeviceCategory, twin);
    ASSERT_TRUE(added);
    EXPECT_EQ(PinNames(added.Get(), PINDIR_INPUT), Names({L"Second A"}));
    EXPECT_EQ(InGraph(RecordingGraph().graph.Get(), twin.c_str()), added);

    g_log.clear();
    const ComPtr<IBaseFilter> first = FindAudioInputFilter(CLSID_AudioInputDeviceCategory, twin);
    ASSERT_TRUE(first);
    EXPECT_EQ(PinNames(first.Get(), PINDIR_INPUT), Names({L"First A", L"First B"}));

    Names expected = {L"\r\n\r\nENTER FindAudioInputFilterByCLSID name=Telvane Twin", L"CoCreateInstance",
                      L"pSysDevEnum"};
    size_t i = 0;
    for (; i < listed.size() && listed[i].name != twin; ++i) ExpectPassedOver(expected, listed[i].name, twin);
    ASSERT_LT(i, listed.size());
    for (const wchar_t* line : {L"BindToStorage", L"Read FriendlyName", L"SysFreeString", L"pMoniker->BindToObject",
                                L"\r\nFOUND Telvane Twin", L"\r\nFOUND=1 pMoniker->Release", L"pSysDevEnum->Release"})
        expected.push_back(line);
    expected.push_back(L"\r\n\r\nEXIT FindAudioInputFilterByCLSID pFilter=" + Hex(first.Get()) + L" name=Telvane Twin");
    EXPECT_EQ(g_log, expected);
}

TEST_F(Lookup, AudioInputSearchWithoutAMatchPassesOverEveryDevice) {
    AddDevice(L"Telvane Mixer", {});
    const std::vector<Listed> listed = ListCategory(CLSID_AudioInputDeviceCategory);
    const std::wstring wanted = L"telvane mixer";
    const ComPtr<IBaseFilter> none = FindAudioInputFilter(CLSID_AudioInputDeviceCategory, wanted);
    EXPECT_FALSE(none);
    Names expected = {L"\r\n\r\nENTER FindAudioInputFilterByCLSID name=telvane mixer", L"CoCreateInstance",
                      L"pSysDevEnum"};
    for (const Listed& device : listed) ExpectPassedOver(expected, device.name, wanted);
    expected.push_back(L"\r\n\r\nEXIT FindAudioInputFilterByCLSID pFilter=0x0 name=telvane mixer");
    EXPECT_EQ(g_log, expected);
    EXPECT_FALSE(FindDeviceFilter(CLSID_AudioInputDeviceCategory, wanted));
}

// The class of every filter named "Video Renderer", in enumeration order.
std::vector<CLSID> VideoRendererClasses() {
    std::vector<CLSID> renderers;
    for (const Listed& filter : ListCategory(CLSID_LegacyAmFilterCategory)) {
        if (filter.name != L"Video Renderer") continue;
        ComPtr<IBaseFilter> bound;
        EXPECT_EQ(filter.moniker->BindToObject(nullptr, nullptr, IID_IBaseFilter, reinterpret_cast<void**>(&bound)),
                  S_OK);
        renderers.push_back(ClassOf(bound.Get()));
    }
    return renderers;
}

// A third legacy filter entry named "Video Renderer" (the video mixing
// renderer's class), whose key sorts after Wine's two, so that "the last of
// the name" and "the second of the name" are different filters.
class ThirdVideoRenderer {
public:
    ThirdVideoRenderer() {
        win::RegKey key;
        if (::RegCreateKeyExW(HKEY_CLASSES_ROOT, kPath, 0, nullptr, 0, KEY_WRITE, nullptr, key.Put(), nullptr) !=
            ERROR_SUCCESS)
            return;
        m_created = true;
        Set(key.Get(), L"FriendlyName", L"Video Renderer");
        Set(key.Get(), L"CLSID", L"{B87BEB7B-8D29-423F-AE4D-6582C10175AC}");
    }
    ThirdVideoRenderer(const ThirdVideoRenderer&) = delete;
    ThirdVideoRenderer& operator=(const ThirdVideoRenderer&) = delete;
    ~ThirdVideoRenderer() {
        if (m_created) ::RegDeleteTreeW(HKEY_CLASSES_ROOT, kPath);
    }
    bool Created() const { return m_created; }

private:
    static constexpr wchar_t kPath[] =
        L"CLSID\\{083863F1-70DE-11D0-BD40-00A0C911CE86}\\Instance\\{FFFFFFFF-7E1A-4A5E-9C3B-000000000001}";
    static void Set(HKEY key, const wchar_t* name, const std::wstring& value) {
        ::RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                         static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    }
    bool m_created = false;
};

TEST_F(Lookup, VideoRendererIsTheSecondFilterOfThatName) {
    const std::vector<CLSID> wines = VideoRendererClasses();
    ASSERT_EQ(wines.size(), 2u) << "Wine registers two filters named \"Video Renderer\"";
    ASSERT_NE(wines[0], wines[1]);
    EXPECT_EQ(ClassOf(FindDeviceFilter(CLSID_LegacyAmFilterCategory, L"Video Renderer").Get()), wines[1]);

    const ThirdVideoRenderer third;
    ASSERT_TRUE(third.Created());
    const std::vector<CLSID> three = VideoRendererClasses();
    ASSERT_EQ(three.size(), 3u);
    ASSERT_EQ(three[2], CLSID_VideoMixingRenderer);
    EXPECT_EQ(ClassOf(FindDeviceFilter(CLSID_LegacyAmFilterCategory, L"Video Renderer").Get()), three[1]);
}

TEST_F(Lookup, TwelveDevicesFillTheElevenEntries) {
    for (int i = 0; i < 12; ++i) AddDevice(Format(L"Telvane Device %02u", static_cast<unsigned>(i)), {});
    const std::vector<Listed> listed = ListCategory(CLSID_AudioInputDeviceCategory);
    ASSERT_GE(listed.size(), 12u);

    g_log.clear();
    EXPECT_EQ(ListCategoryDevices(CLSID_AudioInputDeviceCategory), S_OK);  // stopped with devices left
    ASSERT_EQ(DeviceNames.Count(), 11);
    Names expectedNames, expectedLog;
    for (size_t i = 0; i < 11; ++i) {
        expectedNames.push_back(listed[i].name);
        expectedLog.push_back(Format(L"\r\n%u. ", static_cast<unsigned>(i)) + listed[i].name);
    }
    expectedLog.push_back(L"\r\n\r\nFilters=11");
    EXPECT_EQ(TableNames(DeviceNames), expectedNames);
    EXPECT_EQ(g_log, expectedLog);
    EXPECT_EQ(DeviceNames.Name(10), listed[10].name);

    // A search by name starts the table afresh.
    EXPECT_TRUE(FindDeviceFilter(CLSID_AudioInputDeviceCategory, L"Telvane Device 11"));
    EXPECT_EQ(DeviceNames.Count(), 0);
}

TEST_F(Lookup, AListingOfEveryDeviceEndsWithTheEnumeratorsFalse) {
    AddDevice(L"Telvane Only", {});
    const std::vector<Listed> listed = ListCategory(CLSID_AudioInputDeviceCategory);
    ASSERT_LE(listed.size(), 11u);
    EXPECT_EQ(ListCategoryDevices(CLSID_AudioInputDeviceCategory), S_FALSE);
    Names expected;
    for (const Listed& device : listed) expected.push_back(device.name);
    EXPECT_EQ(TableNames(DeviceNames), expected);
    EXPECT_EQ(g_log.back(), Format(L"\r\n\r\nFilters=%u", static_cast<unsigned>(listed.size())));
}

TEST_F(Lookup, ADeviceNameLongerThan999CharactersIsCutInTheTable) {
    std::wstring longName = L"Telvane Long ";
    while (longName.size() < 1500) longName += static_cast<wchar_t>(L'a' + longName.size() % 26);
    const std::wstring fitting = L"Telvane Fit " + std::wstring(999 - 12, L'f');
    AddDevice(longName, {});
    AddDevice(fitting, {});
    const std::vector<Listed> listed = ListCategory(CLSID_AudioInputDeviceCategory);
    ASSERT_LE(listed.size(), 11u);

    int longIndex = -1, fittingIndex = -1;
    for (size_t i = 0; i < listed.size(); ++i) {
        if (listed[i].name == longName) longIndex = static_cast<int>(i);
        if (listed[i].name == fitting) fittingIndex = static_cast<int>(i);
    }
    ASSERT_GE(longIndex, 0);
    ASSERT_GE(fittingIndex, 0);

    g_log.clear();
    ListCategoryDevices(CLSID_AudioInputDeviceCategory);
    ASSERT_EQ(DeviceNames.Count(), static_cast<int>(listed.size()));
    EXPECT_EQ(DeviceNames.Name(longIndex), longName.substr(0, 999));
    EXPECT_EQ(std::wcslen(DeviceNames.Text(longIndex)), 999u);
    EXPECT_EQ(DeviceNames.Name(fittingIndex), fitting);
    ASSERT_GT(g_log.size(), static_cast<size_t>(longIndex));
    EXPECT_EQ(g_log[longIndex], Format(L"\r\n%u. ", static_cast<unsigned>(longIndex)) + longName.substr(0, 999));

    // Searches compare the whole name, not the table's cut copy.
    EXPECT_TRUE(FindDeviceFilter(CLSID_AudioInputDeviceCategory, longName));
    EXPECT_FALSE(FindDeviceFilter(CLSID_AudioInputDeviceCategory, longName.substr(0, 999)));
    EXPECT_TRUE(FindAudioInputFilter(CLSID_AudioInputDeviceCategory, longName));
}

TEST_F(Lookup, MixerDevicePinsAreCountedListedAndIndexed) {
    AddDevice(L"Telvane Mixer", {L"Microphone", L"Line In", L"Stereo Mix"});
    const ComPtr<IBaseFilter> mixer = FindDeviceFilter(CLSID_AudioInputDeviceCategory, L"Telvane Mixer");
    ASSERT_TRUE(mixer);
    const std::vector<ComPtr<IPin>> pins = AllPins(mixer.Get());
    ASSERT_EQ(pins.size(), 4u);

    int count = -1;
    EXPECT_EQ(CountPins(mixer.Get(), &count), S_OK);
    EXPECT_EQ(count, 4);
    Names expected;
    for (size_t i = 0; i < pins.size(); ++i)
        expected.push_back(Format(L"\r\nCountTotalPins pin[%u] ", static_cast<unsigned>(i)) + PinName(pins[i].Get()));
    EXPECT_EQ(g_log, expected);

    g_log.clear();
    EXPECT_EQ(ListPinNames(mixer.Get(), PINDIR_INPUT), S_OK);
    EXPECT_EQ(TableNames(InputPinNames), Names({L"Microphone", L"Line In", L"Stereo Mix"}));
    EXPECT_EQ(g_log, Names({L"\r\n\r\nEnum Input Pins", L"\r\ninpPinName[0] Microphone", L"\r\ninpPinName[1] Line In",
                            L"\r\ninpPinName[2] Stereo Mix"}));

    g_log.clear();
    EXPECT_EQ(ListPinNames(mixer.Get(), PINDIR_OUTPUT), S_OK);
    EXPECT_EQ(TableNames(OutputPinNames), Names({L"Capture"}));
    EXPECT_EQ(g_log, Names({L"\r\n\r\nEnum Ouput Pins", L"\r\nOutPin = Capture"}));
    // Each direction keeps its own table.
    EXPECT_EQ(InputPinNames.Count(), 3);

    struct Row {
        PIN_DIRECTION direction;
        int index;
        HRESULT hr;
        const wchar_t* name;
    };
    const Row rows[] = {{PINDIR_INPUT, 0, S_OK, L"Microphone"}, {PINDIR_INPUT, 1, S_OK, L"Line In"},
                        {PINDIR_INPUT, 2, S_OK, L"Stereo Mix"}, {PINDIR_INPUT, 3, E_FAIL, nullptr},
                        {PINDIR_OUTPUT, 0, S_OK, L"Capture"},   {PINDIR_OUTPUT, 1, E_FAIL, nullptr},
                        {PINDIR_INPUT, -1, E_FAIL, nullptr}};
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << "direction " << row.direction << " index " << row.index);
        ComPtr<IPin> pin;
        EXPECT_EQ(GetNthPin(mixer.Get(), row.direction, row.index, &pin), row.hr);
        if (row.name)
            EXPECT_EQ(PinName(pin.Get()), row.name);
        else
            EXPECT_FALSE(pin);
    }

    EXPECT_EQ(PinName(GetPinByName(mixer.Get(), PINDIR_OUTPUT, L"Capture").Get()), L"Capture");
    EXPECT_EQ(PinName(GetPinByName(mixer.Get(), PINDIR_INPUT, L"Line In").Get()), L"Line In");
    // An output name asked among the inputs: the last pin enumerated.
    EXPECT_EQ(GetPinByName(mixer.Get(), PINDIR_INPUT, L"Capture"), pins.back());
}

TEST_F(Lookup, PinListingStopsAtElevenNames) {
    Names lines;
    for (unsigned i = 0; i < 14; ++i) lines.push_back(Format(L"Line %02u", i));
    AddDevice(L"Telvane Wide Mixer", lines);
    const ComPtr<IBaseFilter> mixer = FindDeviceFilter(CLSID_AudioInputDeviceCategory, L"Telvane Wide Mixer");
    ASSERT_TRUE(mixer);
    g_log.clear();
    EXPECT_EQ(ListPinNames(mixer.Get(), PINDIR_INPUT), S_OK);
    EXPECT_EQ(TableNames(InputPinNames), Names(lines.begin(), lines.begin() + 11));
    ASSERT_EQ(g_log.size(), 12u);
    EXPECT_EQ(g_log.back(), L"\r\ninpPinName[10] Line 10");
    int count = 0;
    EXPECT_EQ(CountPins(mixer.Get(), &count), S_OK);
    EXPECT_EQ(count, 15);
}

TEST_F(Lookup, PinByNameFallsBackToTheLastPinEnumerated) {
    const ComPtr<IBaseFilter> lowerCase = PinFixtureFilter::Create({{PINDIR_INPUT, L"In"}, {PINDIR_OUTPUT, L"output"}});
    const std::vector<ComPtr<IPin>> lowerPins = AllPins(lowerCase.Get());
    ASSERT_EQ(lowerPins.size(), 2u);
    EXPECT_EQ(GetPinByName(lowerCase.Get(), PINDIR_OUTPUT, L"Output"), lowerPins[1]);
    EXPECT_EQ(GetPinByName(lowerCase.Get(), PINDIR_INPUT, L"In"), lowerPins[0]);
    // The fallback ignores the direction.
    EXPECT_EQ(GetPinByName(lowerCase.Get(), PINDIR_INPUT, L"output"), lowerPins[1]);

    const ComPtr<IBaseFilter> exact = PinFixtureFilter::Create({{PINDIR_OUTPUT, L"Output"}, {PINDIR_OUTPUT, L"Extra"}});
    const std::vector<ComPtr<IPin>> exactPins = AllPins(exact.Get());
    ASSERT_EQ(exactPins.size(), 2u);
    EXPECT_EQ(GetPinByName(exact.Get(), PINDIR_OUTPUT, L"Output"), exactPins[0]);
    EXPECT_EQ(PinName(GetPinByName(exact.Get(), PINDIR_OUTPUT, L"Output").Get()), L"Output");

    const ComPtr<IBaseFilter> pinless = PinFixtureFilter::Create({});
    EXPECT_FALSE(GetPinByName(pinless.Get(), PINDIR_OUTPUT, L"Output"));
    EXPECT_FALSE(GetPinByName(nullptr, PINDIR_OUTPUT, L"Output"));
    EXPECT_TRUE(g_log.empty());
}

TEST_F(Lookup, EmptyFiltersAndFailingEnumerations) {
    ComPtr<IPin> pin;
    EXPECT_EQ(GetNthPin(nullptr, PINDIR_INPUT, 0, &pin), E_POINTER);
    const ComPtr<IBaseFilter> filter = PinFixtureFilter::Create({{PINDIR_OUTPUT, L"Out"}});
    EXPECT_EQ(GetNthPin(filter.Get(), PINDIR_OUTPUT, 0, nullptr), E_POINTER);

    OutputPinNames.Clear();
    OutputPinNames.Add(L"old");
    EXPECT_EQ(ListPinNames(nullptr, PINDIR_OUTPUT), E_NOINTERFACE);
    EXPECT_EQ(OutputPinNames.Count(), 0);
    EXPECT_EQ(g_log, Names({L"\r\n\r\nEnum Ouput Pins", L"\r\nERROR pFilter=0"}));

    g_log.clear();
    int count = 7;
    EXPECT_EQ(CountPins(nullptr, &count), E_POINTER);
    EXPECT_EQ(CountPins(filter.Get(), nullptr), E_POINTER);
    EXPECT_EQ(g_log, Names({L"\r\nIn CountTotalPins hr = E_POINTER", L"\r\nIn CountTotalPins hr = E_POINTER"}));

    const ComPtr<IBaseFilter> broken = PinFixtureFilter::Create({{PINDIR_OUTPUT, L"Out"}}, true);
    g_log.clear();
    EXPECT_FALSE(GetPinByName(broken.Get(), PINDIR_OUTPUT, L"Out"));
    EXPECT_EQ(g_log, Names({L"\r\nCANNOT ENUMERATE PINS"}));
    g_log.clear();
    InputPinNames.Add(L"old");
    EXPECT_EQ(ListPinNames(broken.Get(), PINDIR_INPUT), E_OUTOFMEMORY);
    EXPECT_EQ(InputPinNames.Count(), 0);
    EXPECT_EQ(g_log, Names({L"\r\n\r\nEnum Input Pins", L"\r\nCANNOT ENUMERATE PINS"}));
    EXPECT_EQ(GetNthPin(broken.Get(), PINDIR_OUTPUT, 0, &pin), E_OUTOFMEMORY);
    EXPECT_FALSE(pin);
    EXPECT_EQ(CountPins(broken.Get(), &count), E_OUTOFMEMORY);
}

TEST_F(Lookup, PinsThatCannotBeReadAreSkipped) {
    PinSpec noDirection{PINDIR_INPUT, L"A"};
    noDirection.failDirection = true;
    PinSpec noInfo{PINDIR_INPUT, L"B"};
    noInfo.failInfo = true;
    const ComPtr<IBaseFilter> filter =
        PinFixtureFilter::Create({noDirection, noInfo, {PINDIR_INPUT, L"C"}, {PINDIR_OUTPUT, L"D"}});
    const std::vector<ComPtr<IPin>> pins = AllPins(filter.Get());
    ASSERT_EQ(pins.size(), 4u);

    EXPECT_EQ(ListPinNames(filter.Get(), PINDIR_INPUT), S_OK);
    EXPECT_EQ(TableNames(InputPinNames), Names({L"C"}));
    EXPECT_EQ(g_log, Names({L"\r\n\r\nEnum Input Pins", L"\r\nERROR QueryDirection", L"\r\nERROR QueryPinInfo",
                            L"\r\ninpPinName[0] C"}));

    EXPECT_EQ(GetPinByName(filter.Get(), PINDIR_INPUT, L"C"), pins[2]);
    EXPECT_EQ(GetPinByName(filter.Get(), PINDIR_INPUT, L"A"), pins[3]);
    EXPECT_EQ(GetPinByName(filter.Get(), PINDIR_INPUT, L"B"), pins[3]);
    ComPtr<IPin> pin;
    EXPECT_EQ(GetNthPin(filter.Get(), PINDIR_INPUT, 0, &pin), S_OK);
    EXPECT_EQ(pin, pins[1]);
    int count = 0;
    EXPECT_EQ(CountPins(filter.Get(), &count), S_OK);
    EXPECT_EQ(count, 4);
}

BOOL CALLBACK CountWindow(HWND, LPARAM count) {
    ++*reinterpret_cast<int*>(count);
    return TRUE;
}

int ThreadWindowCount() {
    int count = 0;
    ::EnumThreadWindows(::GetCurrentThreadId(), CountWindow, reinterpret_cast<LPARAM>(&count));
    return count;
}

TEST_F(Lookup, PropertyPagesOpenNothingForAFilterWithoutThem) {
    const int windows = ThreadWindowCount();
    const ComPtr<IBaseFilter> withPages = PagesFixtureFilter::Create();
    EXPECT_EQ(ShowPropertyPages(withPages.Get()), E_FAIL);  // its pages cannot be listed
    EXPECT_TRUE(PropertyPagesAvailable());
    EXPECT_EQ(g_log, Names({L"\r\nPROPERTY PAGE OK"}));

    g_log.clear();
    const ComPtr<IBaseFilter> without = PinFixtureFilter::Create({{PINDIR_OUTPUT, L"Out"}});
    EXPECT_EQ(ShowPropertyPages(without.Get()), S_OK);
    EXPECT_FALSE(PropertyPagesAvailable());
    EXPECT_EQ(g_log, Names({L"\r\nNO PROPERTY PAGE"}));
    EXPECT_EQ(ShowPropertyPages(nullptr), S_OK);
    EXPECT_EQ(ThreadWindowCount(), windows);
}

TEST_F(Lookup, CreateFilterGivesTheFilterOrTheFailure) {
    EXPECT_EQ(CreateFilter(CLSID_VideoRenderer, nullptr), E_POINTER);

    // {0B5D9E4F-0000-4C3A-8F00-1D2C3B4A5968}: registered nowhere.
    const CLSID unknown = {0x0b5d9e4f, 0x0000, 0x4c3a, {0x8f, 0x00, 0x1d, 0x2c, 0x3b, 0x4a, 0x59, 0x68}};
    IBaseFilter* raw = reinterpret_cast<IBaseFilter*>(&g_log);  // never used: must be emptied
    EXPECT_EQ(CreateFilter(unknown, &raw), REGDB_E_CLASSNOTREG);
    EXPECT_EQ(raw, nullptr);
    EXPECT_EQ(g_log, Names({L"CreateFilter: Failed to create filter!  hr=0x80040154\n"}));

    g_log.clear();
    ComPtr<IBaseFilter> renderer;
    EXPECT_EQ(CreateFilter(CLSID_VideoRenderer, &renderer), S_OK);
    ASSERT_TRUE(renderer);
    EXPECT_EQ(ClassOf(renderer.Get()), CLSID_VideoRenderer);
    EXPECT_TRUE(g_log.empty());
}

TEST_F(Lookup, DeviceFiltersAreAddedToTheirGraphs) {
    AddDevice(L"Telvane Mixer", {});
    RecordingGraph().graph = NewGraph();
    const ComPtr<IBaseFilter> added = AddDeviceFilter(CLSID_AudioInputDeviceCategory, L"Telvane Mixer");
    ASSERT_TRUE(added);
    EXPECT_EQ(InGraph(RecordingGraph().graph.Get(), L"Telvane Mixer"), added);
    EXPECT_TRUE(g_log.empty());

    EXPECT_FALSE(AddDeviceFilter(CLSID_AudioInputDeviceCategory, L"No Such Device"));
    EXPECT_EQ(g_log, Names({L"\r\nFailed to find No Such Device filter"}));

    // Without a graph manager the filter is still handed back.
    g_log.clear();
    RecordingGraph().graph = nullptr;
    EXPECT_TRUE(AddDeviceFilter(CLSID_AudioInputDeviceCategory, L"Telvane Mixer"));
    EXPECT_EQ(g_log, Names({L"\r\nFailed to add Telvane Mixer filter to graph!  hr=0x80004003"}));

    g_log.clear();
    const ComPtr<IGraphBuilder> preview = NewGraph();
    const ComPtr<IBaseFilter> previewed =
        AddPreviewDeviceFilter(CLSID_AudioInputDeviceCategory, L"Telvane Mixer", preview.Get());
    ASSERT_TRUE(previewed);
    EXPECT_EQ(InGraph(preview.Get(), L"Telvane Mixer"), previewed);
    EXPECT_EQ(g_log, Names({L"\r\n\r\nFOUND Telvane Mixer. filter=" + Hex(previewed.Get())}));
    g_log.clear();
    EXPECT_FALSE(AddPreviewDeviceFilter(CLSID_AudioInputDeviceCategory, L"Nothing", preview.Get()));
    EXPECT_EQ(g_log, Names({L"\r\nFailed to find Nothing filter"}));
}

class Probe : public Lookup {
protected:
    void SetUp() override {
        Lookup::SetUp();
        SetSettingsSystem(&m_system);
        ASSERT_TRUE(PrepareSettingsFolder());
        m_path = std::wstring(TextOf(SettingsPath));
        ::DeleteFileW(m_path.c_str());
        Settings = SettingsRecord();
        AddDevice(L"Telvane Mixer", {L"Microphone", L"Line In"});
        RecordingGraph().graph = NewGraph();
    }
    void TearDown() override {
        ::DeleteFileW(m_path.c_str());
        Lookup::TearDown();
    }

    static std::string FileText(const std::wstring& path) {
        std::vector<uint8_t> bytes;
        if (!driver::ReadFileBytes(path, &bytes)) return {};
        return std::string(bytes.begin(), bytes.end());
    }

    bool m_vista = true;
    bool m_notWindows7 = true;
    Win32SettingsSystem m_system{m_vista, m_notWindows7};
    std::wstring m_path;
};

TEST_F(Probe, ConnectsTheFirstOutputToWavDestAndStoresIt) {
    CopyText(Settings.AudioSource, L"Telvane Mixer");
    ASSERT_TRUE(ProbeAudioSource());
    EXPECT_TRUE(g_messages.empty());
    EXPECT_EQ(TextOf(Settings.AudioOutput), L"Capture");

    RecordingGraphState& state = RecordingGraph();
    ASSERT_TRUE(state.filterGraph);
    ASSERT_TRUE(state.audioSource);
    ASSERT_TRUE(state.wavDest);
    EXPECT_EQ(InGraph(state.graph.Get(), L"Telvane Mixer"), state.audioSource);
    EXPECT_EQ(InGraph(state.graph.Get(), L"WAV Dest"), state.wavDest);
    EXPECT_EQ(PinNames(state.audioSource.Get(), PINDIR_INPUT), Names({L"Microphone", L"Line In"}));

    ComPtr<IPin> capture;
    ASSERT_EQ(GetNthPin(state.audioSource.Get(), PINDIR_OUTPUT, 0, &capture), S_OK);
    ComPtr<IPin> peer;
    ASSERT_EQ(capture->ConnectedTo(&peer), S_OK);
    PIN_INFO info{};
    ASSERT_EQ(peer->QueryPinInfo(&info), S_OK);
    ComPtr<IBaseFilter> peerFilter;
    peerFilter.Attach(info.pFilter);
    EXPECT_STREQ(info.achName, L"In");
    EXPECT_EQ(peerFilter, state.wavDest);

    EXPECT_EQ(TableNames(InputPinNames), Names({L"Microphone", L"Line In"}));
    EXPECT_EQ(TableNames(OutputPinNames), Names({L"Capture"}));

    const std::string file = FileText(m_path);
    EXPECT_NE(file.find("\r\nAudio Source: Telvane Mixer\r\n"), std::string::npos) << file;
    EXPECT_NE(file.find("\r\nAudio Output: Capture\r\n"), std::string::npos) << file;
}

TEST_F(Probe, FailuresAreShownAndReturnFalse) {
    CopyText(Settings.AudioSource, L"No Such Device");
    EXPECT_FALSE(ProbeAudioSource());
    EXPECT_EQ(g_messages, Names({L"Cannot install audio No Such Device filter"}));
    EXPECT_FALSE(driver::FileExists(m_path));

    g_messages.clear();
    RecordingGraph() = RecordingGraphState();
    CopyText(Settings.AudioSource, L"Telvane Mixer");
    EXPECT_FALSE(ProbeAudioSource());
    EXPECT_EQ(g_messages, Names({L"Cannot query FilterGraph"}));
    EXPECT_FALSE(RecordingGraph().audioSource);

    // The connection is made but the settings cannot be written.
    g_messages.clear();
    RecordingGraph().graph = NewGraph();
    const std::wstring unwritable = L"C:\\telvane no such folder\\settings_qr.ini";
    CopyText(SettingsPath, unwritable);
    const bool probed = ProbeAudioSource();
    CopyText(SettingsPath, m_path);
    EXPECT_FALSE(probed);
    EXPECT_EQ(TextOf(Settings.AudioOutput), L"Capture");
    EXPECT_EQ(g_messages, Names({L"Cannot find or open file " + unwritable + L". Cannot save settings"}));
    EXPECT_FALSE(driver::FileExists(m_path));
}

}  // namespace
