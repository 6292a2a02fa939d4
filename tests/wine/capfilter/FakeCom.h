#pragma once
// A minimal COM object base for test fakes: one interface, a reference
// count, QueryInterface for IUnknown and that interface.

#include <windows.h>

#include <unknwn.h>

#include <atomic>

template <class Interface>
class FakeCom : public Interface {
public:
    virtual ~FakeCom() = default;
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
        if (!ppv) return E_POINTER;
        if (riid == IID_IUnknown || riid == __uuidof(Interface)) {
            *ppv = static_cast<Interface*>(this);
            this->AddRef();
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(++m_refs); }
    ULONG STDMETHODCALLTYPE Release() override {
        long left = --m_refs;
        if (left == 0) delete this;
        return static_cast<ULONG>(left);
    }

private:
    std::atomic<long> m_refs{1};  // the creator holds the first reference
};
