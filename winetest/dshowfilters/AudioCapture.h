#pragma once
// CAudioCaptureFilter: one stand-in audio capture device. Its instances
// are the device entries that the test library registers under
// CLSID_AudioInputDeviceCategory: when Wine's device enumerator binds an
// entry's moniker it creates this class and hands the entry's property
// bag to IPersistPropertyBag::Load, from which the filter takes its
// friendly name and its mixer lines (the default list when the entry names
// none). Created directly, it has the default lines and no name.
//
// Pins: the output "Capture" first, then one input pin per mixer line.
// QueryVendorInfo answers the entry's friendly name, so that a test can
// tell which entry a bound filter came from.

#include <windows.h>

#include <ocidl.h>
#include <strmif.h>

#include <memory>
#include <string>
#include <vector>

#include "framework/dshow/Source.h"
#include "winetest/dshowfilters/CaptureStream.h"
#include "winetest/dshowfilters/MixerLinePin.h"

class CAudioCaptureFilter : public CSource, public IPersistPropertyBag {
public:
    static CUnknown* CALLBACK CreateInstance(IUnknown* outer, HRESULT* phr);
    // The lines of a device whose entry names none.
    static const std::vector<std::wstring>& DefaultMixerLines();

    DECLARE_IUNKNOWN
    HRESULT STDMETHODCALLTYPE NonDelegatingQueryInterface(REFIID riid, void** ppv) override;

    // A live source cannot cue data while paused.
    HRESULT STDMETHODCALLTYPE GetState(DWORD timeoutMs, FILTER_STATE* state) override;
    HRESULT STDMETHODCALLTYPE QueryVendorInfo(LPWSTR* info) override;
    HRESULT STDMETHODCALLTYPE GetClassID(CLSID* clsid) override { return CBaseFilter::GetClassID(clsid); }

    // IPersistPropertyBag
    HRESULT STDMETHODCALLTYPE InitNew() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE Load(IPropertyBag* bag, IErrorLog* log) override;
    HRESULT STDMETHODCALLTYPE Save(IPropertyBag*, BOOL, BOOL) override { return E_NOTIMPL; }

    int GetPinCount() override;
    CBasePin* GetPin(int n) override;

private:
    CAudioCaptureFilter(IUnknown* outer, HRESULT* phr);
    HRESULT SetMixerLines(const std::vector<std::wstring>& names);

    CCaptureStream* m_stream = nullptr;  // owned by CSource's pin list
    std::vector<std::unique_ptr<CMixerLinePin>> m_lines;
    // Lines replaced by Load: kept until the filter goes, since a pin's
    // reference count is the filter's and someone may still hold one.
    std::vector<std::unique_ptr<CMixerLinePin>> m_oldLines;
    std::wstring m_friendlyName;
};
