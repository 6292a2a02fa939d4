#pragma once
// A class factory that answers for a class identifier in the test process
// as a class that is not registered, whatever the prefix's registry holds
// (the real filter may be registered by an earlier test). Register it with
// CoRegisterClassObject; it lives as long as the test that owns it.

#include <windows.h>

#include <unknwn.h>

namespace capturetest {

class UnregisteredClassFactory : public IClassFactory {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
        if (!ppv) return E_POINTER;
        *ppv = riid == IID_IUnknown || riid == IID_IClassFactory ? static_cast<IClassFactory*>(this) : nullptr;
        return *ppv ? S_OK : E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown*, REFIID, void** ppv) override {
        if (ppv) *ppv = nullptr;
        return REGDB_E_CLASSNOTREG;
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }
};

}  // namespace capturetest
