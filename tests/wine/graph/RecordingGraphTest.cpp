// The recording graph under Wine, built from the settings file by the
// recorder's own StartRecordingGraph: the product's pixark.ax and sonark5.ax
// registered with regsvr32, the ASF writer and wmvcore stand-ins, the tee,
// "WAV Dest" and the test audio devices. Each mode's graph is read from
// outside: the filters by name and every connection by pin names. The
// restore helper is the real qrrestore.exe, logging what it receives.
//
// The recorder's message box, pumped wait, exit procedure, tracked window
// and session are defined here, as the program defines them, so the boxes
// are recorded and the test process does not end.

#include <windows.h>

#include <control.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <memory>
#include <mutex>
#include <ostream>
#include <set>
#include <string>
#include <vector>

#include "app/DeferredInit.h"
#include "app/Startup.h"
#include "app/services/DiagnosticLog.h"
#include "app/services/Environment.h"
#include "app/services/EnvironmentProbes.h"
#include "app/services/ShowMessage.h"
#include "app/session/OutputNaming.h"
#include "app/session/RecorderSession.h"
#include "app/session/VideoOnlyChoice.h"
#include "app/tracking/Tracking.h"
#include "audio/EndpointRates.h"
#include "framework/base/ComPtr.h"
#include "framework/ui/PumpedWait.h"
#include "framework/win/Handles.h"
#include "graph/AsfWriterSetup.h"
#include "graph/RecordingGraph.h"
#include "graph/RecordingGraphState.h"
#include "graph/RecordingOutput.h"
#include "graph/Win32ProfileSystem.h"
#include "settings/Settings.h"
#include "settings/SettingsFile.h"
#include "settings/SettingsSystem.h"
#include "settings/SettingsText.h"
#include "settings/Win32SettingsSystem.h"
#include "tests/native/session/SessionFakes.h"
#include "tests/wine/driver/Driver.h"
#include "tests/wine/driver/ThreadWindow.h"
#include "winetest/dshowfilters/TestAudioDevices.h"

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::UnorderedElementsAreArray;

namespace {

struct Shown {
    std::wstring text;
    UINT buttons;
    DWORD thread;
};

// Boxes come from the GUI thread and from the guard's worker thread.
std::mutex g_lock;
std::vector<Shown> g_shown;
std::atomic<int> g_answer{IDYES};
std::atomic<int> g_closeCalls{0};
std::atomic<bool> g_recordingAtClose{true};
HWND g_tracked = nullptr;

std::vector<std::wstring> ShownTexts() {
    std::lock_guard<std::mutex> lock(g_lock);
    std::vector<std::wstring> texts;
    for (const Shown& shown : g_shown) texts.push_back(shown.text);
    return texts;
}

[[maybe_unused]] std::vector<Shown> ShownSoFar() {
    std::lock_guard<std::mutex> lock(g_lock);
    return g_shown;
}

}  // namespace

int ShowMessage(const std::wstring& text, UINT buttons) {
    std::lock_guard<std::mutex> lock(g_lock);
    g_shown.push_back({text, buttons, ::GetCurrentThreadId()});
    return buttons == MB_YESNO ? g_answer.load() : IDOK;
}

void WaitPumping(DWORD ms) { PumpFor(ms); }

void CloseProgram() {
    g_recordingAtClose = TheSession().State().Recording;
    ++g_closeCalls;
}

// As the shell does it: a graph that calls CloseProgram itself while a
// recording is flagged would be asked about it.
void CloseProgramWithoutAsking() {
    TheSession().State().Recording = false;
    CloseProgram();
}

HWND TrackedWindow() { return g_tracked; }
bool BackgroundActive() { return false; }

StartupState& Startup() {
    static StartupState state;
    return state;
}

RecordingSession& TheSession() {
    static SessionLog log;
    static std::int64_t clock = 0;
    static FakeGraph graph(log, clock);
    static FakeUi ui(log);
    static FakePlatform platform(log);
    static FakePeers peers(log);
    static RecordingSession session(graph, ui, platform, peers);
    return session;
}

