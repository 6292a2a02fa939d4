#pragma once
// CEnumPins and CEnumMediaTypes: the enumerators a filter and a pin hand
// out. Each remembers the version of the list it walks and answers
// VFW_E_ENUM_OUT_OF_SYNC once the list has changed, until Reset.

#include <windows.h>

#include <strmif.h>

#include <vfwmsgs.h>

#include <atomic>

#include "framework/base/ComPtr.h"

class CBaseFilter;
class CBasePin;

class CEnumPins : public IEnumPins {
public:
    // Keeps the filter alive while the enumerator exists.
    explicit CEnumPins(CBaseFilter* filter, int position = 0);
    virtual ~CEnumPins();

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE Next(ULONG n, IPin** pins, ULONG* fetched) override;
    HRESULT STDMETHODCALLTYPE Skip(ULONG n) override;
    HRESULT STDMETHODCALLTYPE Reset() override;
    HRESULT STDMETHODCALLTYPE Clone(IEnumPins** ppEnum) override;

private:
    std::atomic<long> m_cRef{0};
    CBaseFilter* m_pFilter;
    int m_Position;
    LONG m_Version;
};

class CEnumMediaTypes : public IEnumMediaTypes {
public:
    // Keeps the pin (and so its filter) alive while the enumerator exists.
    explicit CEnumMediaTypes(CBasePin* pin, int position = 0);
    virtual ~CEnumMediaTypes();

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE Next(ULONG n, AM_MEDIA_TYPE** types, ULONG* fetched) override;
    HRESULT STDMETHODCALLTYPE Skip(ULONG n) override;
    HRESULT STDMETHODCALLTYPE Reset() override;
    HRESULT STDMETHODCALLTYPE Clone(IEnumMediaTypes** ppEnum) override;

private:
    std::atomic<long> m_cRef{0};
    CBasePin* m_pPin;
    int m_Position;
    LONG m_Version;
};
