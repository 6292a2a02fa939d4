// The screen-capture source set up in a real Wine graph manager, against a
// stand-in filter registered in this process under the filter's class
// identifier: the arguments that arrive through the COM call, the discarded
// first instance, the name in the graph, and the messages of each failure.

#include <windows.h>

#include <strmif.h>
#include <uuids.h>

#include <gtest/gtest.h>

#include <cwchar>
#include <memory>
#include <string>
#include <vector>

#include "app/Startup.h"
#include "app/services/ShowMessage.h"
#include "app/tracking/Tracking.h"
#include "framework/base/ComPtr.h"
#include "framework/win/Handles.h"
#include "graph/RecordingGraphState.h"
#include "graph/ScreenCaptureSetup.h"
#include "settings/Settings.h"
#include "tests/wine/graph/FakeScreenCaptureFilter.h"
#include "tests/wine/graph/PinFixtureFilters.h"
#include "tests/wine/graph/UnregisteredClassFactory.h"

namespace {

std::vector<std::wstring> g_messages;
HWND g_trackedWindow = nullptr;
bool g_background = false;

}  // namespace

// The recorder's message box and the tracking and start-up state that the
// set-up reads, replaced in this program (these definitions are linked
// instead of the recorder's).
int ShowMessage(const std::wstring& text, UINT) {
    g_messages.push_back(text);
    return IDOK;
}

HWND TrackedWindow() { return g_trackedWindow; }

bool BackgroundActive() { return g_background; }

StartupState& Startup() {
    static StartupState state;
    return state;
}

namespace {

using capturetest::CaptureLog;
using capturetest::InstanceNumber;
using capturetest::StartSettings;
using capturetest::UnregisteredClassFactory;
using Names = std::vector<std::wstring>;

class ScreenCaptureEnvironment : public testing::Environment {
public:
    void SetUp() override {
        m_apartment = std::make_unique<win::ScopedComApartment>(COINIT_APARTMENTTHREADED);
        ASSERT_TRUE(m_apartment->Succeeded());
    }
    void TearDown() override {
        RecordingGraph() = RecordingGraphState();
        m_apartment.reset();
    }

private:
    std::unique_ptr<win::ScopedComApartment> m_apartment;
};

testing::Environment* const g_environment = testing::AddGlobalTestEnvironment(new ScreenCaptureEnvironment);

ComPtr<IGraphBuilder> NewGraph() {
    ComPtr<IGraphBuilder> graph;
    EXPECT_EQ(::CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_IGraphBuilder,
                                 reinterpret_cast<void**>(&graph)),
              S_OK);
    return graph;
}

struct GraphEntry {
    std::wstring name;
    ComPtr<IBaseFilter> filter;
};

std::vector<GraphEntry> FiltersIn(IGraphBuilder* graph) {
    std::vector<GraphEntry> entries;
    ComPtr<IEnumFilters> filters;
    if (FAILED(graph->EnumFilters(&filters))) return entries;
    ComPtr<IBaseFilter> filter;
    while (filters->Next(1, &filter, nullptr) == S_OK) {
        FILTER_INFO info{};
        if (SUCCEEDED(filter->QueryFilterInfo(&info))) {
            if (info.pGraph) info.pGraph->Release();
            entries.push_back({info.achName, filter});
        }
    }
    return entries;
}

class ScreenCapture : public testing::Test {
protected:
    void SetUp() override {
        g_messages.clear();
        g_trackedWindow = reinterpret_cast<HWND>(static_cast<intptr_t>(0x0003029A));
        g_background = false;
        Startup().DisplayScale2 = 100;
        Settings = SettingsRecord();
        Settings.FrameRate = 29.97f;
        Settings.Bitcount = 24;
        Settings.xTop = -1;
        Settings.yTop = 16;
        Settings.xBottom = 319;
        Settings.yBottom = 256;
        Settings.Protocol = 1;
        Settings.VideoBitrate = 350;
        Settings.Cursor = 1;
        Settings.Monitor = 2;
        RecordingGraph() = RecordingGraphState();
        RecordingGraph().graph = NewGraph();
    }
    void TearDown() override { RecordingGraph() = RecordingGraphState(); }
};