namespace {

constexpr wchar_t kSonarkName[] = L"Sonark5 Filter";
constexpr wchar_t kScreenName[] = L"Pixark BCK";
constexpr wchar_t kTeeName[] = L"Infinte Pin Tee Filter";
constexpr wchar_t kRendererName[] = L"Video Renderer";
constexpr wchar_t kDeviceName[] = L"Telvane Mixer";

DWORD RunCommand(const std::wstring& command) {
    driver::Program program = driver::Program::Start(L"cmd.exe", L"/c " + command);
    DWORD code = 1;
    if (!program || !program.WaitForExit(60000, &code)) return 1;
    return code;
}

std::string Utf8(const std::wstring& text) { return std::string(text.begin(), text.end()); }

// The products' filters registered for the whole program, removed after.
class RegisteredFilters : public ::testing::Environment {
public:
    void SetUp() override {
        for (const wchar_t* file : {L"pixark.ax", L"sonark5.ax"})
            ASSERT_EQ(RunCommand(L"regsvr32.exe /s \"" + driver::ProductFolder() + file + L"\""), 0u) << Utf8(file);
    }
    void TearDown() override {
        for (const wchar_t* file : {L"pixark.ax", L"sonark5.ax"})
            RunCommand(L"regsvr32.exe /s /u \"" + driver::ProductFolder() + file + L"\"");
        winetest::RemoveTestAudioDevices();
    }
};
const auto* const kRegistered = ::testing::AddGlobalTestEnvironment(new RegisteredFilters);

std::wstring FilterName(IBaseFilter* filter) {
    FILTER_INFO info{};
    if (!filter || FAILED(filter->QueryFilterInfo(&info))) return L"?";
    if (info.pGraph) info.pGraph->Release();
    return info.achName;
}

std::wstring PinName(IPin* pin) {
    PIN_INFO info{};
    if (FAILED(pin->QueryPinInfo(&info))) return L"?";
    std::wstring name = FilterName(info.pFilter) + L"/" + info.achName;
    if (info.pFilter) info.pFilter->Release();
    return name;
}

struct GraphContents {
    std::vector<std::wstring> filters;
    // "filter/output pin -> filter/input pin"
    std::vector<std::wstring> connections;
};

// The recording graph as seen from outside: every filter by name, and
// every connection from its output pin.
GraphContents ReadGraph() {
    GraphContents contents;
    IGraphBuilder* graph = RecordingGraph().graph.Get();
    if (!graph) return contents;
    ComPtr<IEnumFilters> filters;
    if (FAILED(graph->EnumFilters(&filters))) return contents;
    ComPtr<IBaseFilter> filter;
    while (filters->Next(1, &filter, nullptr) == S_OK) {
        contents.filters.push_back(FilterName(filter.Get()));
        ComPtr<IEnumPins> pins;
        if (FAILED(filter->EnumPins(&pins))) continue;
        ComPtr<IPin> pin;
        while (pins->Next(1, &pin, nullptr) == S_OK) {
            PIN_DIRECTION direction;
            ComPtr<IPin> peer;
            if (SUCCEEDED(pin->QueryDirection(&direction)) && direction == PINDIR_OUTPUT &&
                SUCCEEDED(pin->ConnectedTo(&peer)) && peer)
                contents.connections.push_back(PinName(pin.Get()) + L" -> " + PinName(peer.Get()));
        }
    }
    return contents;
}

std::wstring Folder(const std::wstring& name) {
    const std::wstring folder = driver::ProgramFolder() + L"graph_recording\\" + name;
    std::error_code ignored;
    std::filesystem::create_directories(std::filesystem::path(folder), ignored);
    return folder;
}

// A top-level window titled "Quorra" with the record button, as the
// recorder window has it; the silence helper also lives as long as it does.
class RecorderStandIn {
public:
    RecorderStandIn() {
        m_window =
            ::CreateWindowExW(0, L"STATIC", L"Quorra", WS_POPUP, 0, 600, 120, 40, nullptr, nullptr, nullptr, nullptr);
        m_button = ::CreateWindowExW(0, L"BUTTON", L"STOP", WS_CHILD, 0, 0, 80, 20, m_window,
                                     reinterpret_cast<HMENU>(static_cast<INT_PTR>(1215)), nullptr, nullptr);
    }
    ~RecorderStandIn() {
        if (m_window) ::DestroyWindow(m_window);
    }
    HWND Window() const { return m_window; }
    std::wstring ButtonText() const {
        wchar_t text[64] = {};
        ::GetWindowTextW(m_button, text, 64);
        return text;
    }

private:
    HWND m_window = nullptr;
    HWND m_button = nullptr;
};

class RecordingGraphTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(SUCCEEDED(m_com.Result()));
        // The graph is built without a session here: nothing else forgets
        // the last case's answer to the missing device's question.
        ClearVideoOnlyChoice();
        {
            std::lock_guard<std::mutex> lock(g_lock);
            g_shown.clear();
        }
        g_answer = IDYES;
        g_closeCalls = 0;
        g_tracked = nullptr;
        Env().VistaOrLater = true;
        SetSpeakersSampleRate(48000);
        SetProfileSystem(&m_profiles);
        SetSettingsSystem(&m_settingsSystem);
        ASSERT_TRUE(PrepareSettingsFolder());
        ASSERT_EQ(winetest::RemoveTestAudioDevices(), S_OK);
        ASSERT_EQ(winetest::AddTestAudioDevice(kDeviceName, {}), S_OK);
        RecordingGraph() = RecordingGraphState();
        ASSERT_EQ(CreateAllGraphs(), S_OK);
        ASSERT_TRUE(RecordingGraphExists());

