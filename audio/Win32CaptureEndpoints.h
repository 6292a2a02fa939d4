#pragma once
// CaptureEndpointList over the MMDevice API, and the second source's volume
// control that it keeps for the process.

#include <windows.h>

#include <endpointvolume.h>
#include <mmdeviceapi.h>

#include "audio/EndpointSeams.h"
#include "audio/Win32EndpointProbe.h"
#include "framework/base/ComPtr.h"
#include "framework/win/Handles.h"

class Win32CaptureEndpoints final : public CaptureEndpointList {
public:
    explicit Win32CaptureEndpoints(CreateEnumeratorFn create = &CreateSystemEnumerator) : m_create(create) {}

    bool Open(std::uint32_t& count) override;
    AudioResult Item(std::uint32_t i) override;
    AudioResult GetId() override;
    AudioResult OpenPropertyStore() override;
    AudioResult FriendlyName(std::wstring& name) override;
    AudioResult ActivateVolume() override;
    AudioResult Unmute() override;
    void ReleaseAll() override;

private:
    CreateEnumeratorFn m_create;
    ComPtr<IMMDeviceEnumerator> m_enumerator;
    ComPtr<IMMDeviceCollection> m_devices;
    ComPtr<IMMDevice> m_device;
    win::CoTaskMemPtr<wchar_t> m_id;
    ComPtr<IPropertyStore> m_properties;
};

// The volume control of the microphone that matched the second source; null
// until one matched. It stays for the process once set (the audio setup
// dialog skips the search while it is set). GUI thread only.
IAudioEndpointVolume* SecondSourceVolume();
