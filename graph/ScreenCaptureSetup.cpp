#include "graph/ScreenCaptureSetup.h"

#include <strmif.h>

#include "app/Startup.h"
#include "framework/base/ComPtr.h"
#include "graph/CaptureFilterSetUp.h"
#include "graph/RecorderLink.h"
#include "graph/RecordingGraphState.h"
#include "graph/ScreenCaptureArguments.h"
#include "settings/Settings.h"

namespace {

// Never destroyed, like the graph's references: at exit the filter's server
// may already be unloaded, and releasing into it then would crash.
ComPtr<IScreenCaptureSettings>& KeptSettings() {
    static ComPtr<IScreenCaptureSettings>* const kept = new ComPtr<IScreenCaptureSettings>();
    return *kept;
}

}  // namespace

bool ConfigureScreenCapture() {
    IBaseFilter* const filter = RecordingGraph().ScreenCaptureFilter.Get();
    if (!filter) return false;
    ComPtr<IScreenCaptureSettings> settings;
    if (FAILED(filter->QueryInterface(__uuidof(IScreenCaptureSettings), reinterpret_cast<void**>(&settings))) ||
        !settings)
        return false;
    KeptSettings() = settings;

    const ScreenCaptureArgumentList a = ScreenCaptureArguments(Settings, CaptureWindowValue(TrackedWindow()),
                                                               BackgroundActive(), Startup().DisplayScale2);
    return SUCCEEDED(settings->SetCaptureSettings(a[0], a[1], a[2], a[3], a[4], a[5], a[6], a[7], a[8], a[9], a[10],
                                                  a[11], a[12], a[13], a[14], a[15]));
}

bool CreateScreenCaptureFilter() {
    RecordingGraphState& state = RecordingGraph();
    return SetUpScreenCaptureFilter(state.graph.Get(), state.ScreenCaptureFilter, ConfigureScreenCapture,
                                    L"Cannot create screen capture filter",
                                    L"Cannot communicate with screen capture filter");
}

IScreenCaptureSettings* KeptScreenCaptureSettings() { return KeptSettings().Get(); }