        Settings = SettingsRecord();
        CopyText(Settings.RecordingFolder, Folder(L"recordings"));
        Settings.VideoBitrate = 500;
        Settings.AudioBitrate = 64;
        Settings.FrameRate = 15.0f;
        Settings.Bitcount = 32;
        Settings.VistaAudio = 1;
        Settings.SetTopWindow = 0;
        CopyText(Settings.AudioSource, L"Sonark5");
        CopyText(Settings.AudioOutput, L"Out");
        Settings.xTop = 0;
        Settings.yTop = 0;
        Settings.xBottom = 321;
        Settings.yBottom = 241;
        SetOutput(Folder(L"recordings") + L"\\shape.wmv");
    }
    void TearDown() override {
        if (RecordingGraph().mediaControl) RecordingGraph().mediaControl->Stop();
        DestroyRecordingGraph();
        RecordingGraph() = RecordingGraphState();
        ReleaseProfileObjects();
        winetest::RemoveTestAudioDevices();
        SetProfileSystem(nullptr);
    }

    static void SetOutput(const std::wstring& path) {
        CopyText(OutputPath, path);
        ::DeleteFileW(path.c_str());
    }

    // The settings as the file keeps them, then the recorder's start.
    bool Start() {
        EXPECT_EQ(WriteSettings(), 1);
        std::int64_t startTime = 0;
        const bool started = StartRecordingGraph(startTime);
        if (started) {
            EXPECT_NE(startTime, 0);
            EXPECT_EQ(static_cast<std::uint64_t>(startTime), RecordingGraph().RecordingStartTime);
        }
        return started;
    }

    void StopAndReset() {
        StopRecordingGraph();
        EXPECT_EQ(ResetRecordingGraph(), S_OK);
        EXPECT_THAT(ReadGraph().filters, IsEmpty());
    }

    win::ScopedComApartment m_com;
    Win32ProfileSystem m_profiles;
    bool m_vista = true;
    bool m_notWindows7 = true;
    Win32SettingsSystem m_settingsSystem{m_vista, m_notWindows7};
};

struct ShapeCase {
    const char* name;
    int audioOnly, videoOnly, setTopWindow, vistaAudio;
    bool started;
    std::vector<std::wstring> filters;
    std::vector<std::wstring> connections;
};

// pixark.ax names its pin "Capture": the lookup for "Output" falls back to
// the filter's last (and only) pin.
const std::wstring kScreenToMux = L"Pixark BCK/Capture -> Mux/Video Input 01";
const std::wstring kSonarkToMux = L"Sonark5 Filter/Out -> Mux/Audio Input 01";
const std::wstring kScreenToTee = L"Pixark BCK/Capture -> Infinte Pin Tee Filter/Input";
const std::wstring kTeeToMux = L"Infinte Pin Tee Filter/Output1 -> Mux/Video Input 01";
const std::wstring kTeeToRenderer = L"Infinte Pin Tee Filter/Output2 -> Video Renderer/Input";

