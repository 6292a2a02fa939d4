// The clone preview built by the recorder's own code in this process, in a
// real Wine graph manager, under a stand-in recorder window titled "Quorra"
// (a pop-up with the status control 118): nothing without the video or the
// window, the messages of each failure in order against a stand-in capture
// filter registered in this process, the settings that reach the filter, the
// pin lookup's fallback, and with the product's pixark.ax the renderer's
// window placed as a child of the recorder window; then a hundred rebuilds
// counted for handles, GDI objects, windows and threads.
//
// The recorder's message box and the tracking state are defined here, as the
// program defines them, so the boxes are recorded.

#include <windows.h>

#include <control.h>
#include <strmif.h>
#include <tlhelp32.h>
#include <uuids.h>
#include <winternl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "app/services/ShowMessage.h"
#include "app/tracking/Tracking.h"
#include "app/window/WinDlgLayout.h"
#include "framework/base/ComPtr.h"
#include "framework/ui/PumpedWait.h"
#include "framework/win/Handles.h"
#include "graph/ClonePreview.h"
#include "graph/ClonePreviewPlacement.h"
#include "graph/ClonePreviewState.h"
#include "graph/FilterLookup.h"
#include "graph/ScreenCaptureSettings.h"
#include "settings/Settings.h"
#include "tests/wine/driver/Driver.h"
#include "tests/wine/graph/FakeScreenCaptureFilter.h"
#include "tests/wine/graph/UnregisteredClassFactory.h"

namespace {

std::vector<std::wstring> g_messages;
HWND g_tracked = nullptr;
bool g_background = false;
int g_relativeScale = 100;

}  // namespace

int ShowMessage(const std::wstring& text, UINT) {
    g_messages.push_back(text);
    return IDOK;
}

HWND TrackedWindow() { return g_tracked; }
bool BackgroundActive() { return g_background; }
int RelativeScale() { return g_relativeScale; }

namespace {

using capturetest::CaptureLog;
using capturetest::InstanceNumber;
using capturetest::UnregisteredClassFactory;
using Names = std::vector<std::wstring>;

constexpr int kStatusId = 118;
constexpr LONG kChildStyle = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS;

DWORD RunCommand(const std::wstring& command) {
    driver::Program program = driver::Program::Start(L"cmd.exe", L"/c " + command);
    DWORD code = 1;
    if (!program || !program.WaitForExit(60000, &code)) return 1;
    return code;
}

// The product's screen-capture filter registered for the whole program,
// COM opened on this thread as the recorder opens it.
class PreviewEnvironment : public testing::Environment {
public:
    void SetUp() override {
        ASSERT_EQ(RunCommand(L"regsvr32.exe /s \"" + driver::ProductFolder() + L"pixark.ax\""), 0u);
        m_apartment = std::make_unique<win::ScopedComApartment>(COINIT_APARTMENTTHREADED);
        ASSERT_TRUE(m_apartment->Succeeded());
    }
    void TearDown() override {
        ClonePreview() = ClonePreviewState();
        m_apartment.reset();
        RunCommand(L"regsvr32.exe /s /u \"" + driver::ProductFolder() + L"pixark.ax\"");
    }

private:
    std::unique_ptr<win::ScopedComApartment> m_apartment;
};

testing::Environment* const g_environment = testing::AddGlobalTestEnvironment(new PreviewEnvironment);

// A top-level pop-up titled "Quorra" whose window is its client area, with
// the status control 118 along its bottom, a tenth of its height.
class StandInRecorder {
public:
    StandInRecorder(int x, int y, int width, int height) {
        static const ATOM atom = [] {
            WNDCLASSW wc{};
            wc.lpfnWndProc = ::DefWindowProcW;
            wc.hInstance = ::GetModuleHandleW(nullptr);
            wc.hbrBackground = static_cast<HBRUSH>(::GetStockObject(GRAY_BRUSH));
            wc.lpszClassName = L"TelvanePreviewTestRecorder";
            return ::RegisterClassW(&wc);
        }();
        m_window = ::CreateWindowExW(0, reinterpret_cast<LPCWSTR>(static_cast<ULONG_PTR>(atom)), L"Quorra",
                                     WS_POPUP | WS_VISIBLE, x, y, width, height, nullptr, nullptr,
                                     ::GetModuleHandleW(nullptr), nullptr);
        ::CreateWindowExW(0, L"STATIC", L"status", WS_CHILD | WS_VISIBLE, 0, height - height / 10, width, height / 10,
                          m_window, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kStatusId)),
                          ::GetModuleHandleW(nullptr), nullptr);
        PumpPendingMessages();
    }
    ~StandInRecorder() {
        if (m_window) ::DestroyWindow(m_window);
        PumpPendingMessages();
    }
    StandInRecorder(const StandInRecorder&) = delete;
    StandInRecorder& operator=(const StandInRecorder&) = delete;

    HWND Get() const { return m_window; }
    int StatusHeight() const {
        RECT r{};
        ::GetWindowRect(::GetDlgItem(m_window, kStatusId), &r);
        return r.bottom - r.top;
    }

    // The direct children other than the status control: the video window.
    std::vector<HWND> VideoChildren() const {
        std::vector<HWND> found;
        for (HWND child = ::GetWindow(m_window, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT))
            if (::GetDlgCtrlID(child) != kStatusId) found.push_back(child);
        return found;
    }

    // A child's rectangle in this window's client pixels.
    ScreenRect ClientRectOf(HWND child) const {
        RECT r = driver::WindowRect(child);
        ::MapWindowPoints(nullptr, m_window, reinterpret_cast<POINT*>(&r), 2);
        return {r.left, r.top, r.right, r.bottom};
    }

