#include "tests/wine/graph/FakeScreenCaptureFilter.h"

#include "framework/base/ComPtr.h"
#include "framework/dshow/ClassFactory.h"
#include "tests/wine/graph/PinFixtureFilters.h"

namespace capturetest {

namespace {

std::optional<ScreenCaptureArgumentList>& KeptSettings() {
    static std::optional<ScreenCaptureArgumentList> kept;
    return kept;
}

// {6A1D3F0E-2B7C-4C59-9E41-0D8B5F2A7C33}: asked for by the helpers below to
// tell the stand-in from any other object.
const IID kFakeCaptureIid = {0x6a1d3f0e, 0x2b7c, 0x4c59, {0x9e, 0x41, 0x0d, 0x8b, 0x5f, 0x2a, 0x7c, 0x33}};

class FakeScreenCaptureFilter : public lookuptest::PinFixtureFilter, public IScreenCaptureSettings {
public:
    FakeScreenCaptureFilter()
        : PinFixtureFilter({{PINDIR_OUTPUT, L"Output"}}, false),
          m_instance(++CaptureLog().instancesCreated),
          m_start(KeptSettings()) {}

    DECLARE_IUNKNOWN

    HRESULT STDMETHODCALLTYPE NonDelegatingQueryInterface(REFIID riid, void** ppv) override {
        if (!ppv) return E_POINTER;
        if (riid == __uuidof(IScreenCaptureSettings))
            return GetInterface(static_cast<IScreenCaptureSettings*>(this), ppv);
        if (riid == kFakeCaptureIid) {
            // Not a COM interface: the object itself, no reference added.
            *ppv = this;
            return S_OK;
        }
        return PinFixtureFilter::NonDelegatingQueryInterface(riid, ppv);
    }

    HRESULT STDMETHODCALLTYPE SetCaptureSettings(INT32 a1, INT32 a2, INT32 a3, INT32 a4, INT32 a5, INT32 a6, INT32 a7,
                                                 INT32 a8, INT32 a9, INT32 a10, INT32 a11, INT32 a12, INT32 a13,
                                                 INT32 a14, INT32 a15, INT32 a16) override {
        const ScreenCaptureArgumentList arguments = {a1, a2,  a3,  a4,  a5,  a6,  a7,  a8,
                                                     a9, a10, a11, a12, a13, a14, a15, a16};
        CaptureLog().calls.push_back({m_instance, arguments});
        if (SUCCEEDED(CaptureLog().result)) KeptSettings() = arguments;
        return CaptureLog().result;
    }

    int Instance() const { return m_instance; }
    const std::optional<ScreenCaptureArgumentList>& Start() const { return m_start; }

private:
    int m_instance;
    std::optional<ScreenCaptureArgumentList> m_start;
};

CUnknown* CALLBACK NewFakeScreenCaptureFilter(IUnknown*, HRESULT* phr) {
    if (phr) *phr = S_OK;
    return new FakeScreenCaptureFilter;
}

const CFactoryTemplate kTemplate = {L"Fake screen capture", &kScreenCaptureFilterClsid, &NewFakeScreenCaptureFilter,
                                    nullptr, nullptr};

FakeScreenCaptureFilter* AsFake(IUnknown* object) {
    void* fake = nullptr;
    if (!object || FAILED(object->QueryInterface(kFakeCaptureIid, &fake))) return nullptr;
    return static_cast<FakeScreenCaptureFilter*>(fake);
}

}  // namespace

FakeCaptureLog& CaptureLog() {
    static FakeCaptureLog log;
    return log;
}

std::optional<ScreenCaptureArgumentList> StartSettings(IUnknown* filter) {
    const FakeScreenCaptureFilter* fake = AsFake(filter);
    return fake ? fake->Start() : std::nullopt;
}

int InstanceNumber(IUnknown* filter) {
    const FakeScreenCaptureFilter* fake = AsFake(filter);
    return fake ? fake->Instance() : 0;
}

ScopedFakeCaptureClass::ScopedFakeCaptureClass() {
    CaptureLog() = FakeCaptureLog();
    KeptSettings().reset();
    ComPtr<IClassFactory> factory(new CClassFactory(&kTemplate));
    m_registered = SUCCEEDED(::CoRegisterClassObject(kScreenCaptureFilterClsid, factory.Get(), CLSCTX_INPROC_SERVER,
                                                     REGCLS_MULTIPLEUSE, &m_cookie));
}

ScopedFakeCaptureClass::~ScopedFakeCaptureClass() {
    if (m_registered) ::CoRevokeClassObject(m_cookie);
}

}  // namespace capturetest
