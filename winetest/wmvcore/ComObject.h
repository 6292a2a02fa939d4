#pragma once
// ComObject<Interfaces...>: reference counting and QueryInterface for the
// stand-in's objects.
//
// The first interface is the object's IUnknown identity. An object starts
// with one reference, which MakeComObject hands to the caller's ComPtr; the last
// Release deletes it.

#include <windows.h>

#include <atomic>
#include <new>
#include <utility>

#include "framework/base/ComPtr.h"

namespace wmv {

template <class First, class... Others>
class ComObject : public First, public Others... {
public:
    ComObject() = default;
    ComObject(const ComObject&) = delete;
    ComObject& operator=(const ComObject&) = delete;
    virtual ~ComObject() = default;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
        if (!ppv) return E_POINTER;
        *ppv = nullptr;
        const bool offered = riid == IID_IUnknown ? Offer<First>(IID_IUnknown, ppv)
                                                  : (Offer<First>(riid, ppv) || ... || Offer<Others>(riid, ppv));
        if (!offered) return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++m_refs; }
    ULONG STDMETHODCALLTYPE Release() override {
        ULONG left = --m_refs;
        if (left == 0) delete this;
        return left;
    }

private:
    template <class I>
    bool Offer(REFIID riid, void** ppv) {
        if (riid != IID_IUnknown && riid != __uuidof(I)) return false;
        *ppv = static_cast<I*>(this);
        return true;
    }

    std::atomic<ULONG> m_refs{1};
};

// A new object owned by the returned pointer (empty when out of memory).
template <class T, class... Args>
ComPtr<T> MakeComObject(Args&&... args) {
    ComPtr<T> object;
    object.Attach(new (std::nothrow) T(std::forward<Args>(args)...));
    return object;
}

// Hands a new reference of the object, as interface I, to a raw
// out-parameter.
template <class I, class T>
HRESULT HandOut(const ComPtr<T>& object, I** out) {
    if (!object) return E_OUTOFMEMORY;
    *out = static_cast<I*>(object.Get());
    (*out)->AddRef();
    return S_OK;
}

}  // namespace wmv