private:
    HWND m_window = nullptr;
};

std::vector<std::wstring> FilterNames(IGraphBuilder* graph) {
    std::vector<std::wstring> names;
    ComPtr<IEnumFilters> filters;
    if (!graph || FAILED(graph->EnumFilters(&filters))) return names;
    ComPtr<IBaseFilter> filter;
    while (filters->Next(1, &filter, nullptr) == S_OK) {
        FILTER_INFO info{};
        if (SUCCEEDED(filter->QueryFilterInfo(&info))) {
            if (info.pGraph) info.pGraph->Release();
            names.push_back(info.achName);
        }
    }
    return names;
}

class ClonePreviewTest : public testing::Test {
protected:
    void SetUp() override {
        g_messages.clear();
        g_tracked = nullptr;
        g_background = false;
        g_relativeScale = 100;
        Settings = SettingsRecord();
        Settings.ShowVideo = 1;
        Settings.MiniClone = 0;
        Settings.Size = 100;
        Settings.Bitcount = 24;
        Settings.Cursor = 1;
        Settings.Monitor = 1;
        Settings.xTop = 40;
        Settings.yTop = 40;
        Settings.xBottom = 360;
        Settings.yBottom = 280;
        // What the recording would hand its filter; the preview never does.
        Settings.FrameRate = 29.97f;
        Settings.Protocol = 1;
        Settings.VideoBitrate = 350;
        ClonePreview() = ClonePreviewState();
        ASSERT_EQ(CreatePreviewGraphInterfaces(), S_OK);
    }
    void TearDown() override {
        if (ClonePreview().mediaControl2) ClonePreview().mediaControl2->Stop();
        ReleaseClonePreview();
        ClonePreview() = ClonePreviewState();
        PumpPendingMessages();
    }
};

