#pragma once
// Helpers of the stand-in filter tests: the system device enumerator's
// view of a category, binding a device, pins by name and their names, a
// graph (control.h: IMediaControl, IMediaEvent).

#include <windows.h>

#include <control.h>
#include <evcode.h>
#include <mmreg.h>
#include <strmif.h>

#include <string>
#include <vector>

#include "framework/base/ComPtr.h"

struct DeviceEntry {
    std::wstring friendlyName;
    ComPtr<IMoniker> moniker;
};

// Every device of the category, in the enumerator's order.
std::vector<DeviceEntry> ListDevices(REFCLSID category);
std::vector<std::wstring> DeviceNames(REFCLSID category);
ComPtr<IBaseFilter> BindDevice(const DeviceEntry& device);
// The filter of the last device with this name (as the recorder's lookup
// takes it); null when none binds.
ComPtr<IBaseFilter> FindDevice(REFCLSID category, const std::wstring& friendlyName);

ComPtr<IPin> FindPin(IBaseFilter* filter, const wchar_t* name);
std::vector<std::wstring> PinNames(IBaseFilter* filter, PIN_DIRECTION dir);
// All pin names in enumeration order, whatever their direction.
std::vector<std::wstring> AllPinNames(IBaseFilter* filter);

ComPtr<IGraphBuilder> CreateGraph();
// The PCM type used throughout: 16-bit, `rate` Hz, `channels` channels.
WAVEFORMATEX PcmFormat(DWORD rate, WORD channels);
