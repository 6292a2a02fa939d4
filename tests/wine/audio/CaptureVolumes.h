#pragma once
// The platform's active capture endpoints as a test sees them from its own
// process: their names and each one's volume control, through the same
// enumerator the recorder uses.

#include <windows.h>

#include <endpointvolume.h>
#include <mmdeviceapi.h>

#include <string>
#include <vector>

#include "framework/base/ComPtr.h"

namespace audiotest {

// The active capture endpoints' friendly names, in collection order.
std::vector<std::wstring> CaptureNames(IMMDeviceEnumerator* e);

// The volume control of the active capture endpoint at index; null when it
// cannot be had.
ComPtr<IAudioEndpointVolume> Volume(IMMDeviceEnumerator* e, UINT index);

}  // namespace audiotest
