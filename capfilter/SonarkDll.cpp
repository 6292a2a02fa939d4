// The exports of sonark5.ax: the COM server entry points over the one
// template of the filter, and CheckAudio.

#include <windows.h>

#include <iterator>

#include "capfilter/SonarkFilter.h"
#include "capfilter/SonarkPlatform.h"
#include "framework/dshow/ClassFactory.h"

namespace {

// Registered as a COM class only: no setup data, so the filter is in no
// filter category and is found by its class identifier alone.
const CFactoryTemplate kTemplates[] = {
    {kSonarkFilterName, &CLSID_Sonark5, CSonarkFilter::CreateInstance, nullptr, nullptr},
};

}  // namespace

STDAPI DllGetClassObject(REFCLSID clsid, REFIID riid, void** ppv) {
    return DllGetClassObjectFromTemplates(kTemplates, std::size(kTemplates), clsid, riid, ppv);
}

STDAPI DllCanUnloadNow() { return DllCanUnloadNowFromServer(); }

STDAPI DllRegisterServer() {
    HRESULT hr = RegisterTemplates(kTemplates, std::size(kTemplates), true);
    if (FAILED(hr)) sonark::CurrentPlatform().messageA("Cannot register audio capture filter");
    return hr;
}

STDAPI DllUnregisterServer() { return RegisterTemplates(kTemplates, std::size(kTemplates), false); }

// Kept for the binary interface; nothing calls it and it does nothing.
extern "C" void __stdcall CheckAudio(int) {}
