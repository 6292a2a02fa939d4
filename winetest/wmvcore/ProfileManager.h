#pragma once
// CProfileManager: IWMProfileManager.
//
// Real: LoadProfileByData (profile XML, see ProfileXml.h), CreateEmptyProfile.
// E_NOTIMPL: LoadProfileByID, SaveProfile, GetSystemProfileCount,
// LoadSystemProfile (the recorder writes its own profiles and uses no stock
// ones).

#include <windows.h>

#include <wmsdkidl.h>

#include "winetest/wmvcore/ComObject.h"

namespace wmv {

class CProfileManager : public ComObject<IWMProfileManager> {
public:
    HRESULT STDMETHODCALLTYPE CreateEmptyProfile(WMT_VERSION version, IWMProfile** profile) override;
    HRESULT STDMETHODCALLTYPE LoadProfileByID(REFGUID id, IWMProfile** profile) override;
    HRESULT STDMETHODCALLTYPE LoadProfileByData(const WCHAR* xml, IWMProfile** profile) override;
    HRESULT STDMETHODCALLTYPE SaveProfile(IWMProfile* profile, WCHAR* xml, DWORD* length) override;
    HRESULT STDMETHODCALLTYPE GetSystemProfileCount(DWORD* count) override;
    HRESULT STDMETHODCALLTYPE LoadSystemProfile(DWORD index, IWMProfile** profile) override;
};

}  // namespace wmv