TEST_F(ScreenCapture, TheSecondInstanceGoesIntoTheGraphWithTheSettings) {
    capturetest::ScopedFakeCaptureClass fake;
    ASSERT_TRUE(fake.Registered());
    g_background = true;
    Startup().DisplayScale2 = 149.8;

    ASSERT_TRUE(CreateScreenCaptureFilter());
    EXPECT_TRUE(g_messages.empty());

    const ScreenCaptureArgumentList expected = {29, 24, -1, 16, 319, 256, 1, 350, 1, 1, 0, 0x0003029A, 1, 0, 149, 0};
    ASSERT_EQ(CaptureLog().calls.size(), 1u);
    EXPECT_EQ(CaptureLog().calls[0].instance, 1);
    EXPECT_EQ(CaptureLog().calls[0].arguments, expected);
    EXPECT_EQ(CaptureLog().instancesCreated, 2);

    // Only the second instance is in the graph, under the filter's name, and
    // it started with the settings handed to the first.
    const RecordingGraphState& state = RecordingGraph();
    const std::vector<GraphEntry> inGraph = FiltersIn(state.graph.Get());
    ASSERT_EQ(inGraph.size(), 1u);
    EXPECT_EQ(inGraph[0].name, L"Pixark BCK");
    EXPECT_EQ(inGraph[0].filter, state.ScreenCaptureFilter);
    EXPECT_EQ(InstanceNumber(state.ScreenCaptureFilter.Get()), 2);
    EXPECT_EQ(StartSettings(state.ScreenCaptureFilter.Get()), std::optional<ScreenCaptureArgumentList>(expected));
    EXPECT_EQ(InstanceNumber(KeptScreenCaptureSettings()), 1);

    // The recording graph configures the instance in the graph once more.
    Settings.Cursor = 0;
    g_background = false;
    ASSERT_TRUE(ConfigureScreenCapture());
    ASSERT_EQ(CaptureLog().calls.size(), 2u);
    EXPECT_EQ(CaptureLog().calls[1].instance, 2);
    const ScreenCaptureArgumentList again = {29, 24, -1, 16, 319, 256, 1, 350, 1, 0, 0, 0x0003029A, 0, 0, 100, 0};
    EXPECT_EQ(CaptureLog().calls[1].arguments, again);
    EXPECT_EQ(InstanceNumber(KeptScreenCaptureSettings()), 2);
    EXPECT_TRUE(g_messages.empty());
}

TEST_F(ScreenCapture, ArgumentsThroughTheCallFollowBackgroundAndMonitor) {
    capturetest::ScopedFakeCaptureClass fake;
    ASSERT_TRUE(fake.Registered());
    const struct {
        float frameRate;
        bool background;
        int monitor;
        std::int32_t rate1;
        std::int32_t background13;
        std::int32_t scale15;
    } cases[] = {
        {23.97f, false, 2, 23, 0, 100},
        {30.0f, true, 1, 30, 1, 100},
        {29.97f, true, 2, 29, 1, 125},
        {29.97f, true, 3, 29, 1, 100},
    };
    Startup().DisplayScale2 = 125.0;
    g_trackedWindow = nullptr;
    for (const auto& c : cases) {
        Settings.FrameRate = c.frameRate;
        Settings.Monitor = c.monitor;
        g_background = c.background;
        RecordingGraph().graph = NewGraph();
        CaptureLog().calls.clear();
        ASSERT_TRUE(CreateScreenCaptureFilter());
        ASSERT_EQ(CaptureLog().calls.size(), 1u);
        const ScreenCaptureArgumentList& a = CaptureLog().calls[0].arguments;
        EXPECT_EQ(a[0], c.rate1) << c.frameRate;
        EXPECT_EQ(a[11], 0);
        EXPECT_EQ(a[12], c.background13) << c.monitor;
        EXPECT_EQ(a[14], c.scale15) << c.monitor;
    }
    EXPECT_TRUE(g_messages.empty());
}