const ShapeCase kShapes[] = {
    {"AudioVideoStraightIntoTheWriter",
     0,
     0,
     0,
     1,
     true,
     {kScreenName, L"Mux", kSonarkName},
     {kScreenToMux, kSonarkToMux}},
    {"AudioVideoThroughTheTeeWithTheHiddenPreview",
     0,
     0,
     1,
     1,
     true,
     {kScreenName, L"Mux", kSonarkName, kTeeName, kRendererName},
     {kScreenToTee, kTeeToMux, kTeeToRenderer, kSonarkToMux}},
    {"AudioOnlyLeavesTeeAndRendererUnconnected",
     1,
     0,
     1,
     1,
     true,
     {L"Mux", kSonarkName, kTeeName, kRendererName},
     {kSonarkToMux}},
    {"VideoOnlyHasNoAudioSource", 0, 1, 0, 1, true, {kScreenName, L"Mux"}, {kScreenToMux}},
    {"VideoOnlyThroughTheTee",
     0,
     1,
     1,
     1,
     true,
     {kScreenName, L"Mux", kTeeName, kRendererName},
     {kScreenToTee, kTeeToMux, kTeeToRenderer}},
    {"BothFlagsGiveTheWriterAlone", 1, 1, 0, 1, true, {L"Mux"}, {}},
    {"VistaAudioTwoRecordsNoSound", 0, 0, 0, 2, true, {kScreenName, L"Mux"}, {kScreenToMux}},
};

void PrintTo(const ShapeCase& c, std::ostream* os) { *os << c.name; }

class RecordingGraphShape : public RecordingGraphTest, public ::testing::WithParamInterface<ShapeCase> {};

TEST_P(RecordingGraphShape, HoldsTheModesFiltersAndConnections) {
    const ShapeCase& c = GetParam();
    Settings.AudioOnly = c.audioOnly;
    Settings.VideoOnly = c.videoOnly;
    Settings.SetTopWindow = c.setTopWindow;
    Settings.VistaAudio = c.vistaAudio;
    EXPECT_EQ(Start(), c.started) << ::testing::PrintToString(ShownTexts());
    const GraphContents graph = ReadGraph();
    EXPECT_THAT(graph.filters, UnorderedElementsAreArray(c.filters));
    EXPECT_THAT(graph.connections, UnorderedElementsAreArray(c.connections));
    // The preview branch's window stays hidden.
    if (c.setTopWindow && !c.audioOnly) {
        long visible = -1;
        ASSERT_TRUE(RecordingGraph().videoWindow);
        EXPECT_EQ(RecordingGraph().videoWindow->get_Visible(&visible), S_OK);
        EXPECT_EQ(visible, 0);
    }
    StopAndReset();
}

INSTANTIATE_TEST_SUITE_P(Modes, RecordingGraphShape, ::testing::ValuesIn(kShapes),
                         [](const ::testing::TestParamInfo<ShapeCase>& info) { return std::string(info.param.name); });

}  // namespace