TEST_F(ClonePreviewTest, StartUpInterfacesAreAFreshGraphWithItsControls) {
    const ClonePreviewState& state = ClonePreview();
    EXPECT_TRUE(state.graph2);
    EXPECT_TRUE(state.captureBuilder2);
    EXPECT_TRUE(state.mediaControl2);
    EXPECT_TRUE(state.videoWindow2);
    EXPECT_TRUE(state.basicVideo2);
    ComPtr<IGraphBuilder> attached;
    ASSERT_EQ(state.captureBuilder2->GetFiltergraph(&attached), S_OK);
    EXPECT_EQ(attached, state.graph2);
    EXPECT_TRUE(FilterNames(state.graph2.Get()).empty());
    EXPECT_FALSE(ClonePreviewRunning());

    // The release keeps basicVideo2, as the next creation replaces it.
    ReleaseClonePreview();
    EXPECT_FALSE(state.graph2);
    EXPECT_FALSE(state.captureBuilder2);
    EXPECT_FALSE(state.mediaControl2);
    EXPECT_FALSE(state.videoWindow2);
    EXPECT_TRUE(state.basicVideo2);
}

TEST_F(ClonePreviewTest, NothingIsBuiltWithoutTheVideoOrTheRecorderWindow) {
    capturetest::ScopedFakeCaptureClass fake;
    ASSERT_TRUE(fake.Registered());
    const ComPtr<IGraphBuilder> before = ClonePreview().graph2;

    // No recorder window.
    EXPECT_TRUE(BuildClonePreview());
    StopClonePreview();
    EXPECT_EQ(ClonePreview().graph2, before);

    // A recorder window but "ShowVideo" 0.
    StandInRecorder recorder(600, 400, 520, 230);
    Settings.ShowVideo = 0;
    EXPECT_TRUE(BuildClonePreview());
    StopClonePreview();
    EXPECT_EQ(ClonePreview().graph2, before);

    EXPECT_EQ(CaptureLog().instancesCreated, 0);
    EXPECT_TRUE(g_messages.empty());
    EXPECT_TRUE(recorder.VideoChildren().empty());
    EXPECT_FALSE(ClonePreviewRunning());
}

TEST_F(ClonePreviewTest, AFilterRefusingItsSettingsShowsFourMessagesInOrder) {
    StandInRecorder recorder(600, 400, 520, 230);
    capturetest::ScopedFakeCaptureClass fake;
    ASSERT_TRUE(fake.Registered());
    CaptureLog().result = E_INVALIDARG;

    EXPECT_FALSE(BuildClonePreview());
    EXPECT_EQ(g_messages, Names({L"FAIL settings 1", L"Cannot communicate with screen capture filter 2",
                                 L"FAIL settings 1", L"Cannot setup screen capture filter"}));
    // Both configurations went to the first instance: the set-up stopped
    // before a second one was made, and nothing reached graph2.
    EXPECT_EQ(CaptureLog().instancesCreated, 1);
    ASSERT_EQ(CaptureLog().calls.size(), 2u);
    EXPECT_EQ(CaptureLog().calls[0].instance, 1);
    EXPECT_EQ(CaptureLog().calls[1].instance, 1);
    EXPECT_TRUE(FilterNames(ClonePreview().graph2.Get()).empty());
    EXPECT_TRUE(recorder.VideoChildren().empty());
    EXPECT_FALSE(ClonePreviewRunning());
}

TEST_F(ClonePreviewTest, AnUnregisteredFilterShowsTwoMessages) {
    StandInRecorder recorder(600, 400, 520, 230);
    UnregisteredClassFactory missing;
    DWORD cookie = 0;
    ASSERT_EQ(
        ::CoRegisterClassObject(kScreenCaptureFilterClsid, &missing, CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE, &cookie),
        S_OK);
    EXPECT_FALSE(BuildClonePreview());
    ::CoRevokeClassObject(cookie);
    EXPECT_EQ(g_messages, Names({L"Cannot create screen capture filter 2", L"Cannot setup screen capture filter"}));
    EXPECT_FALSE(ClonePreview().CloneCaptureFilter);
    EXPECT_TRUE(FilterNames(ClonePreview().graph2.Get()).empty());
}

