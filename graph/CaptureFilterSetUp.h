#pragma once
// How both graphs take the external screen-capture filter: a first instance
// is created and configured (the filter keeps the settings for the
// instances created after it), then dropped, and a second instance goes
// into the graph as "Pixark BCK". GUI thread only; messages through
// ShowMessage.

#include <windows.h>

#include <strmif.h>

#include <cstdint>

#include "framework/base/ComPtr.h"

// The filter's 32-bit value for a window: on the 32-bit system the whole
// handle.
std::int32_t CaptureWindowValue(HWND window);

// A new instance of the filter, or none.
ComPtr<IBaseFilter> CreateScreenCaptureInstance();

// The set-up above into `filter` and `graph`. `configure` configures the
// instance then in `filter`. False after the failure's messages:
// `notCreated` when no instance is made, `notConfigured` when the first
// configuration fails, or "Cannot add screen capture filter" then "Cannot
// add video filter (%s)" when the add fails.
bool SetUpScreenCaptureFilter(IGraphBuilder* graph, ComPtr<IBaseFilter>& filter, bool (*configure)(),
                              const wchar_t* notCreated, const wchar_t* notConfigured);