namespace {

void UseDevicePath(const wchar_t* source) {
    Settings.VistaAudio = 0;
    CopyText(Settings.AudioSource, source);
    CopyText(Settings.AudioOutput, L"Capture");
}

const wchar_t kMissingDeviceQuestion[] =
    L"Audio recording problem...Click YES to continue recording video only, NO to return. See Audio "
    L"Troubleshooting under Help";

TEST_F(RecordingGraphTest, DevicePathConnectsTheNamedDeviceIntelligently) {
    UseDevicePath(kDeviceName);
    ASSERT_TRUE(Start()) << ::testing::PrintToString(ShownTexts());
    const GraphContents graph = ReadGraph();
    EXPECT_THAT(graph.filters, UnorderedElementsAreArray(
                                   {std::wstring(kScreenName), std::wstring(L"Mux"), std::wstring(kDeviceName)}));
    EXPECT_THAT(graph.connections, UnorderedElementsAreArray(
                                       {kScreenToMux, std::wstring(L"Telvane Mixer/Capture -> Mux/Audio Input 01")}));
    EXPECT_THAT(ShownTexts(), IsEmpty());
    StopAndReset();
}

TEST_F(RecordingGraphTest, MissingDeviceAnsweredYesRecordsVideoOnly) {
    UseDevicePath(L"Missing Mixer");
    g_answer = IDYES;
    ASSERT_TRUE(Start()) << ::testing::PrintToString(ShownTexts());
    ASSERT_EQ(ShownSoFar().size(), 1u);
    EXPECT_EQ(ShownSoFar()[0].text, kMissingDeviceQuestion);
    EXPECT_EQ(ShownSoFar()[0].buttons, static_cast<UINT>(MB_YESNO));
    // For this recording only: the setting stays as it was.
    EXPECT_EQ(Settings.VideoOnly, 0);
    EXPECT_TRUE(RecordingVideoOnly());
    const GraphContents graph = ReadGraph();
    EXPECT_THAT(graph.filters, UnorderedElementsAreArray({std::wstring(kScreenName), std::wstring(L"Mux")}));
    // The profile still has its audio stream; the writer's audio input stays open.
    EXPECT_THAT(graph.connections, ElementsAre(kScreenToMux));
    StopAndReset();
}

TEST_F(RecordingGraphTest, MissingDeviceAnsweredNoStopsTheStart) {
    UseDevicePath(L"Missing Mixer");
    g_answer = IDNO;
    EXPECT_FALSE(Start());
    EXPECT_THAT(ShownTexts(), ElementsAre(kMissingDeviceQuestion));
    EXPECT_EQ(Settings.VideoOnly, 0);
    // Left as far as it got: the screen capture and the writer, unconnected.
    const GraphContents graph = ReadGraph();
    EXPECT_THAT(graph.filters, UnorderedElementsAreArray({std::wstring(kScreenName), std::wstring(L"Mux")}));
    EXPECT_THAT(graph.connections, IsEmpty());
    EXPECT_EQ(ResetRecordingGraph(), S_OK);
    EXPECT_THAT(ReadGraph().filters, IsEmpty());
}

TEST_F(RecordingGraphTest, RegionIsNormalisedInTheSettingsFile) {
    ASSERT_TRUE(Start());
    EXPECT_EQ(Settings.xTop, -1);
    EXPECT_EQ(Settings.yTop, -1);
    EXPECT_EQ(Settings.xBottom, 319);
    EXPECT_EQ(Settings.yBottom, 239);
    EXPECT_EQ(Settings.Protocol, 1);
    StopAndReset();
    Settings = SettingsRecord();
    ASSERT_EQ(ReadSettings(), 1);
    EXPECT_EQ(Settings.xTop, -1);
    EXPECT_EQ(Settings.yTop, -1);
    EXPECT_EQ(Settings.xBottom, 319);
    EXPECT_EQ(Settings.yBottom, 239);
}

TEST_F(RecordingGraphTest, ASevenPixelRegionCannotBeRecorded) {
    Settings.xTop = 100;
    Settings.xBottom = 107;
    EXPECT_FALSE(Start());
    // The profile writer names the bound it refused before the start's own message.
    EXPECT_THAT(ShownTexts(), ElementsAre(L"Invalid video parameter (width=0,height=240,kbps=500,fps=15)",
                                          L"Cannot setup WMP recording"));
    EXPECT_THAT(ReadGraph().filters, IsEmpty());
}

TEST_F(RecordingGraphTest, EmptySourceBecomesSonark5BeforeAnythingElse) {
    Settings.AudioSource[0] = 0;
    Settings.AudioOutput[0] = 0;
    ASSERT_TRUE(Start());
    EXPECT_EQ(std::wstring(Settings.AudioSource), L"Sonark5");
    EXPECT_EQ(std::wstring(Settings.AudioOutput), L"Out");
    EXPECT_THAT(ReadGraph().connections, UnorderedElementsAreArray({kScreenToMux, kSonarkToMux}));
    StopAndReset();
}

std::wstring WindowFolder() { return Folder(L"guard"); }

// ".\sound.bat" in the current folder: it leaves a note beside itself.
class SoundBatchFolder {
public:
    SoundBatchFolder() : m_folder(WindowFolder() + L"\\") {
        ::DeleteFileW((m_folder + L"opened.txt").c_str());
        const std::string batch = "@echo off\r\necho opened> \"%~dp0opened.txt\"\r\n";
        driver::WriteFileBytes(m_folder + L"sound.bat", std::vector<uint8_t>(batch.begin(), batch.end()));
        wchar_t current[MAX_PATH];
        ::GetCurrentDirectoryW(MAX_PATH, current);
        m_previous = current;
        ::SetCurrentDirectoryW(m_folder.c_str());
    }
    ~SoundBatchFolder() { ::SetCurrentDirectoryW(m_previous.c_str()); }
    bool Opened() const { return driver::FileExists(m_folder + L"opened.txt"); }

private:
    std::wstring m_folder;
    std::wstring m_previous;
};

const wchar_t kInstructions[] =
    L"\r\nWINDOWS 7 / VISTA SAMPLE RATE SETUP\r\n\r\nIn the 'Sound' window click Speakers.\r\nClick Configure and make "
    L"sure the Audio is set to Stereo.\r\nClick Properties then click Advanced and set the audio format to 16 or 24 "
    L"bit, 44100 or 48000 Hz (samples).\r\n\r\nClose and restart Telvane.";

TEST_F(RecordingGraphTest, SpeakersAbove48000EndTheProgramWithTheInstructions) {
    SoundBatchFolder batch;
    SetSpeakersSampleRate(96000);
    TheSession().State().Recording = true;
    EXPECT_FALSE(Start());
    EXPECT_EQ(g_closeCalls.load(), 1);
    EXPECT_FALSE(g_recordingAtClose.load());
    for (int i = 0; i < 100 && (ShownSoFar().size() < 2 || !batch.Opened()); ++i) ::Sleep(100);
    const std::vector<Shown> shown = ShownSoFar();
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0].text,
              L"Audio sample rates must be 44100 or 48000 (currently your audio is set to 96000)\n\nClick OK to open "
              L"the setup instructions.");
    EXPECT_EQ(shown[0].thread, ::GetCurrentThreadId());
    EXPECT_EQ(shown[1].text, kInstructions);
    EXPECT_NE(shown[1].thread, ::GetCurrentThreadId());
    EXPECT_TRUE(batch.Opened());
    // Nothing was built.
    EXPECT_THAT(ReadGraph().filters, IsEmpty());
}

