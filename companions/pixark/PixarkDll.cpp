// The exports of pixark.ax: the COM server entry points over the one
// template of the screen-capture filter. Registration enters the filter in
// the legacy DirectShow filter category as "Pixark BCK" with a merit that
// keeps automatic graph building from ever picking it; the recorder creates
// it by class identifier.

#include <windows.h>

#include <uuids.h>

#include <iterator>

#include "companions/pixark/PixarkFilter.h"
#include "framework/dshow/ClassFactory.h"

namespace {

const wchar_t kFilterName[] = L"Pixark BCK";

const REGPINTYPES kPinTypes[] = {
    {&MEDIATYPE_Video, &MEDIASUBTYPE_RGB32},
    {&MEDIATYPE_Video, &MEDIASUBTYPE_RGB24},
};

REGFILTERPINS kPins[] = {
    {const_cast<LPWSTR>(L"Capture"), FALSE, TRUE, FALSE, FALSE, &CLSID_NULL, nullptr,
     static_cast<UINT>(std::size(kPinTypes)), kPinTypes},
};

const AMOVIESETUP_FILTER kSetup = {&kScreenCaptureFilterClsid,          kFilterName, MERIT_DO_NOT_USE,
                                   static_cast<UINT>(std::size(kPins)), kPins,       nullptr};

const CFactoryTemplate kTemplates[] = {
    {kFilterName, &kScreenCaptureFilterClsid, CPixarkFilter::CreateInstance, nullptr, &kSetup},
};

}  // namespace

STDAPI DllGetClassObject(REFCLSID clsid, REFIID riid, void** ppv) {
    return DllGetClassObjectFromTemplates(kTemplates, std::size(kTemplates), clsid, riid, ppv);
}

STDAPI DllCanUnloadNow() { return DllCanUnloadNowFromServer(); }

STDAPI DllRegisterServer() { return RegisterTemplates(kTemplates, std::size(kTemplates), true); }

STDAPI DllUnregisterServer() { return RegisterTemplates(kTemplates, std::size(kTemplates), false); }
