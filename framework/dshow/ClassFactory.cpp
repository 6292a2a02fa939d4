#include "framework/dshow/ClassFactory.h"

#include <new>

#include "framework/dshow/Registration.h"

namespace {
std::atomic<long> g_serverLocks{0};
}

CClassFactory::CClassFactory(const CFactoryTemplate* tmpl) : m_pTemplate(tmpl) {}

long CClassFactory::ServerLocks() { return g_serverLocks.load(); }

HRESULT STDMETHODCALLTYPE CClassFactory::QueryInterface(REFIID riid, void** ppv) {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (riid != IID_IUnknown && riid != IID_IClassFactory) return E_NOINTERFACE;
    *ppv = static_cast<IClassFactory*>(this);
    AddRef();
    return S_OK;
}

ULONG STDMETHODCALLTYPE CClassFactory::AddRef() { return static_cast<ULONG>(++m_cRef); }

ULONG STDMETHODCALLTYPE CClassFactory::Release() {
    long left = --m_cRef;
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
}

HRESULT STDMETHODCALLTYPE CClassFactory::CreateInstance(IUnknown* outer, REFIID riid, void** ppv) {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    // An aggregating caller must ask for IUnknown: it gets the inner object's
    // non-delegating unknown, the only way to reach the inner interfaces.
    if (outer && riid != IID_IUnknown) return E_NOINTERFACE;
    HRESULT hr = S_OK;
    CUnknown* obj = m_pTemplate->CreateInstance(outer, &hr);
    if (!obj) return FAILED(hr) ? hr : E_OUTOFMEMORY;
    // Holding a reference while asking makes a failed query delete the object.
    obj->NonDelegatingAddRef();
    if (SUCCEEDED(hr)) hr = obj->NonDelegatingQueryInterface(riid, ppv);
    obj->NonDelegatingRelease();
    return hr;
}

HRESULT STDMETHODCALLTYPE CClassFactory::LockServer(BOOL lock) {
    if (lock)
        ++g_serverLocks;
    else
        --g_serverLocks;
    return S_OK;
}

HRESULT DllGetClassObjectFromTemplates(const CFactoryTemplate* templates, size_t count, REFCLSID clsid, REFIID riid,
                                       void** ppv) {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (riid != IID_IUnknown && riid != IID_IClassFactory) return E_NOINTERFACE;
    for (size_t i = 0; i < count; ++i) {
        if (!templates[i].IsClassID(clsid)) continue;
        auto* factory = new (std::nothrow) CClassFactory(&templates[i]);
        if (!factory) return E_OUTOFMEMORY;
        factory->AddRef();
        *ppv = static_cast<IClassFactory*>(factory);
        return S_OK;
    }
    return CLASS_E_CLASSNOTAVAILABLE;
}

HRESULT DllCanUnloadNowFromServer() {
    return CUnknown::ObjectsActive() == 0 && CClassFactory::ServerLocks() == 0 ? S_OK : S_FALSE;
}

HRESULT RegisterTemplates(const CFactoryTemplate* templates, size_t count, bool reg) {
    wchar_t path[MAX_PATH];
    HRESULT hr = ModuleFileName(path, MAX_PATH);
    if (FAILED(hr)) return hr;
    for (size_t i = 0; i < count; ++i) {
        const CFactoryTemplate& t = templates[i];
        if (reg) {
            hr = RegisterComServer(*t.m_ClsID, t.m_Name, path, L"Both");
            if (SUCCEEDED(hr) && t.m_pAMovieSetup_Filter) hr = RegisterFilterWithMapper(*t.m_pAMovieSetup_Filter, true);
        } else {
            // Mapper entries first: their removal needs nothing of the class key.
            if (t.m_pAMovieSetup_Filter) RegisterFilterWithMapper(*t.m_pAMovieSetup_Filter, false);
            hr = UnregisterComServer(*t.m_ClsID);
        }
        if (FAILED(hr)) return hr;
        if (t.m_lpfnInit) t.m_lpfnInit(reg ? TRUE : FALSE, t.m_ClsID);
    }
    return S_OK;
}
