#pragma once
// EndpointProbe over the MMDevice API and WASAPI.

#include <windows.h>

#include <audioclient.h>
#include <mmdeviceapi.h>

#include "audio/EndpointSeams.h"
#include "framework/base/ComPtr.h"

// How an enumerator is made: CLSID_MMDeviceEnumerator through COM in the
// recorder; tests hand in scripted ones.
using CreateEnumeratorFn = HRESULT (*)(IMMDeviceEnumerator** out);
HRESULT CreateSystemEnumerator(IMMDeviceEnumerator** out);

class Win32EndpointProbe final : public EndpointProbe {
public:
    explicit Win32EndpointProbe(CreateEnumeratorFn create = &CreateSystemEnumerator) : m_create(create) {}

    AudioResult CreateEnumerator() override;
    AudioResult OpenDefaultEndpoint(EndpointRole role) override;
    AudioResult ActivateClient() override;
    AudioResult GetMixFormat(WaveFormat& mix) override;
    AudioResult IsFormatSupported(const WaveFormat& proposed, bool& hasClosest, WaveFormat& closest,
                                  std::uint32_t& closestAddress) override;
    AudioResult Initialize(bool loopback, std::int64_t bufferDuration, const WaveFormat& format) override;
    AudioResult GetBufferSize(std::uint32_t& frames) override;
    AudioResult GetCaptureService() override;
    AudioResult Start() override;
    void ReleaseAll() override;

private:
    CreateEnumeratorFn m_create;
    ComPtr<IMMDeviceEnumerator> m_enumerator;
    ComPtr<IMMDevice> m_device;
    ComPtr<IAudioClient> m_client;
    ComPtr<IAudioCaptureClient> m_capture;
};
