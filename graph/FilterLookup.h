#pragma once
// Finding DirectShow filters and pins by name: registered devices and
// filters by category and friendly name, pins by direction and name, the
// listings that fill the name tables (DeviceNameTables.h), and a filter's
// property pages. Everything runs on the GUI thread and reports progress
// with AppendLog; "not found" is an empty result and a log line, never a
// message box. Every returned filter or pin carries the caller's reference.
//
// Names are compared exactly, case-sensitively, as whole strings. Pin
// directions are PINDIR_INPUT (0) and PINDIR_OUTPUT (1).

#include <windows.h>

#include <strmif.h>

#include <string>

#include "framework/base/ComPtr.h"

// Creates the class in-process as IBaseFilter. E_POINTER for an empty out
// argument; on failure logs it, empties *filter and returns the failure.
HRESULT CreateFilter(REFCLSID clsid, IBaseFilter** filter);

// The device of the category with that friendly name, or none. Empties
// DeviceNames. Of several devices with the name the last in enumeration
// order is taken, except for "Video Renderer" (the system registers two
// filters under it): the second one that binds.
ComPtr<IBaseFilter> FindDeviceFilter(REFCLSID category, const std::wstring& name);

// FindDeviceFilter, then the filter is added under its name to the
// recording graph's manager (RecordingGraph().graph). A failed add is
// logged and the filter still returned. The latest result is also kept
// until the next call.
ComPtr<IBaseFilter> AddDeviceFilter(REFCLSID category, const std::wstring& name);

// The same for the clone preview, whose graph manager is passed in.
ComPtr<IBaseFilter> AddPreviewDeviceFilter(REFCLSID category, const std::wstring& name, IGraphBuilder* previewGraph);

// The same search with every step logged, stopping at the first device
// with the name whose bind succeeds.
ComPtr<IBaseFilter> FindAudioInputFilter(REFCLSID category, const std::wstring& name);

// Fills DeviceNames with the category's friendly names, at most 11, logging
// each. Returns the enumerator's last result: S_FALSE when every device was
// listed (or the category is empty), S_OK when the table filled up first, a
// failure when the enumerator could not be made.
HRESULT ListCategoryDevices(REFCLSID category);

// The filter's first pin of the direction with that name; when none has
// it, the last pin enumerated whatever its direction (none for a filter
// without pins or an empty filter).
ComPtr<IPin> GetPinByName(IBaseFilter* filter, PIN_DIRECTION direction, const std::wstring& name);

// The pin at the zero-based index among the filter's pins of the direction.
// E_POINTER for an empty filter or out argument, E_FAIL past the end.
HRESULT GetNthPin(IBaseFilter* filter, PIN_DIRECTION direction, int index, IPin** pin);

// Fills InputPinNames or OutputPinNames with the names of the filter's pins
// of the direction, at most 11, logging each. E_NOINTERFACE for an empty
// filter; a failing enumeration returns its result with the names so far.
HRESULT ListPinNames(IBaseFilter* filter, PIN_DIRECTION direction);

// The number of the filter's pins of both directions, one log line each.
HRESULT CountPins(IBaseFilter* filter, int* count);

// Opens the filter's property pages in a modal frame (no owner, at 0,0,
// captioned with the filter's name) and returns the frame's result; a
// filter without pages logs so and returns S_OK without opening anything.
HRESULT ShowPropertyPages(IBaseFilter* filter);

// Whether the last filter given to ShowPropertyPages has property pages.
bool PropertyPagesAvailable();
