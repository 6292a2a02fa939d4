#pragma once
// CSonarkFilter: the audio capture source filter. One output pin
// (CSonarkStream, "Out"); the capture parameters it is given through
// ISonark are module-wide, so every instance in the process shares them.

#include "capfilter/Sonark.h"
#include "framework/dshow/Source.h"

class CSonarkFilter : public CSource, public ISonark {
public:
    // The template's creation function: S_OK and the object, or
    // E_OUTOFMEMORY and null.
    static CUnknown* CALLBACK CreateInstance(IUnknown* outer, HRESULT* phr);
    ~CSonarkFilter() override;

    DECLARE_IUNKNOWN
    HRESULT STDMETHODCALLTYPE NonDelegatingQueryInterface(REFIID riid, void** ppv) override;

    HRESULT STDMETHODCALLTYPE SetCaptureParams(int enable, int timingMode, int dualAudio,
                                               const wchar_t* sourceName) override;

    // Pausing a running filter stops the endpoint clients at once, on the
    // graph's thread. Downstream filters pause first, and a writer that holds
    // what it receives while paused may keep the worker in a delivery until
    // the graph runs again; clients left capturing meanwhile would hand the
    // pause's sound out after it, late against the picture by that much.
    HRESULT STDMETHODCALLTYPE Pause() override;

private:
    CSonarkFilter(IUnknown* outer, HRESULT* phr);
};
