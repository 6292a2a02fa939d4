#include "audio/Win32CaptureEndpoints.h"

#include <propidl.h>

namespace {

// PKEY_Device_FriendlyName; mingw declares it without a library that defines it.
const PROPERTYKEY kFriendlyName = {{0xa45c254e, 0xdf1c, 0x4efd, {0x80, 0x20, 0x67, 0xd1, 0x46, 0xa8, 0x50, 0xe0}}, 14};

ComPtr<IAudioEndpointVolume>& KeptVolume() {
    static ComPtr<IAudioEndpointVolume> volume;
    return volume;
}

// Clears the variant whatever it holds.
class ScopedPropVariant {
public:
    ScopedPropVariant() { ::PropVariantInit(&value); }
    ~ScopedPropVariant() { ::PropVariantClear(&value); }
    ScopedPropVariant(const ScopedPropVariant&) = delete;
    ScopedPropVariant& operator=(const ScopedPropVariant&) = delete;
    PROPVARIANT value;
};

}  // namespace

IAudioEndpointVolume* SecondSourceVolume() { return KeptVolume().Get(); }

bool Win32CaptureEndpoints::Open(std::uint32_t& count) {
    count = 0;
    if (FAILED(m_create(&m_enumerator)) || !m_enumerator) return false;
    if (FAILED(m_enumerator->EnumAudioEndpoints(eCapture, DEVICE_STATE_ACTIVE, &m_devices)) || !m_devices) return false;
    UINT n = 0;
    if (FAILED(m_devices->GetCount(&n))) return false;
    count = n;
    return true;
}

AudioResult Win32CaptureEndpoints::Item(std::uint32_t i) {
    m_properties.Reset();
    m_id.Reset();
    HRESULT hr = m_devices->Item(i, &m_device);
    if (SUCCEEDED(hr) && !m_device) hr = E_POINTER;
    return hr;
}

AudioResult Win32CaptureEndpoints::GetId() { return m_device->GetId(m_id.Put()); }

AudioResult Win32CaptureEndpoints::OpenPropertyStore() {
    HRESULT hr = m_device->OpenPropertyStore(STGM_READ, &m_properties);
    if (SUCCEEDED(hr) && !m_properties) hr = E_POINTER;
    return hr;
}

AudioResult Win32CaptureEndpoints::FriendlyName(std::wstring& name) {
    ScopedPropVariant friendly;
    const HRESULT hr = m_properties->GetValue(kFriendlyName, &friendly.value);
    if (FAILED(hr)) return hr;
    if (friendly.value.vt != VT_LPWSTR || !friendly.value.pwszVal) return E_UNEXPECTED;
    name = friendly.value.pwszVal;
    return hr;
}

AudioResult Win32CaptureEndpoints::ActivateVolume() {
    ComPtr<IAudioEndpointVolume> volume;
    const HRESULT hr = m_device->Activate(__uuidof(IAudioEndpointVolume), CLSCTX_INPROC_SERVER, nullptr,
                                          reinterpret_cast<void**>(&volume));
    if (SUCCEEDED(hr) && volume) KeptVolume() = volume;
    return SUCCEEDED(hr) && !volume ? E_POINTER : hr;
}

AudioResult Win32CaptureEndpoints::Unmute() {
    IAudioEndpointVolume* volume = KeptVolume().Get();
    return volume ? volume->SetMute(FALSE, nullptr) : E_POINTER;
}

void Win32CaptureEndpoints::ReleaseAll() {
    m_properties.Reset();
    m_id.Reset();
    m_device.Reset();
    m_devices.Reset();
    m_enumerator.Reset();
}