TEST_F(ScreenCapture, ANameTakenInTheGraphShowsTwoMessages) {
    capturetest::ScopedFakeCaptureClass fake;
    ASSERT_TRUE(fake.Registered());
    IGraphBuilder* const graph = RecordingGraph().graph.Get();

    // A taken name alone is not a failure: the manager adds the filter under
    // a numbered name ("Pixark BCK 0001") and answers VFW_S_DUPLICATE_NAME, a
    // success.
    const ComPtr<IBaseFilter> other = lookuptest::PinFixtureFilter::Create({{PINDIR_OUTPUT, L"Out"}});
    ASSERT_EQ(graph->AddFilter(other.Get(), L"Pixark BCK"), S_OK);
    ASSERT_TRUE(CreateScreenCaptureFilter());
    EXPECT_TRUE(g_messages.empty());
    const std::vector<GraphEntry> both = FiltersIn(graph);
    ASSERT_EQ(both.size(), 2u);
    const GraphEntry& added = both[0].filter == other ? both[1] : both[0];
    EXPECT_EQ(added.filter, RecordingGraph().ScreenCaptureFilter);
    EXPECT_EQ(added.name.size(), 15u) << added.name;
    EXPECT_EQ(added.name.rfind(L"Pixark BCK ", 0), 0u) << added.name;
    ASSERT_EQ(graph->RemoveFilter(added.filter.Get()), S_OK);

    // The add fails once every name the manager would fall back to
    // ("Pixark BCK 0000" to "Pixark BCK 9999") is taken as well.
    std::vector<ComPtr<IBaseFilter>> taking;
    for (unsigned i = 0; i < 10000; ++i) {
        wchar_t name[32];
        std::swprintf(name, 32, L"Pixark BCK %04u", i);
        taking.push_back(lookuptest::PinFixtureFilter::Create({{PINDIR_OUTPUT, L"Out"}}));
        ASSERT_EQ(graph->AddFilter(taking.back().Get(), name), S_OK) << i;
    }
    EXPECT_FALSE(CreateScreenCaptureFilter());
    EXPECT_EQ(g_messages,
              Names({L"Cannot add screen capture filter", L"Cannot add video filter (VFW_E_DUPLICATE_NAME)"}));
    ComPtr<IBaseFilter> named;
    ASSERT_EQ(graph->FindFilterByName(L"Pixark BCK", &named), S_OK);
    EXPECT_EQ(named, other);
    EXPECT_EQ(FiltersIn(graph).size(), 10001u);
    RecordingGraph() = RecordingGraphState();
}

TEST_F(ScreenCapture, FailuresBeforeTheAddAreShown) {
    // Nothing registered under the class identifier.
    UnregisteredClassFactory missing;
    DWORD cookie = 0;
    ASSERT_EQ(
        ::CoRegisterClassObject(kScreenCaptureFilterClsid, &missing, CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE, &cookie),
        S_OK);
    EXPECT_FALSE(CreateScreenCaptureFilter());
    ::CoRevokeClassObject(cookie);
    EXPECT_EQ(g_messages, Names({L"Cannot create screen capture filter"}));
    EXPECT_FALSE(RecordingGraph().ScreenCaptureFilter);
    EXPECT_FALSE(ConfigureScreenCapture());

    // The filter refuses the settings.
    g_messages.clear();
    {
        capturetest::ScopedFakeCaptureClass fake;
        ASSERT_TRUE(fake.Registered());
        CaptureLog().result = E_INVALIDARG;
        EXPECT_FALSE(CreateScreenCaptureFilter());
        EXPECT_EQ(g_messages, Names({L"Cannot communicate with screen capture filter"}));
        EXPECT_EQ(CaptureLog().instancesCreated, 1);
        EXPECT_TRUE(FiltersIn(RecordingGraph().graph.Get()).empty());
        EXPECT_FALSE(ConfigureScreenCapture());
    }

    // A filter without the settings interface.
    g_messages.clear();
    RecordingGraph().ScreenCaptureFilter = lookuptest::PinFixtureFilter::Create({{PINDIR_OUTPUT, L"Output"}});
    EXPECT_FALSE(ConfigureScreenCapture());
    EXPECT_TRUE(g_messages.empty());

    // No graph manager to add the second instance to.
    {
        capturetest::ScopedFakeCaptureClass fake;
        ASSERT_TRUE(fake.Registered());
        RecordingGraph().graph = nullptr;
        EXPECT_FALSE(CreateScreenCaptureFilter());
        EXPECT_EQ(g_messages, Names({L"Cannot add screen capture filter", L"Cannot add video filter (E_POINTER)"}));
        EXPECT_EQ(CaptureLog().instancesCreated, 2);
    }
}

}  // namespace
