#include "framework/dshow/Unknown.h"

namespace {
std::atomic<long> g_objectsActive{0};
}

CUnknown::CUnknown(const wchar_t* name, IUnknown* outer)
    : m_pName(name), m_pUnknown(outer ? outer : NonDelegatingUnknown(static_cast<INonDelegatingUnknown*>(this))) {
    ++g_objectsActive;
}

CUnknown::~CUnknown() { --g_objectsActive; }

long CUnknown::ObjectsActive() { return g_objectsActive.load(); }

HRESULT STDMETHODCALLTYPE CUnknown::NonDelegatingQueryInterface(REFIID riid, void** ppv) {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (riid == IID_IUnknown) return GetInterface(NonDelegatingUnknown(this), ppv);
    return E_NOINTERFACE;
}

ULONG STDMETHODCALLTYPE CUnknown::NonDelegatingAddRef() { return static_cast<ULONG>(++m_cRef); }

ULONG STDMETHODCALLTYPE CUnknown::NonDelegatingRelease() {
    long left = --m_cRef;
    if (left == 0) {
        // A destructor that hands out and drops a reference to itself must
        // not come back here.
        m_cRef = 1;
        delete this;
        return 0;
    }
    return static_cast<ULONG>(left > 0 ? left : 1);
}

HRESULT GetInterface(IUnknown* unk, void** ppv) {
    if (!ppv) return E_POINTER;
    *ppv = unk;
    unk->AddRef();
    return S_OK;
}
