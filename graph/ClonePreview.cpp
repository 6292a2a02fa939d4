#include "graph/ClonePreview.h"

#include <control.h>
#include <strmif.h>
#include <uuids.h>

#include <string>

#include "app/services/ShowMessage.h"
#include "graph/CaptureFilterSetUp.h"
#include "graph/CloneCaptureArguments.h"
#include "graph/ClonePreviewPlacement.h"
#include "graph/ClonePreviewState.h"
#include "graph/FilterLookup.h"
#include "graph/RecorderLayering.h"
#include "graph/RecorderLink.h"
#include "settings/Settings.h"

namespace {

constexpr int kStatusControlId = 118;
// WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS.
constexpr long kVideoWindowStyle = 0x54000000;
// OLE Automation booleans for IVideoWindow (its header leaves the macros out).
constexpr long kOaTrue = -1;

bool Fail(const std::wstring& message) {
    ShowMessage(message);
    return false;
}

// The recorder window of this process: the dialog titled "Quorra". Another
// program's window of that name cannot own the preview.
HWND RecorderWindowHandle() {
    HWND window = nullptr;
    while ((window = ::FindWindowExW(nullptr, window, nullptr, L"Quorra")) != nullptr) {
        DWORD process = 0;
        ::GetWindowThreadProcessId(window, &process);
        if (process == ::GetCurrentProcessId()) return window;
    }
    return nullptr;
}

int StatusControlHeight(HWND recorder) {
    RECT r{};
    HWND status = ::GetDlgItem(recorder, kStatusControlId);
    if (!status || !::GetWindowRect(status, &r)) return 0;
    return r.bottom - r.top;
}

// The renderer's window becomes a child of the recorder window, in the
// video area of its layout.
void ShowInRecorder(IVideoWindow* video, HWND recorder) {
    video->put_Owner(reinterpret_cast<OAHWND>(recorder));
    RECT client{};
    ::GetClientRect(recorder, &client);
    const double scale = RecorderInterfaceScale(Settings.Size);
    const int rowBottom = RecorderButtonRowBottom(client.right, client.bottom, scale);
    const ScreenRect place = ClonePreviewRect(Settings.MiniClone, client.right, client.bottom, scale, rowBottom,
                                              StatusControlHeight(recorder));
    video->SetWindowPosition(place.left, place.top, place.Width(), place.Height());
    video->put_AutoShow(kOaTrue);
    video->put_Visible(kOaTrue);
    video->put_WindowStyle(kVideoWindowStyle);
    video->SetWindowForeground(1);
}

}  // namespace

bool ConfigureCloneCapture() {
    ClonePreviewState& state = ClonePreview();
    IBaseFilter* const filter = state.CloneCaptureFilter.Get();
    if (!filter) return false;
    if (FAILED(
            filter->QueryInterface(__uuidof(IScreenCaptureSettings), reinterpret_cast<void**>(&state.CloneSettings))) ||
        !state.CloneSettings)
        return false;
    const ScreenCaptureArgumentList a =
        CloneCaptureArguments(Settings, CaptureWindowValue(TrackedWindow()), BackgroundActive(), RelativeScale());
    if (FAILED(state.CloneSettings->SetCaptureSettings(a[0], a[1], a[2], a[3], a[4], a[5], a[6], a[7], a[8], a[9],
                                                       a[10], a[11], a[12], a[13], a[14], a[15])))
        return Fail(L"FAIL settings 1");
    return true;
}

bool BuildClonePreview() {
    if (!RecorderWindowHandle() || Settings.ShowVideo == 0) return true;
    StopClonePreview();
    if (Settings.ShowVideo == 0) return true;

    ClonePreviewState& state = ClonePreview();
    if (!state.graph2) CreatePreviewGraphInterfaces();
    // Whatever this reports, the configuration of the instance in graph2
    // decides whether the build goes on.
    SetUpScreenCaptureFilter(state.graph2.Get(), state.CloneCaptureFilter, ConfigureCloneCapture,
                             L"Cannot create screen capture filter 2",
                             L"Cannot communicate with screen capture filter 2");
    if (!ConfigureCloneCapture()) return Fail(L"Cannot setup screen capture filter");

    // A missing renderer is reported below, with the pin.
    state.renderer2 = AddPreviewDeviceFilter(CLSID_LegacyAmFilterCategory, L"Video Renderer", state.graph2.Get());
    // The lookup falls back to the filter's last pin, so a capture filter
    // whose single pin has another name is rendered too.
    const ComPtr<IPin> capture = GetPinByName(state.CloneCaptureFilter.Get(), PINDIR_OUTPUT, L"Capture");
    if (!state.renderer2 || !capture) return Fail(L"Cannot render cloned video");
    if (!state.graph2 || FAILED(state.graph2->Render(capture.Get()))) return Fail(L"Cannot render screen");
    if (!state.mediaControl2 || !state.videoWindow2) return Fail(L"Cannot show video 2");

    if (HWND recorder = RecorderWindowHandle()) ShowInRecorder(state.videoWindow2.Get(), recorder);
    if (FAILED(state.mediaControl2->Run())) return Fail(L"Cannot show video 1");
    state.running = true;

    if (Settings.SetTopWindow != 0) RefreshLayeredStyle(RecorderWindowHandle());
    return true;
}

void StopClonePreview() {
    if (!RecorderWindowHandle() || Settings.ShowVideo == 0) return;
    ClonePreviewState& state = ClonePreview();
    if (state.mediaControl2) state.mediaControl2->Stop();
    ReleaseClonePreview();
    CreatePreviewGraphInterfaces();
}
