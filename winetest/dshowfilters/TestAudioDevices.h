#pragma once
#include <windows.h>
#include <string>
#include <vector>
namespace winetest {
// Registers one stand-in audio capture device under CLSID_AudioInputDeviceCategory
// with this friendly name and these mixer-line input pins (empty: the default list).
// Devices enumerate before Wine's own, in the order they were added, so two
// devices with the same friendly name are told apart by order (and by their pins).
HRESULT AddTestAudioDevice(const std::wstring& friendlyName, const std::vector<std::wstring>& inputPins);
// Removes every device AddTestAudioDevice registered (from any process), leaving Wine's own.
HRESULT RemoveTestAudioDevices();
}  // namespace winetest
