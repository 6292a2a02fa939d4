#include "tests/wine/audio/CaptureVolumes.h"

#include <propidl.h>

namespace audiotest {

std::vector<std::wstring> CaptureNames(IMMDeviceEnumerator* e) {
    const PROPERTYKEY friendlyName = {{0xa45c254e, 0xdf1c, 0x4efd, {0x80, 0x20, 0x67, 0xd1, 0x46, 0xa8, 0x50, 0xe0}},
                                      14};
    std::vector<std::wstring> names;
    ComPtr<IMMDeviceCollection> devices;
    if (FAILED(e->EnumAudioEndpoints(eCapture, DEVICE_STATE_ACTIVE, &devices))) return names;
    UINT count = 0;
    devices->GetCount(&count);
    for (UINT i = 0; i < count; ++i) {
        ComPtr<IMMDevice> d;
        ComPtr<IPropertyStore> store;
        PROPVARIANT v;
        ::PropVariantInit(&v);
        if (SUCCEEDED(devices->Item(i, &d)) && SUCCEEDED(d->OpenPropertyStore(STGM_READ, &store)) &&
            SUCCEEDED(store->GetValue(friendlyName, &v)) && v.vt == VT_LPWSTR)
            names.push_back(v.pwszVal);
        else
            names.push_back(L"");
        ::PropVariantClear(&v);
    }
    return names;
}

ComPtr<IAudioEndpointVolume> Volume(IMMDeviceEnumerator* e, UINT index) {
    ComPtr<IMMDeviceCollection> devices;
    ComPtr<IMMDevice> d;
    ComPtr<IAudioEndpointVolume> volume;
    if (SUCCEEDED(e->EnumAudioEndpoints(eCapture, DEVICE_STATE_ACTIVE, &devices)) &&
        SUCCEEDED(devices->Item(index, &d)))
        d->Activate(__uuidof(IAudioEndpointVolume), CLSCTX_INPROC_SERVER, nullptr, reinterpret_cast<void**>(&volume));
    return volume;
}

}  // namespace audiotest
