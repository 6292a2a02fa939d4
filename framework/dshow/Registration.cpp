#include "framework/dshow/Registration.h"

#include <strmif.h>

#include <uuids.h>

#include <cwchar>

#include "framework/base/ComPtr.h"
#include "framework/dshow/ClassFactory.h"
#include "framework/win/Handles.h"

HRESULT ModuleFileName(wchar_t* path, DWORD capacity) {
    HMODULE module = nullptr;
    // The address of this function lies in whichever module linked the
    // framework in: the filter DLL, or a test program.
    if (!::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                              reinterpret_cast<LPCWSTR>(&ModuleFileName), &module))
        return HRESULT_FROM_WIN32(::GetLastError());
    DWORD n = ::GetModuleFileNameW(module, path, capacity);
    if (n == 0) return HRESULT_FROM_WIN32(::GetLastError());
    if (n >= capacity) return HRESULT_FROM_WIN32(ERROR_INSUFFICIENT_BUFFER);
    return S_OK;
}

void GuidText(REFGUID g, wchar_t* text, size_t capacity) {
    std::swprintf(text, capacity, L"{%08lX-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}", g.Data1, g.Data2, g.Data3,
                  g.Data4[0], g.Data4[1], g.Data4[2], g.Data4[3], g.Data4[4], g.Data4[5], g.Data4[6], g.Data4[7]);
}

namespace {

HRESULT SetStringValue(HKEY key, const wchar_t* name, const wchar_t* value) {
    DWORD bytes = static_cast<DWORD>((std::wcslen(value) + 1) * sizeof(wchar_t));
    LONG rc = ::RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value), bytes);
    return HRESULT_FROM_WIN32(rc);
}

HRESULT CreateKey(HKEY parent, const wchar_t* name, win::RegKey& key) {
    LONG rc =
        ::RegCreateKeyExW(parent, name, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr, key.Put(), nullptr);
    return HRESULT_FROM_WIN32(rc);
}

// Depth-first removal: older systems refuse to delete a key with subkeys.
LONG DeleteTree(HKEY parent, const wchar_t* name) {
    win::RegKey key;
    LONG rc = ::RegOpenKeyExW(parent, name, 0, KEY_READ | KEY_WRITE, key.Put());
    if (rc != ERROR_SUCCESS) return rc;
    wchar_t sub[256];
    for (;;) {
        DWORD len = 256;
        rc = ::RegEnumKeyExW(key.Get(), 0, sub, &len, nullptr, nullptr, nullptr, nullptr);
        if (rc == ERROR_NO_MORE_ITEMS) break;
        if (rc != ERROR_SUCCESS) return rc;
        rc = DeleteTree(key.Get(), sub);
        if (rc != ERROR_SUCCESS) return rc;
    }
    key.Reset();
    return ::RegDeleteKeyW(parent, name);
}

}  // namespace

HRESULT RegisterComServer(REFCLSID clsid, const wchar_t* name, const wchar_t* path, const wchar_t* threadingModel) {
    wchar_t keyName[64] = L"CLSID\\";
    GuidText(clsid, keyName + 6, 58);
    win::RegKey classKey;
    HRESULT hr = CreateKey(HKEY_CLASSES_ROOT, keyName, classKey);
    if (FAILED(hr)) return hr;
    if (FAILED(hr = SetStringValue(classKey.Get(), nullptr, name))) return hr;
    win::RegKey serverKey;
    if (FAILED(hr = CreateKey(classKey.Get(), L"InprocServer32", serverKey))) return hr;
    if (FAILED(hr = SetStringValue(serverKey.Get(), nullptr, path))) return hr;
    return SetStringValue(serverKey.Get(), L"ThreadingModel", threadingModel);
}

HRESULT UnregisterComServer(REFCLSID clsid) {
    wchar_t keyName[64] = L"CLSID\\";
    GuidText(clsid, keyName + 6, 58);
    LONG rc = DeleteTree(HKEY_CLASSES_ROOT, keyName);
    if (rc == ERROR_FILE_NOT_FOUND) return S_OK;
    return HRESULT_FROM_WIN32(rc);
}

HRESULT RegisterFilterWithMapper(const AMOVIESETUP_FILTER& setup, bool reg) {
    HRESULT init = ::CoInitialize(nullptr);
    HRESULT hr;
    {
        const CLSID& category = setup.category ? *setup.category : CLSID_LegacyAmFilterCategory;
        ComPtr<IFilterMapper2> mapper2;
        hr = ::CoCreateInstance(CLSID_FilterMapper2, nullptr, CLSCTX_INPROC_SERVER, IID_IFilterMapper2,
                                reinterpret_cast<void**>(&mapper2));
        if (SUCCEEDED(hr)) {
            if (reg) {
                REGFILTER2 rf2{};
                rf2.dwVersion = 1;
                rf2.dwMerit = setup.dwMerit;
                rf2.cPins = setup.nPins;
                rf2.rgPins = setup.lpPin;
                hr = mapper2->RegisterFilter(*setup.clsID, setup.strName, nullptr, &category, nullptr, &rf2);
            } else {
                hr = mapper2->UnregisterFilter(&category, nullptr, *setup.clsID);
            }
        } else {
            ComPtr<IFilterMapper> mapper;
            hr = ::CoCreateInstance(CLSID_FilterMapper, nullptr, CLSCTX_INPROC_SERVER, IID_IFilterMapper,
                                    reinterpret_cast<void**>(&mapper));
            if (SUCCEEDED(hr)) {
                if (reg)
                    hr = mapper->RegisterFilter(*setup.clsID, setup.strName, setup.dwMerit);
                else
                    hr = mapper->UnregisterFilter(*setup.clsID);
            }
        }
        // Removing what was never entered is no failure.
        if (!reg && hr == HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND)) hr = S_OK;
    }
    if (SUCCEEDED(init)) ::CoUninitialize();
    return hr;
}
