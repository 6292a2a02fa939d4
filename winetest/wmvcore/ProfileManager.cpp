#include "winetest/wmvcore/ProfileManager.h"

#include <utility>

#include "winetest/wmvcore/Profile.h"
#include "winetest/wmvcore/ProfileXml.h"

namespace wmv {

HRESULT CProfileManager::CreateEmptyProfile(WMT_VERSION version, IWMProfile** profile) {
    if (!profile) return E_POINTER;
    *profile = nullptr;
    ProfileData data;
    data.version = version;
    return HandOut(MakeComObject<CProfile>(std::move(data)), profile);
}

HRESULT CProfileManager::LoadProfileByID(REFGUID, IWMProfile** profile) {
    if (profile) *profile = nullptr;
    return E_NOTIMPL;
}

HRESULT CProfileManager::LoadProfileByData(const WCHAR* xml, IWMProfile** profile) {
    if (!xml || !profile) return E_POINTER;
    *profile = nullptr;
    ProfileData data;
    HRESULT hr = ReadProfileXml(xml, data);
    if (FAILED(hr)) return hr;
    return HandOut(MakeComObject<CProfile>(std::move(data)), profile);
}

HRESULT CProfileManager::SaveProfile(IWMProfile*, WCHAR*, DWORD*) { return E_NOTIMPL; }

HRESULT CProfileManager::GetSystemProfileCount(DWORD*) { return E_NOTIMPL; }

HRESULT CProfileManager::LoadSystemProfile(DWORD, IWMProfile** profile) {
    if (profile) *profile = nullptr;
    return E_NOTIMPL;
}

}  // namespace wmv