TEST_F(ClonePreviewTest, ThePreviewsSettingsReachBothInstancesAndTheLastPinIsRendered) {
    StandInRecorder recorder(600, 400, 520, 230);
    capturetest::ScopedFakeCaptureClass fake;
    ASSERT_TRUE(fake.Registered());
    g_tracked = reinterpret_cast<HWND>(static_cast<intptr_t>(0x0003029A));
    g_background = true;
    g_relativeScale = 150;
    Settings.Monitor = 2;

    // The stand-in's one pin is "Output": the lookup for "Capture" falls back
    // to it, so the build gets as far as the render, which fails because the
    // stand-in offers no media type ("Cannot render cloned video" would mean
    // no pin was found).
    EXPECT_FALSE(BuildClonePreview());
    EXPECT_EQ(g_messages, Names({L"Cannot render screen"}));

    const ScreenCaptureArgumentList expected = {5, 24, 40, 40, 360, 280, 100, 1000, 1, 1, 0, 0x0003029A, 1, 0, 150, 0};
    ASSERT_EQ(CaptureLog().calls.size(), 2u);
    EXPECT_EQ(CaptureLog().calls[0].instance, 1);
    EXPECT_EQ(CaptureLog().calls[0].arguments, expected);
    EXPECT_EQ(CaptureLog().calls[1].instance, 2);
    EXPECT_EQ(CaptureLog().calls[1].arguments, expected);
    EXPECT_EQ(CaptureLog().instancesCreated, 2);

    const ClonePreviewState& state = ClonePreview();
    EXPECT_EQ(InstanceNumber(state.CloneCaptureFilter.Get()), 2);
    EXPECT_EQ(InstanceNumber(state.CloneSettings.Get()), 2);
    EXPECT_TRUE(state.renderer2);
    std::vector<std::wstring> names = FilterNames(state.graph2.Get());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, Names({L"Pixark BCK", L"Video Renderer"}));
    EXPECT_FALSE(ClonePreviewRunning());

    // The next stop empties graph2; the settings interface stays held.
    const ComPtr<IGraphBuilder> failed = state.graph2;
    StopClonePreview();
    EXPECT_NE(state.graph2, failed);
    EXPECT_TRUE(FilterNames(state.graph2.Get()).empty());
    EXPECT_TRUE(FilterNames(failed.Get()).empty());
    EXPECT_FALSE(state.CloneCaptureFilter);
    EXPECT_FALSE(state.renderer2);
    EXPECT_EQ(InstanceNumber(state.CloneSettings.Get()), 2);
    EXPECT_TRUE(state.mediaControl2 && state.videoWindow2 && state.basicVideo2 && state.captureBuilder2);
}

