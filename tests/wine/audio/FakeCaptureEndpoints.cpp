#include "tests/wine/audio/FakeCaptureEndpoints.h"

#include <propidl.h>

#include <cstring>

namespace {

const PROPERTYKEY kFriendlyName = {{0xa45c254e, 0xdf1c, 0x4efd, {0x80, 0x20, 0x67, 0xd1, 0x46, 0xa8, 0x50, 0xe0}}, 14};

wchar_t* CoTaskText(const std::wstring& text) {
    const size_t bytes = (text.size() + 1) * sizeof(wchar_t);
    auto* p = static_cast<wchar_t*>(::CoTaskMemAlloc(bytes));
    if (p) std::memcpy(p, text.c_str(), bytes);
    return p;
}

class FakeNameStore : public FakeCom<IPropertyStore> {
public:
    FakeNameStore(std::wstring name, HRESULT result) : m_name(std::move(name)), m_result(result) {}
    HRESULT STDMETHODCALLTYPE GetCount(DWORD*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetAt(DWORD, PROPERTYKEY*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetValue(REFPROPERTYKEY key, PROPVARIANT* value) override {
        ::PropVariantInit(value);
        if (FAILED(m_result)) return m_result;
        if (key.fmtid != kFriendlyName.fmtid || key.pid != kFriendlyName.pid) return S_OK;  // VT_EMPTY
        value->vt = VT_LPWSTR;
        value->pwszVal = CoTaskText(m_name);
        return value->pwszVal ? S_OK : E_OUTOFMEMORY;
    }
    HRESULT STDMETHODCALLTYPE SetValue(REFPROPERTYKEY, REFPROPVARIANT) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Commit() override { return E_NOTIMPL; }

private:
    std::wstring m_name;
    HRESULT m_result;
};

class FakeCollection : public FakeCom<IMMDeviceCollection> {
public:
    explicit FakeCollection(FakeListEnumerator* owner) : m_owner(owner) { m_owner->AddRef(); }
    ~FakeCollection() override { m_owner->Release(); }
    HRESULT STDMETHODCALLTYPE GetCount(UINT* count) override {
        *count = static_cast<UINT>(m_owner->devices.size());
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Item(UINT i, IMMDevice** device) override {
        *device = nullptr;
        if (i >= m_owner->devices.size()) return E_INVALIDARG;
        m_owner->devices[i]->AddRef();
        *device = m_owner->devices[i];
        return S_OK;
    }

private:
    FakeListEnumerator* m_owner;
};

}  // namespace

HRESULT STDMETHODCALLTYPE FakeNamedDevice::Activate(REFIID iid, DWORD ctx, PROPVARIANT*, void** ppv) {
    *ppv = nullptr;
    activateContext = ctx;
    if (FAILED(activateResult)) return activateResult;
    if (iid != __uuidof(IAudioEndpointVolume)) return E_NOINTERFACE;
    volume->AddRef();
    *ppv = static_cast<IAudioEndpointVolume*>(volume);
    return S_OK;
}
HRESULT STDMETHODCALLTYPE FakeNamedDevice::OpenPropertyStore(DWORD, IPropertyStore** store) {
    *store = nullptr;
    if (FAILED(storeResult)) return storeResult;
    *store = new FakeNameStore(name, nameResult);
    return S_OK;
}
HRESULT STDMETHODCALLTYPE FakeNamedDevice::GetId(LPWSTR* id) {
    ++idsHandedOut;
    *id = CoTaskText(L"{0.0.1.00000000}." + name);
    return *id ? S_OK : E_OUTOFMEMORY;
}
HRESULT STDMETHODCALLTYPE FakeNamedDevice::GetState(DWORD* state) {
    *state = DEVICE_STATE_ACTIVE;
    return S_OK;
}

FakeListEnumerator::~FakeListEnumerator() {
    for (FakeNamedDevice* d : devices) d->Release();
}

FakeNamedDevice* FakeListEnumerator::Add(const std::wstring& name) {
    devices.push_back(new FakeNamedDevice(name));
    return devices.back();
}

HRESULT STDMETHODCALLTYPE FakeListEnumerator::EnumAudioEndpoints(EDataFlow flow, DWORD mask,
                                                                 IMMDeviceCollection** out) {
    askedFlow = flow;
    askedMask = mask;
    *out = nullptr;
    if (FAILED(enumResult)) return enumResult;
    *out = new FakeCollection(this);
    return S_OK;
}