TEST_F(RecordingGraphTest, SpeakersAt48000PassTheGuard) {
    SetSpeakersSampleRate(48000);
    ASSERT_TRUE(Start());
    EXPECT_EQ(g_closeCalls.load(), 0);
    StopAndReset();
    // Before Vista the rate is not looked at (the device path records).
    Env().VistaOrLater = false;
    SetSpeakersSampleRate(96000);
    UseDevicePath(kDeviceName);
    ASSERT_TRUE(Start()) << ::testing::PrintToString(ShownTexts());
    EXPECT_EQ(g_closeCalls.load(), 0);
    StopAndReset();
}

OAFilterState GraphState() {
    OAFilterState state = -1;
    RecordingGraph().mediaControl->GetState(2000, &state);
    return state;
}

TEST_F(RecordingGraphTest, WithoutTheRestoreHelperRunPauseAndStopWorkTheSame) {
    ASSERT_EQ(::FindWindowW(nullptr, L"QrRestore"), nullptr);
    ASSERT_TRUE(Start());
    EXPECT_EQ(GraphState(), State_Running);
    PauseRecordingGraph();
    EXPECT_EQ(GraphState(), State_Paused);
    EXPECT_TRUE(RunRecordingGraph());
    EXPECT_EQ(GraphState(), State_Running);
    StopRecordingGraph();
    EXPECT_EQ(GraphState(), State_Stopped);
    EXPECT_THAT(ShownTexts(), IsEmpty());
    EXPECT_EQ(ResetRecordingGraph(), S_OK);
}

// The call window's thread shares the recorder's input only while it
// records: a detach of threads that share no input fails, as it does here
// before the start and must again after the stop.
TEST_F(RecordingGraphTest, TheCallWindowsInputIsSharedOnlyWhileRecording) {
    driver::ThreadWindow call;
    call.Open([] {
        return ::CreateWindowExW(0, L"STATIC", L"Graph Test Call", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr,
                                 nullptr);
    });
    ASSERT_NE(call.Window(), nullptr);
    g_tracked = call.Window();
    const DWORD callThread = ::GetWindowThreadProcessId(g_tracked, nullptr);
    const DWORD self = ::GetCurrentThreadId();
    EXPECT_FALSE(::AttachThreadInput(callThread, self, FALSE));
    ASSERT_TRUE(Start());
    EXPECT_TRUE(::AttachThreadInput(callThread, self, FALSE));
    ASSERT_TRUE(::AttachThreadInput(callThread, self, TRUE));
    StopRecordingGraph();
    EXPECT_FALSE(::AttachThreadInput(callThread, self, FALSE));
    EXPECT_EQ(ResetRecordingGraph(), S_OK);
    g_tracked = nullptr;
}

std::string ReadText(const std::wstring& path) {
    std::vector<uint8_t> bytes;
    if (!driver::ReadFileBytes(path, &bytes)) return {};
    return std::string(bytes.begin(), bytes.end());
}