TEST_F(ClonePreviewTest, TheProductsFilterRunsInAChildWindowOfTheRecorder) {
    const struct {
        int miniClone;
        int size;
        int width, height;
        int setTopWindow;
    } cases[] = {
        {0, 100, 520, 230, 0},
        {0, 150, 780, 345, 1},
        {1, 100, 207, 135, 1},
        {1, 150, 310, 202, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "MiniClone " << c.miniClone << ", Size " << c.size);
        Settings.MiniClone = c.miniClone;
        Settings.Size = c.size;
        Settings.SetTopWindow = c.setTopWindow;
        StandInRecorder recorder(600, 400, c.width, c.height);

        ASSERT_TRUE(BuildClonePreview());
        EXPECT_TRUE(g_messages.empty());
        EXPECT_TRUE(ClonePreviewRunning());
        const ClonePreviewState& state = ClonePreview();
        EXPECT_TRUE(state.CloneSettings);
        OAFilterState filterState = State_Stopped;
        EXPECT_EQ(state.mediaControl2->GetState(2000, &filterState), S_OK);
        EXPECT_EQ(filterState, State_Running);

        const std::vector<HWND> video = recorder.VideoChildren();
        ASSERT_EQ(video.size(), 1u);
        EXPECT_EQ(::GetParent(video[0]), recorder.Get());
        EXPECT_EQ(static_cast<LONG>(::GetWindowLongW(video[0], GWL_STYLE)) & kChildStyle, kChildStyle);
        EXPECT_TRUE(::IsWindowVisible(video[0]));
        const ScreenRect expected = ClonePreviewRect(
            c.miniClone, c.width, c.height, UiScale(c.size),
            ComputeSmallLayout(c.width, c.height, UiScale(c.size)).record.bottom, recorder.StatusHeight());
        EXPECT_EQ(recorder.ClientRectOf(video[0]), expected);
        if (c.miniClone == 0 && c.size == 150) {
            EXPECT_EQ(expected, (ScreenRect{292, 58, 292 + 451, 58 + 205}));
        }

        // The recorder window is layered after the build only with "SetTopWindow".
        const LONG exStyle = ::GetWindowLongW(recorder.Get(), GWL_EXSTYLE);
        EXPECT_EQ((exStyle & WS_EX_LAYERED) != 0, c.setTopWindow != 0);
        EXPECT_EQ(exStyle & WS_EX_TRANSPARENT, 0);

        PumpFor(300);
        StopClonePreview();
        EXPECT_FALSE(ClonePreviewRunning());
        EXPECT_TRUE(recorder.VideoChildren().empty());
        EXPECT_TRUE(FilterNames(state.graph2.Get()).empty());
    }
}

struct ProcessCounts {
    DWORD handles = 0;
    DWORD gdiObjects = 0;
    DWORD userObjects = 0;  // 0 under Wine
    int threads = 0;
    int windows = 0;  // top-level windows of this process and all their children
};

BOOL CALLBACK CountChild(HWND, LPARAM counted) {
    ++*reinterpret_cast<int*>(counted);
    return TRUE;
}

BOOL CALLBACK CountTopLevel(HWND window, LPARAM counted) {
    DWORD process = 0;
    ::GetWindowThreadProcessId(window, &process);
    if (process != ::GetCurrentProcessId()) return TRUE;
    ++*reinterpret_cast<int*>(counted);
    ::EnumChildWindows(window, CountChild, counted);
    return TRUE;
}

// Kernel handles are multiples of 4; each one this process holds answers
// GetHandleInformation. (Wine answers GetProcessHandleCount with 0.)
DWORD CountKernelHandles() {
    DWORD count = 0;
    for (ULONG_PTR value = 4; value < 0x20000; value += 4) {
        DWORD flags = 0;
        if (::GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags)) ++count;
    }
    return count;
}

// Wine answers GetGuiResources with 0; its GDI objects are entries of the
// process's handle table that the PEB points to (at 0x94 in a 32-bit PEB):
// 0x10000 entries of 24 bytes, an entry in use having a non-zero type byte at
// offset 14.
DWORD CountGdiObjects() {
    const DWORD reported = ::GetGuiResources(::GetCurrentProcess(), GR_GDIOBJECTS);
    if (reported != 0) return reported;
    using GetPeb = void*(WINAPI*)();
    const auto rtlGetCurrentPeb = reinterpret_cast<GetPeb>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "RtlGetCurrentPeb")));
    if (!rtlGetCurrentPeb) return 0;
    const auto* peb = static_cast<const BYTE*>(rtlGetCurrentPeb());
    const BYTE* table = *reinterpret_cast<const BYTE* const*>(peb + 0x94);
    if (!table) return 0;
    DWORD count = 0;
    for (size_t i = 0; i < 0x10000; ++i)
        if (table[i * 24 + 14] != 0) ++count;
    return count;
}

