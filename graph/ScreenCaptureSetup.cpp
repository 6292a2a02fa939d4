#include "graph/ScreenCaptureSetup.h"

#include <strmif.h>

#include <cstdint>
#include <string>

#include "app/ShowMessage.h"
#include "app/Startup.h"
#include "app/Tracking.h"
#include "framework/base/ComPtr.h"
#include "graph/FailureNames.h"
#include "graph/RecordingGraphState.h"
#include "graph/ScreenCaptureArguments.h"
#include "settings/Settings.h"

namespace {

constexpr wchar_t kScreenCaptureFilterName[] = L"Pixark BCK";

// Never destroyed, like the graph's references: at exit the filter's server
// may already be unloaded, and releasing into it then would crash.
ComPtr<IScreenCaptureSettings>& KeptSettings() {
    static ComPtr<IScreenCaptureSettings>* const kept = new ComPtr<IScreenCaptureSettings>();
    return *kept;
}

ComPtr<IBaseFilter> CreateScreenCaptureInstance() {
    ComPtr<IBaseFilter> filter;
    const HRESULT hr =
        ::CoCreateInstance(kScreenCaptureFilterClsid, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER,
                           IID_IBaseFilter, reinterpret_cast<void**>(&filter));
    if (FAILED(hr)) return nullptr;
    return filter;
}

// The filter takes a window handle as its 32-bit value; on the 32-bit
// system this is the whole handle.
std::int32_t WindowValue(HWND window) { return static_cast<std::int32_t>(reinterpret_cast<std::intptr_t>(window)); }

}  // namespace

bool ConfigureScreenCapture() {
    IBaseFilter* const filter = RecordingGraph().ScreenCaptureFilter.Get();
    if (!filter) return false;
    ComPtr<IScreenCaptureSettings> settings;
    if (FAILED(filter->QueryInterface(__uuidof(IScreenCaptureSettings), reinterpret_cast<void**>(&settings))) ||
        !settings)
        return false;
    KeptSettings() = settings;

    const ScreenCaptureArgumentList a =
        ScreenCaptureArguments(Settings, WindowValue(TrackedWindow()), BackgroundActive(), Startup().DisplayScale2);
    return SUCCEEDED(settings->SetCaptureSettings(a[0], a[1], a[2], a[3], a[4], a[5], a[6], a[7], a[8], a[9], a[10],
                                                  a[11], a[12], a[13], a[14], a[15]));
}

bool CreateScreenCaptureFilter() {
    RecordingGraphState& state = RecordingGraph();
    state.ScreenCaptureFilter = CreateScreenCaptureInstance();
    if (!state.ScreenCaptureFilter) {
        ShowMessage(L"Cannot create screen capture filter");
        return false;
    }
    if (!ConfigureScreenCapture()) {
        ShowMessage(L"Cannot communicate with screen capture filter");
        return false;
    }

    // The first instance only hands the settings over; it was never added,
    // so removing it fails harmlessly.
    if (state.graph) state.graph->RemoveFilter(state.ScreenCaptureFilter.Get());
    state.ScreenCaptureFilter = CreateScreenCaptureInstance();

    HRESULT hr = E_POINTER;
    if (state.graph && state.ScreenCaptureFilter)
        hr = state.graph->AddFilter(state.ScreenCaptureFilter.Get(), kScreenCaptureFilterName);
    if (SUCCEEDED(hr)) return true;

    ShowMessage(L"Cannot add screen capture filter");
    ShowMessage(std::wstring(L"Cannot add video filter (") + AddFilterFailureName(static_cast<std::uint32_t>(hr)) +
                L")");
    return false;
}

IScreenCaptureSettings* KeptScreenCaptureSettings() { return KeptSettings().Get(); }
