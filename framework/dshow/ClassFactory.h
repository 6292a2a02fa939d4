#pragma once
// The class factory template table of a filter DLL and the DLL entry points
// built on it. A module declares one table of CFactoryTemplate entries and
// forwards its exports to the functions below:
//
//   STDAPI DllGetClassObject(REFCLSID c, REFIID i, void** p) {
//       return DllGetClassObjectFromTemplates(kTemplates, std::size(kTemplates), c, i, p);
//   }
//   STDAPI DllCanUnloadNow() { return DllCanUnloadNowFromServer(); }
//   STDAPI DllRegisterServer() { return RegisterTemplates(kTemplates, std::size(kTemplates), true); }

#include <windows.h>

#include <strmif.h>

#include <vfwmsgs.h>

#include <iterator>

#include "framework/dshow/Unknown.h"

using LPFNNewCOMObject = CUnknown*(CALLBACK*)(IUnknown* outer, HRESULT* phr);
using LPFNInitRoutine = void(CALLBACK*)(BOOL loading, const CLSID* clsid);

// Filter-mapper data for a template: with it, registration also enters the
// filter with the filter mapper under the given category.
struct AMOVIESETUP_FILTER {
    const CLSID* clsID;
    const wchar_t* strName;
    DWORD dwMerit;
    UINT nPins;
    const REGFILTERPINS* lpPin;
    const CLSID* category;  // null: CLSID_LegacyAmFilterCategory
};

struct CFactoryTemplate {
    const wchar_t* m_Name;
    const CLSID* m_ClsID;
    LPFNNewCOMObject m_lpfnNew;
    LPFNInitRoutine m_lpfnInit;
    const AMOVIESETUP_FILTER* m_pAMovieSetup_Filter;

    bool IsClassID(REFCLSID clsid) const { return *m_ClsID == clsid; }
    CUnknown* CreateInstance(IUnknown* outer, HRESULT* phr) const { return m_lpfnNew(outer, phr); }
};

// The class object handed out by DllGetClassObject for one template.
class CClassFactory : public IClassFactory {
public:
    explicit CClassFactory(const CFactoryTemplate* tmpl);
    virtual ~CClassFactory() = default;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** ppv) override;
    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override;

    static long ServerLocks();

private:
    std::atomic<long> m_cRef{0};
    const CFactoryTemplate* m_pTemplate;
};

HRESULT DllGetClassObjectFromTemplates(const CFactoryTemplate* templates, size_t count, REFCLSID clsid, REFIID riid,
                                       void** ppv);
// S_OK when no framework objects and no server locks remain, else S_FALSE.
HRESULT DllCanUnloadNowFromServer();
// Writes (or removes) the COM class entries of every template and, for
// templates with setup data, their filter-mapper entries. Calls each
// template's init routine with the direction.
HRESULT RegisterTemplates(const CFactoryTemplate* templates, size_t count, bool reg);

// The four entry points of a filter DLL whose exports do nothing beyond the
// template table (a module that registers more defines its own).
#define TELVANE_FILTER_DLL_ENTRY_POINTS(templates)                                                  \
    STDAPI DllGetClassObject(REFCLSID clsid, REFIID riid, void** ppv) {                             \
        return DllGetClassObjectFromTemplates(templates, std::size(templates), clsid, riid, ppv);   \
    }                                                                                               \
    STDAPI DllCanUnloadNow() { return DllCanUnloadNowFromServer(); }                                \
    STDAPI DllRegisterServer() { return RegisterTemplates(templates, std::size(templates), true); } \
    STDAPI DllUnregisterServer() { return RegisterTemplates(templates, std::size(templates), false); }