ProcessCounts CountProcess() {
    ProcessCounts counts;
    counts.handles = CountKernelHandles();
    counts.gdiObjects = CountGdiObjects();
    counts.userObjects = ::GetGuiResources(::GetCurrentProcess(), GR_USEROBJECTS);
    win::Handle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0));
    THREADENTRY32 entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL more = ::Thread32First(snapshot.Get(), &entry); more; more = ::Thread32Next(snapshot.Get(), &entry))
        if (entry.th32OwnerProcessID == ::GetCurrentProcessId()) ++counts.threads;
    ::EnumWindows(CountTopLevel, reinterpret_cast<LPARAM>(&counts.windows));
    return counts;
}

std::ostream& operator<<(std::ostream& os, const ProcessCounts& c) {
    return os << c.handles << " handles, " << c.gdiObjects << " GDI objects, " << c.userObjects << " USER objects, "
              << c.threads << " threads, " << c.windows << " windows";
}

// Wine 8 itself keeps one kernel handle for every device moniker its
// enumerator hands out and one for every filter graph manager, however they
// are released (measured with bare calls). Each rebuild makes one manager
// and one lookup of the "Video Renderer"; this is what the same calls leave
// per rebuild, 0 on Windows.
DWORD WineHandlesPerRebuild() {
    const DWORD start = CountKernelHandles();
    for (int i = 0; i < 10; ++i) {
        FindDeviceFilter(CLSID_LegacyAmFilterCategory, L"Video Renderer");
        ComPtr<IGraphBuilder> graph;
        ::CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_IGraphBuilder,
                           reinterpret_cast<void**>(&graph));
    }
    const DWORD grown = CountKernelHandles() - start;
    EXPECT_EQ(grown % 10, 0u) << grown;
    return grown / 10;
}

TEST_F(ClonePreviewTest, AHundredRebuildsLeaveNothingBehind) {
    Settings.MiniClone = 1;
    StandInRecorder recorder(600, 400, 207, 135);
    // The first build loads what stays loaded (the filter's module, the
    // renderer, the manager's caches); the counts are taken after it, with
    // one preview running, and again with the hundredth running.
    ASSERT_TRUE(BuildClonePreview());
    PumpFor(500);
    const DWORD wineShare = WineHandlesPerRebuild();
    const ProcessCounts before = CountProcess();
    const HWND firstVideo = recorder.VideoChildren().at(0);

    const ULONGLONG start = ::GetTickCount64();
    for (int i = 0; i < 100; ++i) {
        ASSERT_TRUE(BuildClonePreview()) << i;
        PumpFor(10);
    }
    const ULONGLONG elapsed = ::GetTickCount64() - start;
    EXPECT_TRUE(g_messages.empty());
    EXPECT_TRUE(ClonePreviewRunning());
    const std::vector<HWND> video = recorder.VideoChildren();
    ASSERT_EQ(video.size(), 1u);
    EXPECT_NE(video[0], firstVideo);
    EXPECT_FALSE(::IsWindow(firstVideo));

    // Threads that end after a stop (the capture's stream, the manager's)
    // may take a moment to be gone.
    ProcessCounts after;
    driver::PollUntil(5000, [&] {
        PumpFor(100);
        after = CountProcess();
        return after.threads <= before.threads && after.handles <= before.handles + 100 * wineShare;
    });
    RecordProperty("before", testing::PrintToString(before));
    RecordProperty("after", testing::PrintToString(after));
    RecordProperty("milliseconds", static_cast<int>(elapsed));
    RecordProperty("wine_handles_per_rebuild", static_cast<int>(wineShare));
    std::printf("before: %s\nafter:  %s\nWine's own handles per rebuild: %u\n100 rebuilds: %u ms\n",
                testing::PrintToString(before).c_str(), testing::PrintToString(after).c_str(),
                static_cast<unsigned>(wineShare), static_cast<unsigned>(elapsed));
    EXPECT_EQ(after.threads, before.threads);
    EXPECT_EQ(after.handles, before.handles + 100 * wineShare);
    EXPECT_EQ(after.gdiObjects, before.gdiObjects);
    EXPECT_EQ(after.userObjects, before.userObjects);
    EXPECT_EQ(after.windows, before.windows);
}

}  // namespace
