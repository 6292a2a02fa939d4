#pragma once
// CUnknown: the reference-counted base of every COM object of the filter
// framework, with a non-delegating IUnknown so that objects can be
// aggregated. An aggregated object forwards its public IUnknown to the outer
// object and answers its own interfaces only through the non-delegating one;
// a stand-alone object is its own outer unknown.
//
// Derived classes put DECLARE_IUNKNOWN in their public section: it routes
// the IUnknown methods of every interface they implement to GetOwner().

#include <windows.h>

#include <unknwn.h>

#include <atomic>

// The non-delegating unknown: same slot layout as IUnknown, so a pointer to
// it can stand for the object's own IUnknown.
struct INonDelegatingUnknown {
    virtual HRESULT STDMETHODCALLTYPE NonDelegatingQueryInterface(REFIID riid, void** ppv) = 0;
    virtual ULONG STDMETHODCALLTYPE NonDelegatingAddRef() = 0;
    virtual ULONG STDMETHODCALLTYPE NonDelegatingRelease() = 0;
};

class CUnknown : public INonDelegatingUnknown {
public:
    // outer: the controlling unknown when aggregated, else null.
    CUnknown(const wchar_t* name, IUnknown* outer);
    virtual ~CUnknown();
    CUnknown(const CUnknown&) = delete;
    CUnknown& operator=(const CUnknown&) = delete;

    HRESULT STDMETHODCALLTYPE NonDelegatingQueryInterface(REFIID riid, void** ppv) override;
    ULONG STDMETHODCALLTYPE NonDelegatingAddRef() override;
    ULONG STDMETHODCALLTYPE NonDelegatingRelease() override;

    // The unknown that QueryInterface, AddRef and Release of every interface
    // go to: the outer object when aggregated, else this object.
    IUnknown* GetOwner() const { return m_pUnknown; }
    const wchar_t* Name() const { return m_pName; }

    // Objects of the framework alive in this module (for DllCanUnloadNow).
    static long ObjectsActive();

protected:
    std::atomic<long> m_cRef{0};

private:
    const wchar_t* m_pName;
    IUnknown* m_pUnknown;
};

// Hands out an interface pointer with a reference added.
HRESULT GetInterface(IUnknown* unk, void** ppv);

// The object's own IUnknown (its non-delegating one).
inline IUnknown* NonDelegatingUnknown(INonDelegatingUnknown* p) { return reinterpret_cast<IUnknown*>(p); }

#define DECLARE_IUNKNOWN                                                         \
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override { \
        return GetOwner()->QueryInterface(riid, ppv);                            \
    }                                                                            \
    ULONG STDMETHODCALLTYPE AddRef() override { return GetOwner()->AddRef(); }   \
    ULONG STDMETHODCALLTYPE Release() override { return GetOwner()->Release(); }
