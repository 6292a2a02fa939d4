// The test-device registration library. It writes the entries the way
// Wine's device enumerator reads them (see DeviceEntry.h); the stand-in
// capture class must already be registered (the install fragment runs
// regsvr32 on winefilters.dll).

#include "winetest/dshowfilters/TestAudioDevices.h"

#include <uuids.h>

#include <cwchar>
#include <cwctype>

#include "framework/dshow/Registration.h"
#include "framework/win/Handles.h"
#include "winetest/dshowfilters/DeviceEntry.h"
#include "winetest/dshowfilters/StandInIds.h"

namespace winetest {

namespace {

// The programs under test read their own registry view: the 32-bit one for
// the shipped build, the 64-bit one for the 64-bit test build. Name it, so
// that a 32-bit program in a 64-bit prefix gives the same answer.
#ifdef _WIN64
constexpr REGSAM kView = KEY_WOW64_64KEY;
#else
constexpr REGSAM kView = KEY_WOW64_32KEY;
#endif

std::wstring ClassKeyPath(REFGUID clsid) {
    wchar_t guid[40];
    GuidText(clsid, guid, 40);
    return std::wstring(L"CLSID\\") + guid;
}

std::wstring InstanceKeyPath() { return ClassKeyPath(CLSID_AudioInputDeviceCategory) + L"\\Instance"; }

bool HasNul(const std::wstring& s) { return s.find(L'\0') != std::wstring::npos; }

HRESULT SetString(HKEY key, const wchar_t* name, const std::wstring& value) {
    DWORD bytes = static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t));
    return HRESULT_FROM_WIN32(
        ::RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()), bytes));
}

HRESULT SetDword(HKEY key, const wchar_t* name, DWORD value) {
    return HRESULT_FROM_WIN32(
        ::RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value));
}

// The sequence number of one of our instance key names, or -1 for any other name.
long SequenceOf(const wchar_t* keyName) {
    const size_t prefix = std::wcslen(kDeviceKeyPrefix);
    if (std::wcsncmp(keyName, kDeviceKeyPrefix, prefix) != 0) return -1;
    const wchar_t* digits = keyName + prefix;
    if (std::wcslen(digits) != static_cast<size_t>(kDeviceKeyDigits)) return -1;
    long n = 0;
    for (const wchar_t* p = digits; *p; ++p) {
        if (!std::iswdigit(*p)) return -1;
        n = n * 10 + (*p - L'0');
    }
    return n;
}

// Whether an instance entry names our capture class, whatever its key name.
bool IsOurDevice(HKEY instance, const wchar_t* keyName) {
    if (SequenceOf(keyName) >= 0) return true;
    win::RegKey entry;
    if (::RegOpenKeyExW(instance, keyName, 0, KEY_READ | kView, entry.Put()) != ERROR_SUCCESS) return false;
    wchar_t clsid[64] = {};
    DWORD bytes = sizeof clsid - sizeof(wchar_t);
    DWORD type = 0;
    if (::RegQueryValueExW(entry.Get(), L"CLSID", nullptr, &type, reinterpret_cast<BYTE*>(clsid), &bytes) !=
            ERROR_SUCCESS ||
        type != REG_SZ)
        return false;
    wchar_t ours[40];
    GuidText(CLSID_AudioCaptureStandIn, ours, 40);
    return ::_wcsicmp(clsid, ours) == 0;
}

// Every subkey name of the instance key, in the registry's order.
std::vector<std::wstring> SubkeyNames(HKEY key) {
    std::vector<std::wstring> names;
    // Instance key names are limited to 255 characters by the registry.
    wchar_t name[256];
    for (DWORD i = 0;; ++i) {
        DWORD len = 256;
        LONG rc = ::RegEnumKeyExW(key, i, name, &len, nullptr, nullptr, nullptr, nullptr);
        if (rc != ERROR_SUCCESS) break;
        names.emplace_back(name, len);
    }
    return names;
}

HRESULT CheckArguments(const std::wstring& friendlyName, const std::vector<std::wstring>& inputPins) {
    if (friendlyName.empty() || HasNul(friendlyName)) return E_INVALIDARG;
    if (inputPins.size() > kMaxMixerLines) return E_INVALIDARG;
    for (const auto& pin : inputPins)
        if (pin.empty() || pin.size() > kMaxMixerLineChars || HasNul(pin)) return E_INVALIDARG;
    return S_OK;
}

