#include "graph/CaptureFilterSetUp.h"

#include <string>

#include "app/services/ShowMessage.h"
#include "graph/FailureNames.h"
#include "graph/ScreenCaptureSettings.h"

namespace {

constexpr wchar_t kScreenCaptureFilterName[] = L"Pixark BCK";

}  // namespace

std::int32_t CaptureWindowValue(HWND window) {
    return static_cast<std::int32_t>(reinterpret_cast<std::intptr_t>(window));
}

ComPtr<IBaseFilter> CreateScreenCaptureInstance() {
    ComPtr<IBaseFilter> filter;
    if (FAILED(::CoCreateInstance(kScreenCaptureFilterClsid, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER,
                                  IID_IBaseFilter, reinterpret_cast<void**>(&filter))))
        return nullptr;
    return filter;
}

bool SetUpScreenCaptureFilter(IGraphBuilder* graph, ComPtr<IBaseFilter>& filter, bool (*configure)(),
                              const wchar_t* notCreated, const wchar_t* notConfigured) {
    filter = CreateScreenCaptureInstance();
    if (!filter) {
        ShowMessage(notCreated);
        return false;
    }
    if (!configure()) {
        ShowMessage(notConfigured);
        return false;
    }

    // The first instance only hands the settings over; it was never added,
    // so removing it fails harmlessly.
    if (graph) graph->RemoveFilter(filter.Get());
    filter = CreateScreenCaptureInstance();

    HRESULT hr = E_POINTER;
    if (graph && filter) hr = graph->AddFilter(filter.Get(), kScreenCaptureFilterName);
    if (SUCCEEDED(hr)) return true;

    ShowMessage(L"Cannot add screen capture filter");
    ShowMessage(std::wstring(L"Cannot add video filter (") + AddFilterFailureName(static_cast<std::uint32_t>(hr)) +
                L")");
    return false;
}
