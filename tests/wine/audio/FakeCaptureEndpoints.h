#pragma once
// A scripted MMDevice enumerator that lists capture endpoints by name, each
// with a volume control that records the mute calls it gets.

#include <windows.h>

#include <endpointvolume.h>
#include <mmdeviceapi.h>

#include <string>
#include <vector>

#include "tests/wine/capfilter/FakeCom.h"

class FakeVolume : public FakeCom<IAudioEndpointVolume> {
public:
    std::vector<BOOL> muteCalls;
    BOOL muted = TRUE;

    HRESULT STDMETHODCALLTYPE SetMute(BOOL mute, LPCGUID) override {
        muteCalls.push_back(mute);
        muted = mute;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetMute(BOOL* mute) override {
        *mute = muted;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE RegisterControlChangeNotify(IAudioEndpointVolumeCallback*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE UnregisterControlChangeNotify(IAudioEndpointVolumeCallback*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetChannelCount(UINT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetMasterVolumeLevel(FLOAT, LPCGUID) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetMasterVolumeLevelScalar(FLOAT, LPCGUID) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetMasterVolumeLevel(FLOAT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetMasterVolumeLevelScalar(FLOAT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetChannelVolumeLevel(UINT, FLOAT, LPCGUID) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetChannelVolumeLevelScalar(UINT, FLOAT, LPCGUID) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetChannelVolumeLevel(UINT, FLOAT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetChannelVolumeLevelScalar(UINT, FLOAT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetVolumeStepInfo(UINT*, UINT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE VolumeStepUp(LPCGUID) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE VolumeStepDown(LPCGUID) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE QueryHardwareSupport(DWORD*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetVolumeRange(FLOAT*, FLOAT*, FLOAT*) override { return E_NOTIMPL; }
};

// One capture endpoint; owns its volume control.
class FakeNamedDevice : public FakeCom<IMMDevice> {
public:
    explicit FakeNamedDevice(std::wstring name) : name(std::move(name)), volume(new FakeVolume) {}
    ~FakeNamedDevice() override { volume->Release(); }

    std::wstring name;
    FakeVolume* volume;
    HRESULT storeResult = S_OK;
    HRESULT nameResult = S_OK;
    HRESULT activateResult = S_OK;
    DWORD activateContext = 0;
    int idsHandedOut = 0;

    HRESULT STDMETHODCALLTYPE Activate(REFIID iid, DWORD ctx, PROPVARIANT* params, void** ppv) override;
    HRESULT STDMETHODCALLTYPE OpenPropertyStore(DWORD access, IPropertyStore** store) override;
    HRESULT STDMETHODCALLTYPE GetId(LPWSTR* id) override;
    HRESULT STDMETHODCALLTYPE GetState(DWORD* state) override;
};

// The enumerator: its collection of capture endpoints, in order; owns them.
class FakeListEnumerator : public FakeCom<IMMDeviceEnumerator> {
public:
    ~FakeListEnumerator() override;
    std::vector<FakeNamedDevice*> devices;
    HRESULT enumResult = S_OK;
    EDataFlow askedFlow = eAll;
    DWORD askedMask = 0;

    FakeNamedDevice* Add(const std::wstring& name);

    HRESULT STDMETHODCALLTYPE EnumAudioEndpoints(EDataFlow flow, DWORD mask, IMMDeviceCollection** out) override;
    HRESULT STDMETHODCALLTYPE GetDefaultAudioEndpoint(EDataFlow, ERole, IMMDevice**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetDevice(LPCWSTR, IMMDevice**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE RegisterEndpointNotificationCallback(IMMNotificationClient*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE UnregisterEndpointNotificationCallback(IMMNotificationClient*) override {
        return E_NOTIMPL;
    }
};