HRESULT CheckStandInRegistered() {
    win::RegKey server;
    std::wstring path = ClassKeyPath(CLSID_AudioCaptureStandIn) + L"\\InprocServer32";
    LONG rc = ::RegOpenKeyExW(HKEY_CLASSES_ROOT, path.c_str(), 0, KEY_READ | kView, server.Put());
    return rc == ERROR_SUCCESS ? S_OK : REGDB_E_CLASSNOTREG;
}

// Creates the next free instance key. Another process may add at the same
// time: a key that already existed is not ours, so the next number is tried.
HRESULT CreateNextEntry(HKEY instance, win::RegKey& entry, std::wstring& name) {
    long next = 0;
    for (const auto& existing : SubkeyNames(instance)) {
        long n = SequenceOf(existing.c_str());
        if (n >= next) next = n + 1;
    }
    for (int attempt = 0; attempt < 100; ++attempt, ++next) {
        wchar_t keyName[64];
        std::swprintf(keyName, 64, L"%ls%0*ld", kDeviceKeyPrefix, kDeviceKeyDigits, next);
        DWORD disposition = 0;
        LONG rc = ::RegCreateKeyExW(instance, keyName, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE | kView, nullptr,
                                    entry.Put(), &disposition);
        if (rc != ERROR_SUCCESS) return HRESULT_FROM_WIN32(rc);
        if (disposition == REG_CREATED_NEW_KEY) {
            name = keyName;
            return S_OK;
        }
        entry.Reset();
    }
    return HRESULT_FROM_WIN32(ERROR_ALREADY_EXISTS);
}

HRESULT WriteEntry(HKEY entry, const std::wstring& friendlyName, const std::vector<std::wstring>& inputPins) {
    wchar_t clsid[40];
    GuidText(CLSID_AudioCaptureStandIn, clsid, 40);
    HRESULT hr;
    if (FAILED(hr = SetString(entry, L"CLSID", clsid))) return hr;
    if (FAILED(hr = SetDword(entry, kMixerLineCountValue, static_cast<DWORD>(inputPins.size())))) return hr;
    for (size_t i = 0; i < inputPins.size(); ++i) {
        wchar_t valueName[32];
        std::swprintf(valueName, 32, kMixerLineValueFormat, static_cast<unsigned>(i));
        if (FAILED(hr = SetString(entry, valueName, inputPins[i]))) return hr;
    }
    // Last, so that an entry without a name is one that is still being written.
    return SetString(entry, L"FriendlyName", friendlyName);
}

}  // namespace

HRESULT AddTestAudioDevice(const std::wstring& friendlyName, const std::vector<std::wstring>& inputPins) {
    HRESULT hr = CheckArguments(friendlyName, inputPins);
    if (FAILED(hr)) return hr;
    if (FAILED(hr = CheckStandInRegistered())) return hr;
    win::RegKey instance;
    LONG rc = ::RegCreateKeyExW(HKEY_CLASSES_ROOT, InstanceKeyPath().c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                KEY_READ | KEY_WRITE | kView, nullptr, instance.Put(), nullptr);
    if (rc != ERROR_SUCCESS) return HRESULT_FROM_WIN32(rc);
    win::RegKey entry;
    std::wstring keyName;
    if (FAILED(hr = CreateNextEntry(instance.Get(), entry, keyName))) return hr;
    hr = WriteEntry(entry.Get(), friendlyName, inputPins);
    entry.Reset();
    if (FAILED(hr)) ::RegDeleteTreeW(instance.Get(), keyName.c_str());
    return hr;
}

HRESULT RemoveTestAudioDevices() {
    win::RegKey instance;
    LONG rc =
        ::RegOpenKeyExW(HKEY_CLASSES_ROOT, InstanceKeyPath().c_str(), 0, KEY_READ | KEY_WRITE | kView, instance.Put());
    if (rc == ERROR_FILE_NOT_FOUND) return S_OK;
    if (rc != ERROR_SUCCESS) return HRESULT_FROM_WIN32(rc);
    HRESULT result = S_OK;
    for (const auto& name : SubkeyNames(instance.Get())) {
        if (!IsOurDevice(instance.Get(), name.c_str())) continue;
        rc = ::RegDeleteTreeW(instance.Get(), name.c_str());
        if (rc != ERROR_SUCCESS && rc != ERROR_FILE_NOT_FOUND && SUCCEEDED(result)) result = HRESULT_FROM_WIN32(rc);
    }
    return result;
}

}  // namespace winetest