TEST_F(RecordingGraphTest, TheRestoreHelperHearsRunPauseResumeAndStopInOrder) {
    // The helper watches a window of this test and logs what it receives.
    RecorderStandIn recorder;
    const HWND watched = ::CreateWindowExW(0, L"STATIC", L"Graph Test Watched", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                                           nullptr, nullptr);
    const std::wstring log = Folder(L"restore") + L"\\notifications.txt";
    ::DeleteFileW(log.c_str());
    driver::Program helper = driver::Program::Start(driver::ProductFolder() + L"qrrestore.exe",
                                                    L"-w \"Graph Test Watched\" -log \"" + log + L"\"");
    ASSERT_TRUE(helper) << Utf8(helper.Error());
    HWND window = nullptr;
    for (int i = 0; i < 100 && !(window = ::FindWindowW(nullptr, L"QrRestore")); ++i) PumpFor(50);
    ASSERT_NE(window, nullptr);

    Settings.MiniClone = 1;
    Settings.SetTopWindow = 1;
    ASSERT_TRUE(Start());
    // The recorder window is made opaque-layered again at the start.
    EXPECT_NE(::GetWindowLongPtrW(recorder.Window(), GWL_EXSTYLE) & WS_EX_LAYERED, 0);
    PauseRecordingGraph();
    EXPECT_TRUE(RunRecordingGraph());
    StopRecordingGraph();
    EXPECT_EQ(recorder.ButtonText(), L"RECORD");

    const std::string expected = "8,7\r\n7,8\r\n7,8\r\n7,7\r\n7,8\r\n8,7\r\n7,8\r\n7,8\r\n7,7\r\n7,8\r\n";
    for (int i = 0; i < 100 && ReadText(log).size() < expected.size(); ++i) PumpFor(50);
    EXPECT_EQ(ReadText(log), expected);
    EXPECT_EQ(ResetRecordingGraph(), S_OK);
    ::DestroyWindow(watched);
    EXPECT_TRUE(helper.WaitForExit(10000));
}

TEST_F(RecordingGraphTest, AnUnwritableFolderFailsAtTheWriterThenTheNextRecordingWorks) {
    const std::wstring folder = driver::ProgramFolder() + L"graph_recording\\recording";
    std::error_code ignored;
    std::filesystem::remove_all(std::filesystem::path(folder), ignored);
    SetOutput(folder + L"\\call.wmv");
    EXPECT_FALSE(Start());
    EXPECT_THAT(ShownTexts(), ElementsAre(L"Cannot install ASF Writer"));
    EXPECT_EQ(ResetRecordingGraph(), S_OK);
    EXPECT_THAT(ReadGraph().filters, IsEmpty());

    // The folder fixed: a real recording of 3 s, read back from Linux by
    // graph_recording_check. The silence helper keeps the speakers
    // rendering, so the loopback capture gets packets.
    {
        std::lock_guard<std::mutex> lock(g_lock);
        g_shown.clear();
    }
    ASSERT_TRUE(std::filesystem::create_directories(std::filesystem::path(folder)));
    RecorderStandIn recorder;
    driver::Program silence = driver::Program::Start(driver::ProductFolder() + L"zvsln.exe", L"");
    ASSERT_TRUE(silence) << Utf8(silence.Error());
    for (int i = 0; i < 100 && !::FindWindowW(nullptr, L"Silence"); ++i) PumpFor(50);
    ASSERT_NE(::FindWindowW(nullptr, L"Silence"), nullptr);
    // Its stream starts rendering a moment after its window exists.
    PumpFor(1000);

    ASSERT_TRUE(Start()) << ::testing::PrintToString(ShownTexts());
    ComPtr<IMediaSeeking> seeking;
    ASSERT_EQ(RecordingGraph().graph.As(seeking), S_OK);
    const DWORD started = ::GetTickCount();
    LONGLONG position = 0;
    while (::GetTickCount() - started < 8000) {
        PumpFor(50);
        if (SUCCEEDED(seeking->GetCurrentPosition(&position)) && position >= 30000000) break;
    }
    EXPECT_GE(position, 30000000);
    StopRecordingGraph();
    EXPECT_EQ(ResetRecordingGraph(), S_OK);
    EXPECT_THAT(ShownTexts(), IsEmpty());
    EXPECT_TRUE(driver::FileExists(folder + L"\\call.wmv"));
    silence.End();
}

}  // namespace
